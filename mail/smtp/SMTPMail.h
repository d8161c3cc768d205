#pragma once
// TQELSMTPMail: sends the messages of its collection through the default account's SMTP server.
// SMTPMail_Compose.cpp and SMTPMail_Encode.cpp make the text; SMTPMail_Secure.cpp opens a session
// with EHLO, STARTTLS or implicit TLS, and AUTH.
#include "mail/MailExport.h"
#include "mail/session/MailHost.h"

#include <memory>
#include <vector>

namespace qel {

// The text after DATA in pieces (smtp/SmtpCompose.h).
class TQELComposedText;

class QEL_MAIL_EXPORT TQELSMTPMail : public TQELMailHost {
    Q_OBJECT
    Q_PROPERTY(TStrings* Signature READ Signature WRITE SetSignature)
    Q_PROPERTY(int32_t LinePause READ LinePause WRITE SetLinePause)
    Q_CLASSINFO("default:LinePause", "40")
public:
    Q_INVOKABLE explicit TQELSMTPMail(TComponent* AOwner);
    ~TQELSMTPMail() override;

    bool Execute() override;
    String GetSocketText() override;
    bool SendMessage(TQELMessage* Message);

    // Composition: the text after DATA, line by line; nullptr when the session was aborted or a
    // handler freed the message meanwhile.
    std::unique_ptr<TStringList> InitializeMessage(TQELMessage* Message);
    String CreateUIN();
    String CreateBounds();
    String GetSMTPDate();
    // Replaces Attachment's EncodedLines by the Base64 lines of its PhysFile (EFOpenError when unreadable).
    void Base64Encode(TQELAttachment* Attachment);

    TStrings* Signature() const { return FSignature.get(); }
    void SetSignature(TStrings* Value);
    // Pause after each text line in milliseconds (0: none); throttles the text as servers once needed.
    int32_t LinePause() const { return FLinePause; }
    void SetLinePause(int32_t Value) { FLinePause = Value < 0 ? 0 : Value; }

    int32_t CurrentItemIndex = 0;
    uint16_t SendPercent = 0;
    uint16_t EncodePercent = 0;

    TNotifyEvent OnBeforeSend;
    TQELAfterMsgAction OnAfterSend;
    TNotifyEvent OnSuccessSend;
    TQELMailProgress OnSendProgress;
    TQELOnCodingStart OnEncodeStart;
    TQELMailProgress OnEncodeProgress;
    TNotifyEvent OnEncodeend;

protected:
    // S: 220 greeting (421 or 554: no service), then HELO; with the account's SMTPSecurity or
    // SMTPAuthUser set, TLS and EHLO / STARTTLS / AUTH instead (SMTPMail_Secure.cpp).
    void StartDialogue() override;
    bool QuitAccepted() const override { return LastStatus == "221"; }
    String StepOf(const String& Sent) const override;
    // After an accepted message a failed QUIT loses nothing: the report says the message stands.
    String SessionEndNote() const override;
    void DoOnBeforeSend();
    void DoSendProgress(uint16_t Percent);
    void DoEncodeStart(const String& FileName, int32_t BytesCount);
    void DoEncodeProgress(uint16_t Percent);
    void DoEncodeend();

private:
    bool Expect(const char* Status, TErrorEvent OnFailure);  // sets ReplyError; reports when wrong
    void Hello();  // C: HELO, S: 250
    // The opening of a secure session; each failure is reported and ends the session.
    // The account's settings, taken when the session starts: a handler may free the account.
    struct TLogin {
        TQELMailSecurity Security = msNone;
        String User;  // empty: no AUTH
        String Password;
        TTlsOptions Tls;
        bool Secure() const { return Security != msNone || !User.empty(); }
    };
    void SecureOpening(const TLogin& Login);
    bool Extended(const TLogin& Login, std::vector<String>& Extensions);  // EHLO; HELO when refused and nothing needs it
    bool Authenticate(const TLogin& Login, const std::vector<String>& Extensions);
    bool Refuse(const String& Status, const String& Text);  // the report; false
    static std::vector<String> LoginSecrets(const TLogin& Login);  // the password and its encodings
    String Scrubbed(const String& Text) const;                      // Text without any of FSecrets
    std::vector<String> FSecrets;                                   // of the running session
    void SendSecret(const String& Line);  // a credential: never a step of the reports

    bool FSendingSecret = false;
    bool SendRecipients(const std::vector<String>& Recipients);  // RCPT TO for each
    bool SendText(const TQELComposedText& Text);
    std::unique_ptr<TQELComposedText> ComposeMessage(TQELMessage* Message);  // nullptr: aborted, or the message freed

    std::unique_ptr<TStringList> FSignature;
    int32_t FLinePause = 40;
    int32_t FAccepted = 0;  // messages the server accepted in this session
};

}  // namespace qel

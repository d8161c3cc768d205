#pragma once
// TQELSMTPMail: sends the messages of its collection through the default account's SMTP server.
#include "mail/MailHost.h"

#include <memory>
#include <vector>

// Plain routines of the unit, used by the composition.
String RandomLetters(int N);             // N letters "a".."y", from a freshly seeded generator
String ZeroPad(int Value, uint8_t Width);
String TimeZoneText();                   // "GMT", "+0130", "-0500"
String TimeZoneText(int Bias);           // the same for Bias minutes west of UTC
String SMTPDateText(TDateTime DateTime, int Bias);  // "Sun, 5 Jul 2026 09:03:07 +0200"

// The text after DATA in pieces, in order: lines of the composition's own, and attachments'
// EncodedLines referred to in place, so that a large attachment is held once while it is sent.
class TQELComposedText {
public:
    TStringList& AddOwn();                    // a new, empty piece at the end
    void AddShared(const TStringList* Lines); // stays its owner's, who keeps it for this text's life
    int Count() const;                        // lines of all pieces
    std::unique_ptr<TStringList> Flatten() const;

    // Visit(const String& Line) for every line in order, until it returns false; false then.
    template <typename TVisit>
    bool ForEachLine(TVisit&& Visit) const
    {
        for (const TStringList* piece : FPieces)
            for (int i = 0; i < piece->Count(); ++i)
                if (!Visit(piece->Line(i))) return false;
        return true;
    }

private:
    std::vector<std::unique_ptr<TStringList>> FOwn;
    std::vector<const TStringList*> FPieces;
};

class TQELSMTPMail : public TQELMailHost {
    Q_OBJECT
    Q_PROPERTY(TStrings* Signature READ Signature WRITE SetSignature)
    Q_PROPERTY(int32_t LinePause READ LinePause WRITE SetLinePause)
    Q_CLASSINFO("default:LinePause", "40")
public:
    Q_INVOKABLE explicit TQELSMTPMail(TComponent* AOwner);
    ~TQELSMTPMail() override;

    bool Execute() override;
    void Connect(const String& Host, int32_t Port, int32_t TimeOut) override;
    String GetSocketText() override;
    bool SendMessage(TQELMessage* Message);

    // Composition: the text after DATA, line by line; nullptr when the session was aborted.
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
    bool ReplyError = false;
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
    bool ChecksQuitReply() const override { return true; }
    void DoOnBeforeSend();
    void DoSendProgress(uint16_t Percent);
    void DoEncodeStart(const String& FileName, int32_t BytesCount);
    void DoEncodeProgress(uint16_t Percent);
    void DoEncodeend();

private:
    bool Expect(const char* Status, TErrorEvent OnFailure);  // sets ReplyError; reports when wrong
    bool SendRecipients(const String& SendTo);
    bool SendText(const TQELComposedText& Text);
    std::unique_ptr<TQELComposedText> ComposeMessage(TQELMessage* Message);  // nullptr when aborted

    std::unique_ptr<TStringList> FSignature;
    int32_t FLinePause = 40;
};

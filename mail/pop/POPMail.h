#pragma once
// TQELPOPMail: reads the mailboxes of every account into messages, deletes on the server when asked.
#include "mail/MailExport.h"
#include "mail/session/MailHost.h"

namespace qel {

class QEL_MAIL_EXPORT TQELPOPMail : public TQELMailHost {
    Q_OBJECT
    // Received messages are never written to a form file.
    Q_PROPERTY(TQELMessages* Messages READ Messages WRITE SetQELMessages STORED false)
public:
    Q_INVOKABLE explicit TQELPOPMail(TComponent* AOwner);
    ~TQELPOPMail() override;

    bool Execute() override;
    String GetSocketText() override;
    bool Login();
    uint16_t Init();
    int32_t RetrieveMessages();
    void RetrieveMessage(uint16_t Number, bool HeaderOnly);
    void DeleteMessage(uint16_t Number);
    bool DownloadMessage(int32_t Index);
    bool EraseMessage(int32_t Index);

    static bool FindInHeaders(const String& Key, TStrings* Lines, int32_t& Index);
    static bool FindInStringList(const String& Key, TStrings* Lines, int32_t& Index, int32_t& Column);
    static bool FindInStringListCS(const String& Key, TStrings* Lines, int32_t& Index, int32_t& Column);

    void Base64Decode(TQELAttachment* Attachment);
    void UUDecode(TQELAttachment* Attachment);
    bool GetUUAttachments(TStrings* Lines, int32_t& Index, String& FileName);

    void MessageDeleting(TQELMessage* Message) override;  // forgets its Message-ID

    // Turns the lines of one retrieved message (status line and final "." already removed) into
    // a new message of Messages: header fields, duplicate check, body, attachments, AfterRetrieve.
    // HeaderOnly tells what was asked for (TOP): only then is a multipart body left unsplit.
    void ParseRetrievedMessage(uint16_t Number, TStringList& Lines, bool HeaderOnly);
    // The same, taking the lines over: a large message is never held twice.
    void ParseRetrievedMessage(uint16_t Number, std::vector<String>&& Lines, bool HeaderOnly);

    int32_t CurrentItemIndex = 0;
    TQELMailSessionState SessionState = Authorization;
    std::unique_ptr<TStringList> ReceivedIds;
    int32_t MessageSize = 0;
    uint16_t NextRetrieveStep = 0;
    uint16_t DecodePercent = 0;
    uint16_t RetrievePercent = 0;
    std::unique_ptr<TStringList> DeletedNumbers;
    uint16_t MessageCount = 0;

    TQELMailAction BeforeRetrieve;
    TQELAfterMsgAction AfterRetrieve;
    TQELMailProgress OnRetrieveProgress;
    TQELMailAction OnDelete;
    TQELOnCodingStart OnDecodeStart;
    TQELMailProgress OnDecodeProgress;
    TNotifyEvent OnDecodeEnd;

protected:
    // S: +OK greeting; a new session numbers the mailbox afresh.
    void StartDialogue() override;

private:
    // The session of Execute, DownloadMessage and EraseMessage: log in, STAT, then Work.
    TSessionEnd RunMailboxSession(TQELMailAccount* Account, const std::function<void()>& Work);
};

}  // namespace qel

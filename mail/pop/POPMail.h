#pragma once
// TQELPOPMail: reads the mailboxes of every account into messages, deletes on the server when asked.
#include "mail/MailExport.h"
#include "mail/session/MailHost.h"

#include <map>
#include <unordered_set>

namespace qel {

// A piece of a retrieved message's text as the server sent it, dot-unstuffed.
using TQELOnRetrieveText = std::function<void(TObject* Sender, uint16_t Number, const String& Text)>;
// An attachment just made of a MIME part, with that part's header lines as they came (each ending
// in CR LF, folded lines as sent): its name parameters neither decoded nor cleaned.
using TQELOnPartHeader = std::function<void(TObject* Sender, TQELAttachment* Attachment, const String& Header)>;
// Whether the message with the server's unique id Uid was seen before; Seen comes in false.
using TQELOnCheckSeen = std::function<void(TObject* Sender, const String& Uid, bool& Seen)>;

class QEL_MAIL_EXPORT TQELPOPMail : public TQELMailHost {
    Q_OBJECT
    // Received messages are never written to a form file.
    Q_PROPERTY(TQELMessages* Messages READ Messages WRITE SetQELMessages STORED false)
    Q_PROPERTY(int32_t MaxMessageSize READ MaxMessageSize WRITE SetMaxMessageSize)
    Q_CLASSINFO("default:MaxMessageSize", "268435456")
    // The host keeps the seen ids where it keeps its mail, not in a form file.
    Q_PROPERTY(TStrings* SeenUIDs READ SeenUIDs WRITE SetSeenUIDs STORED false)
public:
    Q_INVOKABLE explicit TQELPOPMail(TComponent* AOwner);
    ~TQELPOPMail() override;

    // The most bytes one retrieved message may take (status line and terminator included): a
    // server that streams without end then ends the session with an error, and nothing is deleted.
    static constexpr int32_t DefaultMaxMessageSize = 256 * 1024 * 1024;
    int32_t MaxMessageSize() const { return FMaxMessageSize; }
    void SetMaxMessageSize(int32_t Value) { FMaxMessageSize = Value > 0 ? Value : DefaultMaxMessageSize; }

    // With the account's Pop3NewOnly: the unique ids of the messages seen before, asked when no
    // OnCheckSeen is assigned. The id of each message handed over (or a duplicate of one held) is
    // added once AfterRetrieve has returned.
    TStrings* SeenUIDs() const { return FSeenUIDs.get(); }
    void SetSeenUIDs(TStrings* Value);

    bool Execute() override;
    String GetSocketText() override;
    bool Login();
    uint16_t Init();
    // With the account's Pop3NewOnly it first asks UIDL and leaves out every message seen before.
    int32_t RetrieveMessages();
    // C: UIDL: the unique ids of this session's messages. False, reported, when the server refuses
    // or the session ends: then nothing must be fetched, as nothing could be told apart.
    bool ReadUniqueIds();
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
    // Frees the held message at Index like Messages()->Delete, but keeps its Message-ID: a host
    // that only wants the memory back does not get the message again as new. False on a bad Index.
    bool ReleaseMessage(int32_t Index);

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
    // The text of the message being read, piece by piece as it arrives, before it is parsed: every
    // byte after the status line up to the terminating line, with the dot the server put before a
    // line that begins with one taken off again. OnRetrieveTextEnd follows once the whole text has
    // arrived; a reading that ends early has none. A host that stores messages stores them here.
    TQELOnRetrieveText OnRetrieveText;
    TQELMailAction OnRetrieveTextEnd;
    // Before an attachment of a MIME part is decoded: the header its name came from, for a host
    // that decodes names (RFC 2047, RFC 2231) itself. FileName holds the name cleaned, undecoded.
    TQELOnPartHeader OnPartHeader;
    // Asked for each message of the UIDL listing, with the account's Pop3NewOnly; a message seen
    // is neither retrieved nor deleted. Without it SeenUIDs answers.
    TQELOnCheckSeen OnCheckSeen;

protected:
    // S: +OK greeting; a new session numbers the mailbox afresh.
    void StartDialogue() override;
    bool QuitAccepted() const override { return !ReplyError; }
    String StepOf(const String& Sent) const override;
    // Deletions stand only once QUIT is accepted: a session that ends otherwise says so.
    String SessionEndNote() const override;

private:
    int32_t FMaxMessageSize = DefaultMaxMessageSize;
    std::unique_ptr<TStringList> FSeenUIDs = std::make_unique<TStringList>();
    std::map<uint16_t, String> FUids;       // this session's UIDL listing
    std::unordered_set<String> FSeenIndex;  // SeenUIDs as the session began, and what it added

    bool NewOnly() const;
    bool SeenBefore(uint16_t Number);
    void NoteSeen(uint16_t Number);
    // STLS or implicit TLS as the account asks; false when the session has ended, reported.
    bool StartSecurity(bool Implicit);

    // What became of the message RetrieveMessage read last: only a message the host was handed, or
    // a true duplicate of one it holds, may be deleted on the server.
    enum class TRetrieved { Nothing, Handed, Duplicate };
    TRetrieved FRetrieved = TRetrieved::Nothing;
    bool FKeepingId = false;  // inside ReleaseMessage

    // The session of Execute, DownloadMessage and EraseMessage: log in, STAT, then Work.
    TSessionEnd RunMailboxSession(TQELMailAccount* Account, const std::function<void()>& Work);
};

}  // namespace qel

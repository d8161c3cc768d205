#pragma once
// TQELMailHost: one line-oriented mail session over a blocking connection, and the shared events.
#include "mail/MailExport.h"
#include "framework/net/ClientSocket.h"
#include "mail/model/MailMessages.h"
#include "mail/model/MailAccount.h"

#include <functional>
#include <memory>

namespace qel {

using TQELOnHostMessage = std::function<void(TObject* Sender, const String& Status, const String& Msg)>;
using TQELOnInfoMessage = std::function<void(TObject* Sender, const String& Status, const String& MsgText, bool IsError)>;
using TQELOnConnectionState = std::function<void(TObject* Sender, const String& Server, int32_t Port)>;
using TQELOnCodingStart = std::function<void(TObject* Sender, const String& FileName, int32_t BytesCount)>;
using TQELMailProgress = std::function<void(TObject* Sender, uint16_t Percent, int32_t ItemIndex)>;
using TQELMailAction = std::function<void(TObject* Sender, uint16_t Index)>;
using TQELAfterMsgAction = std::function<void(TObject* Sender, TQELMessage* MailMessage)>;

enum TQELMailSessionState { Authorization, Transaction };

// A protocol's reader of one reply (session/ReplyReader.h).
class TReplyReader;

// The session engine: the frame every run goes through (socket, connect, greeting, the protocol's
// work, QUIT or abort, exceptions) and the wait for a reply. SMTP and POP3 add their dialogues and
// their reply readers.
class QEL_MAIL_EXPORT TQELMailHost : public TQELMailsComponent {
    Q_OBJECT
    Q_PROPERTY(TQELMessages* Messages READ Messages WRITE SetQELMessages)
    Q_PROPERTY(TQELAccountHolder* AccountInfo READ AccountInfo WRITE SetAccountInfo)
public:
    Q_INVOKABLE explicit TQELMailHost(TComponent* AOwner);
    ~TQELMailHost() override;

    bool Execute() override;  // fires OnExecute, True
    // Opens the connection, then the protocol's opening dialogue (StartDialogue).
    virtual void Connect(const String& Host, int32_t Port, int32_t TimeOut);
    virtual void SendSocketText(const String& Text);
    virtual String GetSocketText();
    virtual void Disconnect();

    // The client socket's notices.
    void DoConnect(TObject* Sender, TCustomWinSocket* Socket);
    void DoDisconnect(TObject* Sender, TCustomWinSocket* Socket);
    void HandleErrorAndExit(TObject* Sender, TCustomWinSocket* Socket, TErrorEvent ErrorEvent, int& ErrorCode);
    void HandleError(TErrorEvent ErrorEvent);
    void HandleServerResponse(const String& Status, const String& MsgText, bool IsError);
    // The wait for one reply through Reader (ReadReply). A server that closes or stays silent ends
    // the session with the error report, once. False when no complete reply came.
    bool AwaitReply(TReplyReader& Reader);
    // The one error report of a failure: ends the session without QUIT (so nothing of it is
    // committed), then fires OnError. Text says what and where; a protocol may add what became of
    // the work done (SessionEndNote).
    void AbortSession(const String& Status, const String& Text);

    TQELMessages* Messages() const { return FMessages.get(); }
    void SetQELMessages(TQELMessages* Value);
    TQELAccountHolder* AccountInfo() const { return FAccountInfo; }
    void SetAccountInfo(TQELAccountHolder* Value);

    // Called by TQELMessages::Delete before a message is freed; POP3 forgets its Message-ID here.
    virtual void MessageDeleting(TQELMessage* Message);

    bool Connected = false;
    bool Busy = false;
    bool Aborted = false;
    bool ReplyError = false;  // the last reply was not the one expected
    std::unique_ptr<TWinSocketStream> SocketStream;
    std::unique_ptr<TClientSocket> ClientSocket;
    String LastStatus;
    String LastMessage;
    // The last complete reply's lines as received (CR LF between them), beyond LastMessage's 64
    // characters; POP3 keeps its status line only.
    String LastReply;
    TQELMailAccount* CurrentAccount = nullptr;

    TQELOnConnectionState OnConnect;
    TNotifyEvent OnExecute;
    TQELOnHostMessage OnServerMessage;
    TNotifyEvent AfterExecute;
    TNotifyEvent BeforeExecute;
    TQELOnInfoMessage OnServerResponse;
    TQELOnInfoMessage OnError;
    TQELOnConnectionState OnDisconnect;

protected:
    enum class TSessionEnd { Skipped, Aborted, Raised, Done };
    enum class TReplyEnd { Complete, Closed, Silent };

    void Notification(TComponent* AComponent, TOperation Operation) override;
    // TLS on the open connection, checked as Account says: right after the connect (implicit TLS)
    // or once the server has agreed to STARTTLS / STLS. A failure is the session's one error
    // report ("TLS: ..."); false then.
    bool StartTls(const TTlsOptions& Options);
    // Creates the session's blocking client socket with its notices wired to this host.
    void CreateClientSocket();
    void ReleaseClientSocket();
    bool SessionOpen() const;
    // A session of this component is under way; Busy alone is cleared by every error report.
    bool SessionRunning() const { return Busy || FInSession; }
    // The frame of a run against Account's Server: connect (greeting included), Work, QUIT; an
    // exception drops the connection without QUIT and goes to Application->HandleException. Work
    // answers whether the protocol got to do its work. Skipped while a session is running.
    TSessionEnd RunSession(TQELMailAccount* Account, const String& Server, int32_t Port,
                           const std::function<bool()>& Work);
    // The protocol's opening after the connection is made: greeting check, HELO, ...
    virtual void StartDialogue() {}
    // Feeds Reader until its reply is complete, the connection is gone or the server stayed silent
    // for FSilentWaitLimit waits in a row, servicing the queue between empty waits. A socket error
    // comes out as ESocketError, after the socket's error notice.
    TReplyEnd ReadReply(TReplyReader& Reader);
    // Whether the reply just read accepts QUIT (SMTP: 221; POP3: +OK).
    virtual bool QuitAccepted() const { return true; }
    // The name of the step a line sent starts ("MAIL FROM", "RETR 3"), for the reports; empty: the
    // step goes on (text lines).
    virtual String StepOf(const String& /*Sent*/) const { return {}; }
    // Added before the text of a report that ends the session, so a host can tell what of the work
    // done stands (SMTP: messages accepted before QUIT failed; POP3: deletions not committed).
    virtual String SessionEndNote() const { return {}; }
    // True, with the error report, when Command is asked for outside any session; nothing is sent
    // or changed then. Inside a run whose session has ended (and was reported) it stays quiet.
    bool NoSessionFor(const String& Command);
    const String& CurrentStep() const { return FStep; }
    bool Closing() const { return FClosing; }  // QUIT is under way
    void DoBeforeExecute();
    void DoAfterExecute();

    // Waits of the stream's time-out in a row after which a silent server counts as gone. Every
    // wait of a session, greeting and each reply alike, keeps this one rule.
    static constexpr int32_t MaxSilentWaits = 10;
    int32_t FSilentWaitLimit = MaxSilentWaits;

private:
    // Room for one read; what a reply did not take stays here for the next reply of the session.
    static constexpr size_t ReceiveBufferBytes = 64 * 1024;
    void OpenConnection(const String& Host, int32_t Port, int32_t TimeOut);
    // The QUIT exchange of Disconnect; a failure is reported with what of the work stands.
    void Quit();
    // Hands Reader bytes left by the reply before; false when there are none.
    bool TakeUnread(TReplyReader& Reader);
    // The texts of the reports: where the dialogue stood, and each kind of failure.
    String Where(TErrorEvent Kind) const;
    String HostAndPort() const;
    String SilenceText() const;

    std::unique_ptr<TQELMessages> FMessages;
    TQELAccountHolder* FAccountInfo = nullptr;
    bool FInSession = false;
    std::unique_ptr<char[]> FReceiveBuffer;
    size_t FUnreadFrom = 0;
    size_t FUnreadTo = 0;
    String FStep;               // the step under way; empty: the greeting
    bool FClosing = false;
    String FConnectFailure;     // the system's words for a failed connect
};

}  // namespace qel

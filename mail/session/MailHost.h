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
    // Whether QUIT's reply must be 221 (SMTP) or is not looked at (POP3).
    virtual bool ChecksQuitReply() const { return false; }
    void DoBeforeExecute();
    void DoAfterExecute();

    // Waits of the stream's time-out in a row after which a silent server counts as gone; 0: wait
    // until it answers or closes, or the host ends the session.
    int32_t FSilentWaitLimit = 0;

private:
    // Room for one read; what a reply did not take stays here for the next reply of the session.
    static constexpr size_t ReceiveBufferBytes = 64 * 1024;
    void OpenConnection(const String& Host, int32_t Port, int32_t TimeOut);
    // Hands Reader bytes left by the reply before; false when there are none.
    bool TakeUnread(TReplyReader& Reader);

    std::unique_ptr<TQELMessages> FMessages;
    TQELAccountHolder* FAccountInfo = nullptr;
    bool FInSession = false;
    std::unique_ptr<char[]> FReceiveBuffer;
    size_t FUnreadFrom = 0;
    size_t FUnreadTo = 0;
};

}  // namespace qel

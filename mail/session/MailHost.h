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

class QEL_MAIL_EXPORT TQELMailHost : public TQELMailsComponent {
    Q_OBJECT
    Q_PROPERTY(TQELMessages* Messages READ Messages WRITE SetQELMessages)
    Q_PROPERTY(TQELAccountHolder* AccountInfo READ AccountInfo WRITE SetAccountInfo)
public:
    Q_INVOKABLE explicit TQELMailHost(TComponent* AOwner);
    ~TQELMailHost() override;

    bool Execute() override;  // fires OnExecute, True
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
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // Creates the session's blocking client socket with its notices wired to this host.
    void CreateClientSocket();
    void ReleaseClientSocket();
    // Whether QUIT's reply must be 221 (SMTP) or is not looked at (POP3).
    virtual bool ChecksQuitReply() const { return false; }
    void DoBeforeExecute();
    void DoAfterExecute();

private:
    std::unique_ptr<TQELMessages> FMessages;
    TQELAccountHolder* FAccountInfo = nullptr;
};

}  // namespace qel

// send_report: sends one message with attachments through an SMTP server.
//   send_report HOST[:PORT] FROM TO SUBJECT BODY [FILE...]
// TO may list several addresses separated by ';'. The exit code is 0 only when the server
// accepted the message.
#include "framework/core/Application.h"
#include "mail/QELTIEmails.h"

#include <cstdio>
#include <cstdlib>

using namespace qel;

int main(int argc, char** argv)
{
    if (argc < 6) {
        std::fprintf(stderr, "usage: send_report HOST[:PORT] FROM TO SUBJECT BODY [FILE...]\n");
        return 2;
    }
    Application->Initialize(argc, argv);

    TQELAccountHolder holder(nullptr);
    TQELMailAccount* account = holder.Accounts()->Add();  // the first account is the default
    const String server = argv[1];
    const auto colon = server.rfind(':');
    account->SMTPServer = server.substr(0, colon);
    if (colon != String::npos) account->SMTPPort = std::atoi(server.c_str() + colon + 1);
    account->SetProgressStep(25);  // a progress event every quarter

    TQELSMTPMail smtp(nullptr);
    smtp.SetAccountInfo(&holder);
    smtp.SetLinePause(0);  // no pause after each line: today's servers need no throttling
    TQELMessage* msg = smtp.Messages()->Add();
    msg->FromMail = argv[2];
    msg->SendTo = argv[3];
    msg->Subject = argv[4];
    msg->Message()->SetText(argv[5]);
    for (int i = 6; i < argc; ++i) msg->Attachments()->Add(argv[i]);

    bool accepted = false;
    bool failed = false;
    smtp.OnConnect = [](TObject*, const String& Host, int32_t Port) { std::printf("connected to %s:%d\n", Host.c_str(), Port); };
    smtp.OnEncodeStart = [](TObject*, const String& FileName, int32_t Bytes) {
        std::printf("encoding %s (%d bytes)\n", FileName.c_str(), Bytes);
    };
    smtp.OnSendProgress = [](TObject*, uint16_t Percent, int32_t) { std::printf("sending: %u%%\n", unsigned(Percent)); };
    smtp.OnSuccessSend = [&accepted](TObject*) { accepted = true; };
    // Server failures arrive here; other errors of the run (an unreadable file) go to OnException.
    smtp.OnError = [&failed](TObject*, const String& Status, const String& Text, bool) {
        failed = true;
        std::fprintf(stderr, "error: %s %s\n", Status.c_str(), Text.c_str());
    };
    Application->OnException = [&failed](TObject*, const Exception& E) {
        failed = true;
        std::fprintf(stderr, "error: %s\n", E.Message().c_str());
    };

    smtp.Execute();
    if (accepted && !failed) {
        std::printf("accepted by %s\n", server.c_str());
        return 0;
    }
    return 1;
}

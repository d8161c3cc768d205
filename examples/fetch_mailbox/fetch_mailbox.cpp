// fetch_mailbox: reads a POP3 mailbox, prints one line per message and saves the attachments.
//   fetch_mailbox HOST[:PORT] USER SAVE_DIR [PASSWORD_FILE]
// The password is the first line of PASSWORD_FILE, or $QEL_PASSWORD without it: never an
// argument, which other users could read in the process list. Messages stay on the server.
#include "framework/core/Application.h"
#include "mail/QELTIEmails.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace qel;
namespace fs = std::filesystem;

namespace {

String ReadPassword(int argc, char** argv)
{
    String password;
    if (argc > 4) {
        std::ifstream file(argv[4]);
        std::getline(file, password);
    } else if (const char* env = std::getenv("QEL_PASSWORD")) {
        password = env;
    }
    if (!password.empty() && password.back() == '\r') password.pop_back();
    return password;
}

// The attachment's name comes from the sender: only its last part is used, so that a name
// like "../../.bashrc" cannot leave the folder; a name already taken gets the message number.
fs::path TargetFile(const fs::path& Folder, const String& Name, int32_t MessageNumber)
{
    String file = Name.substr(Name.find_last_of("/\\") + 1);
    if (file.empty() || file == "." || file == "..") file = "attachment";
    fs::path target = Folder / file;
    if (fs::exists(target)) target = Folder / (std::to_string(MessageNumber) + "-" + file);
    return target;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: fetch_mailbox HOST[:PORT] USER SAVE_DIR [PASSWORD_FILE]\n");
        return 2;
    }
    Application->Initialize(argc, argv);
    const fs::path folder = argv[3];
    fs::create_directories(folder);

    TQELAccountHolder holder(nullptr);
    TQELMailAccount* account = holder.Accounts()->Add();
    const String server = argv[1];
    const auto colon = server.rfind(':');
    account->Pop3Server = server.substr(0, colon);
    if (colon != String::npos) account->Pop3Port = std::atoi(server.c_str() + colon + 1);
    account->Username = argv[2];
    account->Password = ReadPassword(argc, argv);

    TQELPOPMail pop(nullptr);
    pop.SetAccountInfo(&holder);
    bool failed = false;
    pop.AfterRetrieve = [&folder](TObject*, TQELMessage* Msg) {
        std::printf("#%d  %s <%s>  %s  (%d attachment(s))\n", Msg->MessageNumber, Msg->FromName.c_str(),
                    Msg->FromMail.c_str(), Msg->Subject.c_str(), Msg->Attachments()->Count());
        for (int i = 0; i < Msg->Attachments()->Count(); ++i) {
            TQELAttachment* a = Msg->Attachments()->Items(i);
            a->SaveToFile(TargetFile(folder, a->FileName, Msg->MessageNumber).string());
        }
    };
    pop.OnError = [&failed](TObject*, const String& Status, const String& Text, bool) {
        failed = true;
        std::fprintf(stderr, "error: %s %s\n", Status.c_str(), Text.c_str());
    };
    Application->OnException = [&failed](TObject*, const Exception& E) {
        failed = true;
        std::fprintf(stderr, "error: %s\n", E.Message().c_str());
    };

    pop.Execute();
    return failed ? 1 : 0;
}

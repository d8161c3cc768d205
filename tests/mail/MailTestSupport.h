#pragma once
// Small helpers shared by the mail tests.
#include "framework/core/Application.h"
#include "framework/core/Registry.h"

#include <QTemporaryDir>
#include <fstream>
#include <sstream>
#include <vector>

using namespace qel;

namespace MailTest {

// Collects what reaches Application->HandleException while it lives, then unhooks.
class TExceptionLog {
public:
    struct TReport {
        TObject* Sender;
        String Message;
    };

    TExceptionLog()
    {
        Application->OnException = [this](TObject* Sender, const Exception& E) {
            Reports.push_back({Sender, E.Message()});
        };
    }
    ~TExceptionLog() { Application->OnException = nullptr; }
    TExceptionLog(const TExceptionLog&) = delete;
    TExceptionLog& operator=(const TExceptionLog&) = delete;

    size_t Count() const { return Reports.size(); }

    std::vector<TReport> Reports;
};

// A folder removed with everything in it when the helper goes.
class TTempFolder {
public:
    bool IsValid() const { return FDir.isValid(); }
    String Path() const { return FDir.path().toStdString(); }
    String FilePath(const String& Name) const { return FDir.filePath(QString::fromStdString(Name)).toStdString(); }

    String Write(const String& Name, const String& Bytes) const
    {
        const String path = FilePath(Name);
        std::ofstream(path, std::ios::binary) << Bytes;
        return path;
    }

    String Read(const String& Name) const
    {
        std::ifstream in(FilePath(Name), std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }

private:
    QTemporaryDir FDir;
};

// Points the registry facade at a folder of INI files while it lives.
class TRegistryFolder {
public:
    explicit TRegistryFolder(const String& Folder) { TRegistry::SetBaseFolder(Folder); }
    ~TRegistryFolder() { TRegistry::SetBaseFolder(""); }
    TRegistryFolder(const TRegistryFolder&) = delete;
    TRegistryFolder& operator=(const TRegistryFolder&) = delete;
};

}  // namespace MailTest

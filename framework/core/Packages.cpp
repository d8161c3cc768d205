#include "framework/core/Packages.h"

#include "framework/core/Object.h"

#include <mutex>

namespace qel {

namespace {

std::mutex& LoaderLock()
{
    static std::mutex m;  // one load at a time, so each takes only the failures it caused
    return m;
}

String Joined(const std::vector<String>& Lines)
{
    String all;
    for (const String& line : Lines) all += (all.empty() ? "" : "\n") + line;
    return all;
}

}  // namespace

HMODULE LoadPackage(const String& FileName)
{
    std::lock_guard g(LoaderLock());
    const size_t before = ClassRegistrationErrorCount();
    HMODULE module = LoadLibrary(FileName);
    if (!module) throw EPackageError("Cannot load package " + FileName + ": " + LibraryErrorText());
    const std::vector<String> failures = TakeClassRegistrationErrors(before);
    if (failures.empty()) return module;
    FreeLibrary(module);
    throw EPackageError("Cannot load package " + FileName + ": " + Joined(failures));
}

void UnloadPackage(HMODULE Module)
{
    std::lock_guard g(LoaderLock());
    FreeLibrary(Module);
}

}  // namespace qel

#include "framework/core/Libraries.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <utility>

namespace qel {

namespace {

// dlerror() answers once and only for the last dl call, so the text is kept until it is asked.
thread_local String LastError;

void KeepLoaderError(const char* Fallback)
{
    const char* text = dlerror();
    LastError = text ? text : Fallback;
}

String RunningProgram()
{
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path);
    return n > 0 && static_cast<size_t>(n) < sizeof path ? String(path, static_cast<size_t>(n)) : String();
}

}  // namespace

HMODULE LoadLibrary(const String& FileName)
{
    HMODULE handle = dlopen(FileName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) KeepLoaderError("cannot load library");
    return handle;
}

bool FreeLibrary(HMODULE Module)
{
    if (!Module) return false;
    if (dlclose(Module) == 0) return true;
    KeepLoaderError("cannot unload library");
    return false;
}

void* GetProcAddress(HMODULE Module, const String& Name)
{
    if (!Module) return nullptr;
    dlerror();  // a symbol may be null and still exist; only a fresh error text tells
    void* symbol = dlsym(Module, Name.c_str());
    if (!symbol) KeepLoaderError("undefined symbol");
    return symbol;
}

String LibraryErrorText()
{
    return LastError;
}

String ModuleFileName(const void* Address)
{
    Dl_info info{};
    link_map* module = nullptr;
    if (!Address || dladdr1(Address, &info, reinterpret_cast<void**>(&module), RTLD_DL_LINKMAP) == 0)
        return String();
    // The loader knows the main program only by the name it was started with, maybe relative.
    if (module && !module->l_name[0]) {
        const String program = RunningProgram();
        if (!program.empty()) return program;
    }
    return info.dli_fname ? info.dli_fname : "";
}

TLibrary& TLibrary::operator=(TLibrary&& Other) noexcept
{
    if (this != &Other) {
        Free();
        FHandle = std::exchange(Other.FHandle, nullptr);
    }
    return *this;
}

bool TLibrary::Load(const String& FileName)
{
    Free();
    FHandle = LoadLibrary(FileName);
    return FHandle != nullptr;
}

void TLibrary::Free()
{
    if (FHandle) FreeLibrary(std::exchange(FHandle, nullptr));
}

}  // namespace qel

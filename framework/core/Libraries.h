#pragma once
// Shared libraries loaded at run time: a library by name, its entry points by name, and the file
// of the module an address lives in.
#include "framework/core/Export.h"
#include "framework/core/Types.h"

namespace qel {

using HMODULE = void*;  // a loaded library; null for none

// Every symbol is bound at once (a missing dependency fails here, not at a later call) and kept
// local to the library. A name without '/' goes through the dynamic linker's search path; a path
// names the file. Null on failure, and LibraryErrorText() says why.
QEL_FRAMEWORK_EXPORT HMODULE LoadLibrary(const String& FileName);
// Drops one load of Module; the library goes when its last load does. False for a null Module.
QEL_FRAMEWORK_EXPORT bool FreeLibrary(HMODULE Module);
// Null when Module lacks Name (LibraryErrorText() then says so) or Module is null.
QEL_FRAMEWORK_EXPORT void* GetProcAddress(HMODULE Module, const String& Name);
// The dynamic loader's text for the last failure of the three calls above on this thread.
QEL_FRAMEWORK_EXPORT String LibraryErrorText();

// The file of the executable or library holding Address; "" when no module holds it.
QEL_FRAMEWORK_EXPORT String ModuleFileName(const void* Address);

// One load of a library, dropped when the object goes.
class QEL_FRAMEWORK_EXPORT TLibrary {
public:
    TLibrary() = default;
    explicit TLibrary(const String& FileName) : FHandle(LoadLibrary(FileName)) {}
    ~TLibrary() { Free(); }
    TLibrary(TLibrary&& Other) noexcept : FHandle(Other.FHandle) { Other.FHandle = nullptr; }
    TLibrary& operator=(TLibrary&& Other) noexcept;
    TLibrary(const TLibrary&) = delete;
    TLibrary& operator=(const TLibrary&) = delete;

    bool Load(const String& FileName);  // drops what it held first; False as LoadLibrary fails
    void Free();
    bool Loaded() const { return FHandle != nullptr; }
    HMODULE Handle() const { return FHandle; }

    // The entry point Name as a function pointer of type F; null when missing or not loaded.
    template <class F>
    F Proc(const String& Name) const { return reinterpret_cast<F>(GetProcAddress(FHandle, Name)); }

private:
    HMODULE FHandle = nullptr;
};

}  // namespace qel

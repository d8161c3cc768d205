#pragma once
// Packages: libraries loaded at run time (by the design environment, or a host) whose classes
// are registered while they are loaded and unregistered when they are unloaded.
#include "framework/core/Exceptions.h"
#include "framework/core/Export.h"
#include "framework/core/Libraries.h"

namespace qel {

QEL_DECLARE_EXCEPTION(EPackageError, Exception)

// Loads FileName as LoadLibrary does. Raises EPackageError with the loader's text when it cannot
// be loaded, and when one of the classes it registers (or a library it brings along registers)
// clashes with a class registered already: the package is unloaded again then, and the message
// names both classes and their files.
QEL_FRAMEWORK_EXPORT HMODULE LoadPackage(const String& FileName);
// Drops one load of a package; its classes go when its last load does.
QEL_FRAMEWORK_EXPORT void UnloadPackage(HMODULE Module);

}  // namespace qel

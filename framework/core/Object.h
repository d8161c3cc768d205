#pragma once
// TObject: run-time class information on top of moc, and the class registry that
// lets form files create components and collection items from their class names.
#include "framework/core/Export.h"
#include "framework/core/Exceptions.h"

#include <QObject>
#include <vector>

namespace qel {

class TObject;
using TClass = const QMetaObject*;  // a class reference: moc's meta-object for the class

class QEL_FRAMEWORK_EXPORT TObject : public QObject {
    Q_OBJECT
public:
    TObject() = default;
    ~TObject() override = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;

    String ClassName() const;  // without namespaces: "TComponent", as form files store it
    TClass ClassType() const { return metaObject(); }
    bool InheritsFrom(TClass AClass) const { return AClass && metaObject()->inherits(AClass); }
};

template <class T>
TClass ClassOf() { return &T::staticMetaObject; }

// A class's name without the C++ namespaces it is declared in; "nil" for none.
QEL_FRAMEWORK_EXPORT String ClassNameOf(TClass AClass);

// "is a" tests and checked casts; As raises EInvalidCast like the framework's "as".
template <class T>
bool Is(const TObject* Obj) { return dynamic_cast<const T*>(Obj) != nullptr; }

template <class T>
T* As(TObject* Obj)
{
    if (!Obj) return nullptr;
    if (auto* t = dynamic_cast<T*>(Obj)) return t;
    throw EInvalidCast("Invalid class typecast: " + Obj->ClassName() + " is not a " + ClassNameOf(ClassOf<T>()));
}

// Class registry. A class must be registered before a form file naming it can be read.
// Registering a different class under a name already taken raises EFilerError naming both classes
// and the files they come from; registering the same class again changes nothing.
QEL_FRAMEWORK_EXPORT void RegisterClass(TClass AClass);
QEL_FRAMEWORK_EXPORT void UnRegisterClass(TClass AClass);  // only when AClass holds its name
QEL_FRAMEWORK_EXPORT TClass GetClass(const String& ClassName);   // nullptr when unknown
QEL_FRAMEWORK_EXPORT TClass FindClass(const String& ClassName);  // raises EClassNotFound when unknown

// Registers a class for as long as the library holding this object stays loaded: static
// destructors run when the library is unloaded. An exception cannot leave a library's static
// initialiser, so a failed registration is recorded instead, for LoadPackage to raise.
class QEL_FRAMEWORK_EXPORT TClassRegistration {
public:
    explicit TClassRegistration(TClass AClass) noexcept;
    ~TClassRegistration();
    TClassRegistration(const TClassRegistration&) = delete;
    TClassRegistration& operator=(const TClassRegistration&) = delete;

private:
    TClass FClass = nullptr;  // null when the registration failed
};

// Failed registrations not yet taken, oldest first, counted since the process started. Taking
// those from First on leaves the older ones for whoever loaded their library.
QEL_FRAMEWORK_EXPORT size_t ClassRegistrationErrorCount();
QEL_FRAMEWORK_EXPORT std::vector<String> TakeClassRegistrationErrors(size_t First = 0);

// Registers a class while its library is loaded (at namespace scope in one of its sources).
#define QEL_REGISTER_CLASS(T) \
    static const ::qel::TClassRegistration qel_registration_##T(::qel::ClassOf<T>())

}  // namespace qel

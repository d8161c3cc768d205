#include "framework/core/Object.h"

#include "framework/core/Libraries.h"

#include <map>
#include <mutex>
#include <string_view>

namespace qel {

namespace {

struct ClassRegistry {
    std::mutex Lock;
    std::map<String, TClass> Classes;
    std::vector<std::pair<size_t, String>> Errors;  // numbered in the order they happened
    size_t ErrorsRecorded = 0;
};

ClassRegistry& Registry()
{
    static ClassRegistry r;  // function-local: libraries register during static initialisation
    return r;
}

// "ns::TFoo (/usr/lib/libfoo.so.1)": which class, and where it was loaded from.
String Describe(TClass AClass)
{
    return String(AClass->className()) + " (" + ModuleFileName(AClass) + ")";
}

void RecordRegistrationError(String Message)
{
    auto& r = Registry();
    std::lock_guard g(r.Lock);
    r.Errors.emplace_back(r.ErrorsRecorded++, std::move(Message));
}

}  // namespace

String ClassNameOf(TClass AClass)
{
    if (!AClass) return "nil";
    const std::string_view name = AClass->className();
    const size_t colon = name.rfind("::");
    return String(colon == std::string_view::npos ? name : name.substr(colon + 2));
}

String TObject::ClassName() const { return ClassNameOf(metaObject()); }

void RegisterClass(TClass AClass)
{
    if (!AClass) return;
    auto& r = Registry();
    std::lock_guard g(r.Lock);
    const String name = ClassNameOf(AClass);
    auto [it, added] = r.Classes.emplace(name, AClass);
    if (!added && it->second != AClass)
        throw EFilerError("A class named " + name + " is already registered: " + Describe(it->second) +
                          "; cannot register " + Describe(AClass));
}

void UnRegisterClass(TClass AClass)
{
    if (!AClass) return;
    auto& r = Registry();
    std::lock_guard g(r.Lock);
    auto it = r.Classes.find(ClassNameOf(AClass));
    if (it != r.Classes.end() && it->second == AClass) r.Classes.erase(it);
}

TClass GetClass(const String& ClassName)
{
    auto& r = Registry();
    std::lock_guard g(r.Lock);
    auto it = r.Classes.find(ClassName);
    return it == r.Classes.end() ? nullptr : it->second;
}

TClass FindClass(const String& ClassName)
{
    if (TClass c = GetClass(ClassName)) return c;
    throw EClassNotFound("Class " + ClassName + " not found");
}

TClassRegistration::TClassRegistration(TClass AClass) noexcept
{
    try {
        RegisterClass(AClass);
        FClass = AClass;
    } catch (const std::exception& E) {
        RecordRegistrationError(E.what());
    } catch (...) {
        RecordRegistrationError("Cannot register class " + ClassNameOf(AClass));
    }
}

TClassRegistration::~TClassRegistration()
{
    UnRegisterClass(FClass);
}

size_t ClassRegistrationErrorCount()
{
    auto& r = Registry();
    std::lock_guard g(r.Lock);
    return r.ErrorsRecorded;
}

std::vector<String> TakeClassRegistrationErrors(size_t First)
{
    auto& r = Registry();
    std::lock_guard g(r.Lock);
    std::vector<String> taken;
    for (auto& [number, message] : r.Errors)
        if (number >= First) taken.push_back(message);
    std::erase_if(r.Errors, [First](const auto& E) { return E.first >= First; });
    return taken;
}

}  // namespace qel

#include "framework/core/Object.h"

#include <map>
#include <mutex>
#include <string_view>

namespace qel {

namespace {

struct ClassRegistry {
    std::mutex Lock;
    std::map<String, TClass> Classes;
};

ClassRegistry& Registry()
{
    static ClassRegistry r;  // function-local: libraries register during static initialisation
    return r;
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
    r.Classes[ClassNameOf(AClass)] = AClass;
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

}  // namespace qel

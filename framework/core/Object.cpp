#include "framework/core/Object.h"

#include <map>
#include <mutex>

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

void RegisterClass(TClass AClass)
{
    if (!AClass) return;
    auto& r = Registry();
    std::lock_guard g(r.Lock);
    r.Classes[AClass->className()] = AClass;
}

void UnRegisterClass(TClass AClass)
{
    if (!AClass) return;
    auto& r = Registry();
    std::lock_guard g(r.Lock);
    auto it = r.Classes.find(AClass->className());
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

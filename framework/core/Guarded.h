#pragma once
// TGuarded<T>: a reference to an object that may be freed behind the holder's back (by its owner,
// or by an event handler the holder called). It reads null once the object is destroyed, so "is
// it still there?" is a plain test after any call that may free it.
#include <QPointer>

namespace qel {

template <class T>
class TGuarded {
public:
    TGuarded() = default;
    TGuarded(T* Object) : FObject(Object) {}  // implicit, like the raw pointer it stands for
    TGuarded& operator=(T* Object)
    {
        FObject = Object;
        return *this;
    }

    T* Get() const { return FObject.data(); }
    operator T*() const { return Get(); }
    T* operator->() const { return Get(); }
    T& operator*() const { return *Get(); }
    bool Assigned() const { return !FObject.isNull(); }

private:
    QPointer<T> FObject;
};

}  // namespace qel

#pragma once
// TTypedCollection: a collection of one item class and one owner class, answering with those
// types, so a component's collection class adds only what is its own. It has no Q_OBJECT: the
// class derived from it carries the meta-object, and with it the name form files store.
//
//     class TFooItems : public TTypedCollection<TFooItem, TFooHolder> {
//         Q_OBJECT
//     public:
//         explicit TFooItems(TFooHolder* Holder) : TTypedCollection(Holder) {}
//     };
#include "framework/core/Collection.h"
#include "framework/core/Export.h"

namespace qel {

template <class TItem, class TOwner = TPersistent>
class QEL_FRAMEWORK_EXPORT TTypedCollection : public TCollection {
public:
    explicit TTypedCollection(TOwner* AOwner) : TCollection(ClassOf<TItem>(), AOwner), FTypedOwner(AOwner) {}

    TItem* Add() { return static_cast<TItem*>(TCollection::Add()); }
    TItem* Insert(int Index) { return static_cast<TItem*>(TCollection::Insert(Index)); }
    TItem* Items(int Index) const { return static_cast<TItem*>(TCollection::Items(Index)); }  // EListError out of range
    void SetItem(int Index, TItem* Value) { Items(Index)->Assign(Value); }
    TItem* FindItemID(int ID) const { return static_cast<TItem*>(TCollection::FindItemID(ID)); }
    TOwner* Owner() const { return FTypedOwner; }

private:
    TOwner* FTypedOwner;  // kept typed: where Owner() is used, TOwner may be declared only
};

}  // namespace qel

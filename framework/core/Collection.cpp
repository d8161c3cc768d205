#include "framework/core/Collection.h"

#include <algorithm>

namespace qel {

QEL_REGISTER_CLASS(TCollectionItem);

TCollectionItem::TCollectionItem(TCollection* Collection)
{
    SetCollection(Collection);
}

TCollectionItem::~TCollectionItem()
{
    SetCollection(nullptr);
}

void TCollectionItem::SetCollection(TCollection* Value)
{
    if (FCollection == Value) return;
    if (FCollection) FCollection->RemoveItem(this);
    if (Value) Value->InsertItem(this);
}

int TCollectionItem::Index() const
{
    return FCollection ? FCollection->IndexOf(this) : -1;
}

void TCollectionItem::SetIndex(int Value)
{
    const int cur = Index();
    if (cur >= 0 && cur != Value) FCollection->MoveItem(cur, Value);
}

String TCollectionItem::GetDisplayName() const
{
    return ClassName();
}

TPersistent* TCollectionItem::GetOwner()
{
    return FCollection;
}

void TCollectionItem::Changed(bool AllItems)
{
    if (FCollection && FCollection->FUpdateCount == 0) FCollection->Update(AllItems ? nullptr : this);
}

TCollection::TCollection(TClass ItemClass, TPersistent* AOwner) : FItemClass(ItemClass), FOwner(AOwner)
{
    if (!ItemClass || !ItemClass->inherits(ClassOf<TCollectionItem>()))
        throw EInvalidCast("Collection item class " + ClassNameOf(ItemClass) + " is not a TCollectionItem");
}

TCollection::~TCollection()
{
    FUpdateCount = 1;  // no Update calls into a half-destroyed owner
    while (!FItems.empty()) delete FItems.back();
}

void TCollection::CheckIndex(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}

TCollectionItem* TCollection::Items(int Index) const
{
    CheckIndex(Index);
    return FItems[static_cast<size_t>(Index)];
}

TCollectionItem* TCollection::Add()
{
    QObject* obj = FItemClass->newInstance(Q_ARG(TCollection*, this));
    if (!obj) throw EInvalidCast("Class " + ClassNameOf(FItemClass) + " has no invokable (TCollection*) constructor");
    auto* item = static_cast<TCollectionItem*>(obj);
    if (item->FCollection != this) item->SetCollection(this);
    Changed();
    return item;
}

TCollectionItem* TCollection::Insert(int Index)
{
    if (Index < 0 || Index > Count()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    TCollectionItem* item = Add();
    item->SetIndex(Index);
    return item;
}

void TCollection::Delete(int Index)
{
    TCollectionItem* item = Items(Index);
    Notify(item, cnDeleting);  // while the item is still whole
    delete item;
}

void TCollection::Clear()
{
    if (FItems.empty()) return;
    BeginUpdate();
    try {
        while (!FItems.empty()) delete FItems.back();
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

TCollectionItem* TCollection::FindItemID(int ID) const
{
    auto it = std::find_if(FItems.begin(), FItems.end(), [ID](TCollectionItem* i) { return i->FID == ID; });
    return it == FItems.end() ? nullptr : *it;
}

int TCollection::IndexOf(const TCollectionItem* Item) const
{
    auto it = std::find(FItems.begin(), FItems.end(), Item);
    return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

void TCollection::BeginUpdate()
{
    ++FUpdateCount;
}

void TCollection::EndUpdate()
{
    if (FUpdateCount > 0 && --FUpdateCount == 0) Changed();
}

void TCollection::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TCollection*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    if (src == this) return;
    // All or nothing: the copies join behind the old items, which go only once every copy
    // succeeded; a failed copy removes the new items and leaves the target as it was.
    BeginUpdate();
    const size_t kept = FItems.size();
    try {
        for (TCollectionItem* from : src->FItems) Add()->Assign(from);
    } catch (...) {
        while (FItems.size() > kept) delete FItems.back();
        EndUpdate();
        throw;
    }
    for (size_t i = 0; i < kept; ++i) delete FItems.front();
    EndUpdate();
}

void TCollection::Update(TCollectionItem*) {}

void TCollection::Notify(TCollectionItem*, TCollectionNotification) {}

void TCollection::Changed()
{
    if (FUpdateCount == 0) Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* Item)
{
    FItems.push_back(Item);
    Item->FCollection = this;
    Item->FID = FNextID++;
    Notify(Item, cnAdded);
}

void TCollection::RemoveItem(TCollectionItem* Item)
{
    Notify(Item, cnExtracting);
    auto it = std::find(FItems.begin(), FItems.end(), Item);
    if (it != FItems.end()) FItems.erase(it);
    Item->FCollection = nullptr;
    Changed();
}

void TCollection::MoveItem(int CurIndex, int NewIndex)
{
    NewIndex = std::clamp(NewIndex, 0, Count() - 1);
    TCollectionItem* item = FItems[static_cast<size_t>(CurIndex)];
    FItems.erase(FItems.begin() + CurIndex);
    FItems.insert(FItems.begin() + NewIndex, item);
    Changed();
}

}  // namespace qel

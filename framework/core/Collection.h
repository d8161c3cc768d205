#pragma once
// TCollection / TCollectionItem: an owned, ordered list of items of one class.
#include "framework/core/Export.h"
#include "framework/core/Persistent.h"

#include <vector>

namespace qel {

class TCollection;

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

class QEL_FRAMEWORK_EXPORT TCollectionItem : public TPersistent {
    Q_OBJECT
public:
    // Joins Collection (when given) at its end.
    Q_INVOKABLE explicit TCollectionItem(TCollection* Collection);
    ~TCollectionItem() override;

    TCollection* Collection() const { return FCollection; }
    void SetCollection(TCollection* Value);
    int Index() const;
    void SetIndex(int Value);
    int ID() const { return FID; }
    String DisplayName() const { return GetDisplayName(); }
    virtual String GetDisplayName() const;

    TPersistent* GetOwner() override;

protected:
    void Changed(bool AllItems);

private:
    friend class TCollection;
    TCollection* FCollection = nullptr;
    int FID = 0;
};

class QEL_FRAMEWORK_EXPORT TCollection : public TPersistent {
    Q_OBJECT
public:
    // ItemClass must derive from TCollectionItem and have a Q_INVOKABLE (TCollection*) constructor.
    explicit TCollection(TClass ItemClass, TPersistent* AOwner = nullptr);
    ~TCollection() override;

    TClass ItemClass() const { return FItemClass; }
    int Count() const { return static_cast<int>(FItems.size()); }
    TCollectionItem* Items(int Index) const;  // EListError out of range
    void SetItem(int Index, TCollectionItem* Value) { Items(Index)->Assign(Value); }
    TCollectionItem* Add();
    TCollectionItem* Insert(int Index);
    void Delete(int Index);
    void Clear();
    TCollectionItem* FindItemID(int ID) const;
    int IndexOf(const TCollectionItem* Item) const;

    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }

    // Replaces the items by one copy per source item, filled by the item's Assign; when a copy
    // fails the collection keeps its old items and the error goes on.
    void Assign(TPersistent* Source) override;
    TPersistent* GetOwner() override { return FOwner; }
    TPersistent* Owner() const { return FOwner; }

    template <class T>
    T* ItemAs(int Index) const { return static_cast<T*>(Items(Index)); }

protected:
    // Item is the changed item, or nullptr when the whole collection changed.
    virtual void Update(TCollectionItem* Item);
    virtual void Notify(TCollectionItem* Item, TCollectionNotification Action);
    void Changed();

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* Item);
    void RemoveItem(TCollectionItem* Item);
    void MoveItem(int CurIndex, int NewIndex);
    void CheckIndex(int Index) const;

    TClass FItemClass;
    TPersistent* FOwner;
    std::vector<TCollectionItem*> FItems;
    int FNextID = 0;
    int FUpdateCount = 0;
};

}  // namespace qel

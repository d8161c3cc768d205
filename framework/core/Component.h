#pragma once
// TComponent: the owner tree, names, removal notifications and the component state.
#include "framework/core/Export.h"
#include "framework/core/Persistent.h"
#include "framework/core/Set.h"

#include <functional>
#include <vector>

namespace qel {

enum TOperation { opInsert, opRemove };

enum TComponentStateItem { csLoading, csReading, csWriting, csDestroying, csDesigning, csUpdating };
using TComponentState = TSet<TComponentStateItem>;

using TNotifyEvent = std::function<void(TObject* Sender)>;

class QEL_FRAMEWORK_EXPORT TComponent : public TPersistent {
    Q_OBJECT
    Q_PROPERTY(String Name READ Name WRITE SetName STORED false)
    Q_PROPERTY(int32_t Tag READ Tag WRITE SetTag)
    Q_CLASSINFO("default:Tag", "0")
public:
    Q_INVOKABLE explicit TComponent(TComponent* AOwner);
    ~TComponent() override;

    TComponent* Owner() const { return FOwner; }
    const String& Name() const { return FName; }
    virtual void SetName(const String& NewName);
    int32_t Tag() const { return FTag; }
    void SetTag(int32_t Value) { FTag = Value; }

    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* Components(int Index) const;  // EListError out of range
    int ComponentIndex() const;               // position in the owner's list, -1 without owner
    TComponent* FindComponent(const String& AName) const;  // letter case ignored

    void InsertComponent(TComponent* AComponent);
    void RemoveComponent(TComponent* AComponent);
    void DestroyComponents();

    // Asks to be told (Notification with opRemove) when AComponent goes away; mutual.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

    TComponentState ComponentState() const { return FComponentState; }
    void SetDesigning(bool Value, bool SetChildren = true);
    void Destroying();

    // Form-file hooks: reading sets csLoading and csReading, then calls Loaded on each read component.
    void BeginLoading();
    void EndLoading();  // leaves the loading state without the Loaded work, after a failed read
    virtual void Loaded();

protected:
    // opInsert/opRemove of AComponent. The default forgets a mutual free notification and passes
    // the notice on to every owned component, so siblings on a form hear of one another.
    virtual void Notification(TComponent* AComponent, TOperation Operation);
    virtual void ValidateRename(TComponent* AComponent, const String& CurName, const String& NewName);

private:
    void Insert(TComponent* AComponent);
    void Remove(TComponent* AComponent);
    void NotifyAll(TComponent* AComponent, TOperation Operation);
    void RemoveNotification(TComponent* AComponent);

    TComponent* FOwner = nullptr;
    String FName;
    int32_t FTag = 0;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
    TComponentState FComponentState;
};

QEL_FRAMEWORK_EXPORT bool IsValidIdent(const String& Ident);

}  // namespace qel

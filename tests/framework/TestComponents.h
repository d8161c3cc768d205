#pragma once
// Small published classes that exercise the component model and form files.
#include "framework/core/Classes.h"

#include <vector>

using namespace qel;

class TTestItem : public TCollectionItem {
    Q_OBJECT
    Q_PROPERTY(String Caption MEMBER Caption)
    Q_PROPERTY(int32_t Value READ Value WRITE SetValue)
    Q_PROPERTY(String Secret MEMBER Secret STORED false)
    Q_CLASSINFO("default:Value", "7")
public:
    Q_INVOKABLE explicit TTestItem(TCollection* Collection) : TCollectionItem(Collection) {}
    void Assign(TPersistent* Source) override;
    String GetDisplayName() const override { return Caption.empty() ? TCollectionItem::GetDisplayName() : Caption; }

    int32_t Value() const { return FValue; }
    void SetValue(int32_t V) { FValue = V; ++SetterCalls; }

    String Caption;
    String Secret;
    int SetterCalls = 0;

private:
    int32_t FValue = 7;
};

// An item class without a copy of its own.
class TPlainItem : public TCollectionItem {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TPlainItem(TCollection* Collection) : TCollectionItem(Collection) {}
};

class TTestThing : public TComponent {
    Q_OBJECT
public:
    enum TMode { mdOff, mdSlow, mdFast };
    Q_ENUM(TMode)
    enum TOption { opBold = 1, opItalic = 2, opUnder = 4 };
    Q_DECLARE_FLAGS(TOptions, TOption)
    Q_FLAG(TOptions)

private:
    Q_PROPERTY(String Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(int32_t Count MEMBER Count)
    Q_PROPERTY(bool Active MEMBER Active)
    Q_PROPERTY(uint16_t Port MEMBER Port)
    Q_PROPERTY(TMode Mode MEMBER Mode)
    Q_PROPERTY(TOptions Options READ GetOptions WRITE SetOptions)
    Q_PROPERTY(String Secret MEMBER Secret STORED false)
    Q_PROPERTY(TStrings* Lines READ Lines)
    Q_PROPERTY(TCollection* Items READ Items)
    Q_PROPERTY(TTestThing* Buddy READ Buddy WRITE SetBuddy)
    Q_CLASSINFO("default:Count", "3")
    Q_CLASSINFO("default:Active", "true")
    Q_CLASSINFO("default:Port", "25")
    Q_CLASSINFO("default:Mode", "mdSlow")

public:
    Q_INVOKABLE explicit TTestThing(TComponent* AOwner);
    ~TTestThing() override;

    String Caption() const { return FCaption; }
    void SetCaption(const String& V);
    TStrings* Lines() const { return FLines.get(); }
    TCollection* Items() const { return FItems.get(); }
    TTestThing* Buddy() const { return FBuddy; }
    TOptions GetOptions() const { return Options; }
    void SetOptions(TOptions V) { Options = V; }
    void SetBuddy(TTestThing* V);

    int32_t Count = 3;
    bool Active = true;
    uint16_t Port = 25;
    TMode Mode = mdSlow;
    TOptions Options;
    String Secret;

    std::vector<String> Log;  // setter calls, Loaded and notifications, in order
    bool ThrowOnLoaded = false;

protected:
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    String FCaption;
    std::unique_ptr<TStringList> FLines;
    std::unique_ptr<TCollection> FItems;
    TTestThing* FBuddy = nullptr;
};
Q_DECLARE_OPERATORS_FOR_FLAGS(TTestThing::TOptions)

// Publishes Caption again, without storage: the subclass's declaration is the one that counts.
class TQuietThing : public TTestThing {
    Q_OBJECT
    Q_PROPERTY(String Caption READ Caption WRITE SetCaption STORED false)
public:
    Q_INVOKABLE explicit TQuietThing(TComponent* AOwner) : TTestThing(AOwner) {}
};

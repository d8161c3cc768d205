#include "tests/framework/TestComponents.h"


QEL_REGISTER_CLASS(TTestItem);
QEL_REGISTER_CLASS(TPlainItem);
QEL_REGISTER_CLASS(TTestThing);
QEL_REGISTER_CLASS(TQuietThing);

void TTestItem::Assign(TPersistent* Source)
{
    if (auto* src = dynamic_cast<TTestItem*>(Source)) {
        Caption = src->Caption;
        FValue = src->FValue;
        Secret = src->Secret;
        return;
    }
    TCollectionItem::Assign(Source);
}

TTestThing::TTestThing(TComponent* AOwner)
    : TComponent(AOwner), FLines(std::make_unique<TStringList>()), FItems(std::make_unique<TCollection>(ClassOf<TTestItem>(), this))
{
}

TTestThing::~TTestThing() = default;

void TTestThing::SetCaption(const String& V)
{
    FCaption = V;
    Log.push_back("SetCaption " + V);
}

void TTestThing::SetBuddy(TTestThing* V)
{
    FBuddy = V;
    if (V) V->FreeNotification(this);
    Log.push_back("SetBuddy " + (V ? V->Name() : String("nil")));
}

void TTestThing::Loaded()
{
    TComponent::Loaded();
    Log.push_back("Loaded");
    if (ThrowOnLoaded) throw EInvalidOperation("refused");
}

void TTestThing::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FBuddy) {
        FBuddy = nullptr;
        Log.push_back("BuddyGone");
    }
}

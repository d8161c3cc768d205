// TDataSource and TDataLink (declared in DB.h): fanning a data set's changes out to controls.
#include "framework/gui/DB.h"

#include <algorithm>

namespace qel {

QEL_REGISTER_CLASS(TDataSource);

// ---- TDataSource ----

TDataSource::TDataSource(TComponent* AOwner) : TComponent(AOwner) {}

TDataSource::~TDataSource()
{
    SetDataSet(nullptr);
    const auto links = FLinks;
    for (TDataLink* l : links) l->SetDataSource(nullptr);
}

void TDataSource::SetDataSet(TDataSet* Value)
{
    if (FDataSet == Value) return;
    if (FDataSet) {
        auto& v = FDataSet->FDataSources;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
        FDataSet->RemoveFreeNotification(this);
    }
    FDataSet = Value;
    if (Value) {
        Value->FDataSources.push_back(this);
        Value->FreeNotification(this);
    }
    DataEvent(deUpdateState, nullptr);
    DataEvent(deDataSetChange, nullptr);
}

void TDataSource::SetEnabled(bool Value)
{
    if (FEnabled == Value) return;
    FEnabled = Value;
    NotifyLinks(deUpdateState, nullptr);
    NotifyLinks(deDataSetChange, nullptr);
}

void TDataSource::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FDataSet) SetDataSet(nullptr);
}

void TDataSource::DataEvent(TDataEvent Event, TField* Field)
{
    if (!FEnabled || ComponentState().Contains(csDestroying)) return;
    if (Event == deUpdateState) {
        if (OnStateChange) OnStateChange(this);
    } else if (OnDataChange) {
        OnDataChange(this, Field);
    }
    NotifyLinks(Event, Field);
}

void TDataSource::NotifyLinks(TDataEvent Event, TField* Field)
{
    const auto links = FLinks;
    for (TDataLink* l : links)
        if (std::find(FLinks.begin(), FLinks.end(), l) != FLinks.end()) l->DataEvent(Event, Field);
}

// ---- TDataLink ----

TDataLink::~TDataLink()
{
    if (FDataSource) {
        auto& v = FDataSource->FLinks;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
    }
}

void TDataLink::SetDataSource(TDataSource* Value)
{
    if (FDataSource == Value) return;
    if (FDataSource) {
        auto& v = FDataSource->FLinks;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
    }
    FDataSource = Value;
    if (Value) Value->FLinks.push_back(this);
    UpdateState();
    DataSetChanged();
}

bool TDataLink::Active() const
{
    return FDataSource && FDataSource->Enabled() && FDataSource->DataSet() && FDataSource->DataSet()->Active();
}

bool TDataLink::Editing() const
{
    const TDataSetState s = Active() ? FDataSource->State() : dsInactive;
    return s == dsEdit || s == dsInsert;
}

void TDataLink::SetReadOnly(bool Value)
{
    FReadOnly = Value;
    UpdateState();
}

bool TDataLink::Edit()
{
    if (FReadOnly || !Active()) return false;
    if (!Editing()) DataSet()->Edit();
    return Editing();
}

void TDataLink::UpdateState()
{
    const bool active = Active();
    if (active != FActive) {
        FActive = active;
        ActiveChanged();
    }
    const bool editing = !FReadOnly && Editing();
    if (editing != FEditing) {
        FEditing = editing;
        EditingChanged();
    }
}

void TDataLink::DataEvent(TDataEvent Event, TField* Field)
{
    switch (Event) {
    case deUpdateState: UpdateState(); break;
    case deDataSetScroll: ActiveRecordChanged(); break;
    case deDataSetChange: DataSetChanged(); break;
    case deFieldChange: RecordChanged(Field); break;
    case deRecordChange: RecordChanged(nullptr); break;
    }
}

void TDataLink::ActiveChanged()
{
    if (OnActiveChanged) OnActiveChanged();
}

void TDataLink::ActiveRecordChanged()
{
    if (OnActiveRecordChanged) OnActiveRecordChanged();
}

void TDataLink::RecordChanged(TField* Field)
{
    if (OnRecordChanged) OnRecordChanged(Field);
}

void TDataLink::DataSetChanged()
{
    if (OnDataSetChanged) OnDataSetChanged();
}

void TDataLink::EditingChanged()
{
    if (OnEditingChanged) OnEditingChanged();
}

}  // namespace qel

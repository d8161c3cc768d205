#include "framework/gui/DBCtrls.h"

namespace qel {

QEL_REGISTER_CLASS(TDBListBox);

// Every change of the record, the data set's state or its activity shows in the list.
class TDBListBox::TFieldLink : public TDataLink {
public:
    explicit TFieldLink(TDBListBox& Owner) : FOwner(Owner) {}

protected:
    void ActiveChanged() override { FOwner.DataChange(); }
    void ActiveRecordChanged() override { FOwner.DataChange(); }
    void RecordChanged(TField*) override { FOwner.DataChange(); }
    void DataSetChanged() override { FOwner.DataChange(); }

private:
    TDBListBox& FOwner;
};

TDBListBox::TDBListBox(TComponent* AOwner) : TCustomListBox(AOwner), FLink(std::make_unique<TFieldLink>(*this)) {}

TDBListBox::~TDBListBox() = default;

TDataSource* TDBListBox::DataSource() const { return FLink->DataSource(); }

void TDBListBox::SetDataSource(TDataSource* Value)
{
    if (TDataSource* old = FLink->DataSource()) RemoveFreeNotification(old);
    FLink->SetDataSource(Value);
    if (Value) FreeNotification(Value);
    DataChange();
}

void TDBListBox::SetDataField(const String& Value)
{
    FDataField = Value;
    DataChange();
}

bool TDBListBox::ReadOnly() const { return FLink->ReadOnly(); }

void TDBListBox::SetReadOnly(bool Value) { FLink->SetReadOnly(Value); }

TField* TDBListBox::Field() const
{
    TDataSet* data = FLink->Active() ? FLink->DataSet() : nullptr;
    return data && !FDataField.empty() ? data->FindField(FDataField) : nullptr;
}

void TDBListBox::DataChange()
{
    const TField* field = Field();
    SetItemIndex(field ? Items()->IndexOf(field->AsString()) : -1);
}

void TDBListBox::Click()
{
    const int32_t picked = ItemIndex();
    TField* field = Field();
    // Read-only, closed or without the field: the list goes back to what the record holds.
    if (picked < 0 || !field || !FLink->Edit()) {
        DataChange();
        return;
    }
    try {
        field->SetAsString(Items()->Get(picked));
        FLink->DataSet()->Post();
    } catch (...) {
        // Nothing half-written: the record keeps its value and the list shows it.
        if (TDataSet* data = FLink->DataSet(); data && data->State() != dsBrowse) data->Cancel();
        DataChange();
        throw;
    }
    TCustomListBox::Click();
}

void TDBListBox::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomListBox::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent && AComponent == FLink->DataSource()) FLink->SetDataSource(nullptr);
}

}  // namespace qel

// TField and TDataSet: fields, navigation and the edit/insert/post cycle.
#include "framework/gui/DB.h"

#include "framework/core/SysUtils.h"

#include <algorithm>

namespace qel {

// ---- TField ----

TField::TField(TDataSet* DataSet, String FieldName, TFieldType DataType, int Index)
    : FDataSet(DataSet), FFieldName(std::move(FieldName)), FDataType(DataType), FIndex(Index)
{
}

QVariant TField::Value() const { return FDataSet->FieldValue(FIndex); }

void TField::SetValue(const QVariant& Value) { FDataSet->SetFieldValue(this, Value); }

String TField::AsString() const { return Value().toString().toStdString(); }

void TField::SetAsString(const String& Value) { SetValue(QVariant(QString::fromStdString(Value))); }

int32_t TField::AsInteger() const { return static_cast<int32_t>(Value().toLongLong()); }

// ---- TDataSet ----

TDataSet::TDataSet(TComponent* AOwner) : TComponent(AOwner) {}

TDataSet::~TDataSet()
{
    const auto sources = FDataSources;
    for (TDataSource* s : sources) s->SetDataSet(nullptr);
}

void TDataSet::Fire(const TDataSetNotifyEvent& Event)
{
    if (Event && !ComponentState().Contains(csDestroying)) Event(this);
}

void TDataSet::DataEvent(TDataEvent Event, TField* Field)
{
    const auto sources = FDataSources;
    for (TDataSource* s : sources) s->DataEvent(Event, Field);
}

void TDataSet::SetState(TDataSetState Value)
{
    if (FState == Value) return;
    FState = Value;
    FModified = false;
    DataEvent(deUpdateState);
}

void TDataSet::SetActive(bool Value)
{
    if (Value) Open();
    else Close();
}

void TDataSet::Open()
{
    if (Active()) return;
    Fire(BeforeOpen);
    try {
        InternalOpen();
    } catch (...) {
        FFields.clear();
        FRows.clear();
        InternalClose();
        throw;
    }
    FCurrent = FRows.empty() ? -1 : 0;
    FBof = true;
    FEof = FRows.empty();
    SetState(dsBrowse);
    DataEvent(deDataSetChange);
    Fire(AfterOpen);
}

void TDataSet::Close()
{
    if (!Active()) return;
    Fire(BeforeClose);
    CloseCursor();
    Fire(AfterClose);
}

void TDataSet::CloseCursor()
{
    if (!Active()) return;
    InternalClose();
    FFields.clear();
    FRows.clear();
    FBuffer = {};
    FCurrent = -1;
    FBof = FEof = true;
    SetState(dsInactive);
}

void TDataSet::CheckActive() const
{
    if (!Active()) throw EDatabaseError("Cannot perform this operation on a closed dataset");
}

void TDataSet::CheckBrowseMode()
{
    CheckActive();
    if (FState == dsEdit || FState == dsInsert) Post();
}

void TDataSet::Scroll(int NewCurrent, bool AtBof, bool AtEof)
{
    Fire(BeforeScroll);
    FCurrent = FRows.empty() ? -1 : NewCurrent;
    FBof = AtBof;
    FEof = AtEof;
    DataEvent(deDataSetScroll);
    Fire(AfterScroll);
}

// Each move posts first: posting an insert changes the current row.
void TDataSet::First()
{
    CheckBrowseMode();
    Scroll(0, true, FRows.empty());
}

void TDataSet::Last()
{
    CheckBrowseMode();
    Scroll(RecordCount() - 1, FRows.empty(), true);
}

void TDataSet::Next()
{
    CheckBrowseMode();
    if (FCurrent + 1 < RecordCount()) Scroll(FCurrent + 1, false, false);
    else Scroll(FCurrent, false, true);
}

void TDataSet::Prior()
{
    CheckBrowseMode();
    if (FCurrent > 0) Scroll(FCurrent - 1, false, false);
    else Scroll(FCurrent, true, false);
}

int TDataSet::RecNo() const
{
    if (FState == dsInsert) return FInsertAt + 1;
    return FCurrent + 1;
}

TField* TDataSet::Fields(int Index) const
{
    if (Index < 0 || Index >= FieldCount()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return FFields[static_cast<size_t>(Index)].get();
}

TField* TDataSet::FindField(const String& FieldName) const
{
    for (const auto& f : FFields)
        if (SameText(f->FieldName(), FieldName)) return f.get();
    return nullptr;
}

TField* TDataSet::FieldByName(const String& FieldName) const
{
    TField* f = FindField(FieldName);
    if (!f) throw EDatabaseError(Name() + ": Field '" + FieldName + "' not found");
    return f;
}

void TDataSet::AddField(const String& FieldName, TFieldType DataType)
{
    FFields.push_back(std::make_unique<TField>(this, FieldName, DataType, FieldCount()));
}

QVariant TDataSet::FieldValue(int Index) const
{
    const TDataRecord* rec = nullptr;
    if (FState == dsEdit || FState == dsInsert) rec = &FBuffer;
    else if (FCurrent >= 0 && FCurrent < RecordCount()) rec = &FRows[static_cast<size_t>(FCurrent)];
    if (!rec || Index >= static_cast<int>(rec->Values.size())) return {};
    return rec->Values[static_cast<size_t>(Index)];
}

void TDataSet::SetFieldValue(TField* Field, const QVariant& Value)
{
    if (FState != dsEdit && FState != dsInsert)
        throw EDatabaseError(Name() + ": Dataset not in edit or insert mode");
    FBuffer.Values[static_cast<size_t>(Field->Index())] = Value;
    FModified = true;
    DataEvent(deFieldChange, Field);
}

void TDataSet::Edit()
{
    CheckActive();
    if (FState == dsEdit || FState == dsInsert) return;
    if (FRows.empty()) {
        Append();
        return;
    }
    FBuffer = FRows[static_cast<size_t>(FCurrent)];
    SetState(dsEdit);
}

void TDataSet::BeginInsert(int Position)
{
    CheckBrowseMode();
    FInsertAt = Position;
    FBuffer = TDataRecord{std::vector<QVariant>(FFields.size()), QVariant()};
    SetState(dsInsert);
    DataEvent(deDataSetChange);
    if (OnNewRecord) OnNewRecord(this);
}

void TDataSet::Insert() { BeginInsert(std::max(FCurrent, 0)); }

void TDataSet::Append()
{
    CheckActive();
    if (FState == dsEdit || FState == dsInsert) Post();
    BeginInsert(RecordCount());
}

void TDataSet::Post()
{
    CheckActive();
    if (FState != dsEdit && FState != dsInsert) return;
    Fire(BeforePost);
    const bool inserting = FState == dsInsert;
    TDataRecord rec = FBuffer;
    InternalPost(rec, inserting ? nullptr : &FRows[static_cast<size_t>(FCurrent)], inserting);
    if (inserting) {
        FRows.insert(FRows.begin() + FInsertAt, std::move(rec));
        FCurrent = FInsertAt;
    } else {
        FRows[static_cast<size_t>(FCurrent)] = std::move(rec);
    }
    FBuffer = {};
    FBof = FEof = false;
    SetState(dsBrowse);
    DataEvent(deDataSetChange);
    Fire(AfterPost);
}

void TDataSet::Cancel()
{
    if (FState != dsEdit && FState != dsInsert) return;
    FBuffer = {};
    SetState(dsBrowse);
    DataEvent(deDataSetChange);
}

void TDataSet::Delete()
{
    CheckActive();
    if (FState == dsInsert) {
        Cancel();
        return;
    }
    if (FRows.empty()) throw EDatabaseError(Name() + ": Cannot perform this operation on an empty dataset");
    Fire(BeforeDelete);
    InternalDelete(FRows[static_cast<size_t>(FCurrent)]);
    FRows.erase(FRows.begin() + FCurrent);
    FCurrent = std::min(FCurrent, RecordCount() - 1);
    FEof = FRows.empty();
    FBof = FRows.empty();
    FBuffer = {};
    SetState(dsBrowse);
    DataEvent(deDataSetChange);
    Fire(AfterDelete);
}

}  // namespace qel

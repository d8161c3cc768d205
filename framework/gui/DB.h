#pragma once
// Data access: data sets with fields and a current record, data sources and the links controls
// attach to. A data set keeps its rows in memory; a concrete class loads and writes them.
#include "framework/core/Component.h"
#include "framework/core/Exceptions.h"
#include "framework/gui/GuiExport.h"

#include <QVariant>

#include <memory>
#include <vector>

namespace qel {

class QEL_GUI_EXPORT EDatabaseError : public Exception {
public:
    using Exception::Exception;
};

enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };
enum TFieldType { ftUnknown, ftString, ftInteger, ftFloat, ftBoolean, ftDateTime, ftBlob };
enum TDataEvent { deFieldChange, deRecordChange, deDataSetChange, deDataSetScroll, deUpdateState };

class TDataSet;
class TDataSource;
class TField;

using TDataSetNotifyEvent = std::function<void(TDataSet* DataSet)>;
using TDataChangeEvent = std::function<void(TObject* Sender, TField* Field)>;

class QEL_GUI_EXPORT TField {
public:
    TField(TDataSet* DataSet, String FieldName, TFieldType DataType, int Index);
    TField(const TField&) = delete;
    TField& operator=(const TField&) = delete;

    TDataSet* DataSet() const { return FDataSet; }
    const String& FieldName() const { return FFieldName; }
    TFieldType DataType() const { return FDataType; }
    int Index() const { return FIndex; }

    QVariant Value() const;
    void SetValue(const QVariant& Value);  // EDatabaseError outside dsEdit/dsInsert
    String AsString() const;
    void SetAsString(const String& Value);
    int32_t AsInteger() const;
    void SetAsInteger(int32_t Value) { SetValue(QVariant(Value)); }
    double AsFloat() const { return Value().toDouble(); }
    void SetAsFloat(double Value) { SetValue(QVariant(Value)); }
    bool AsBoolean() const { return Value().toBool(); }
    void SetAsBoolean(bool Value) { SetValue(QVariant(Value)); }
    bool IsNull() const { return Value().isNull(); }
    void Clear() { SetValue(QVariant()); }

private:
    TDataSet* FDataSet;
    String FFieldName;
    TFieldType FDataType;
    int FIndex;
};

// One row: its values and the key the concrete class finds it again by (a rowid, say).
struct TDataRecord {
    std::vector<QVariant> Values;
    QVariant Key;
};

class QEL_GUI_EXPORT TDataSet : public TComponent {
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE SetActive STORED false)
public:
    explicit TDataSet(TComponent* AOwner);
    ~TDataSet() override;

    void Open();
    void Close();
    bool Active() const { return FState != dsInactive; }
    void SetActive(bool Value);
    TDataSetState State() const { return FState; }

    // Moving first posts a pending edit, as leaving a record does.
    void First();
    void Next();
    void Prior();
    void Last();
    bool Eof() const { return FEof; }
    bool Bof() const { return FBof; }
    int RecNo() const;  // 1-based; 0 when empty
    int RecordCount() const { return static_cast<int>(FRows.size()); }
    bool IsEmpty() const { return FRows.empty(); }

    int FieldCount() const { return static_cast<int>(FFields.size()); }
    TField* Fields(int Index) const;  // EListError out of range
    TField* FindField(const String& FieldName) const;  // letter case ignored
    TField* FieldByName(const String& FieldName) const;  // EDatabaseError naming a missing field

    void Edit();
    void Insert();
    void Append();
    void Post();    // on failure the data set stays in dsEdit/dsInsert with the values typed
    void Cancel();
    void Delete();
    bool Modified() const { return FModified; }

    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotifyEvent BeforePost, AfterPost, BeforeDelete, AfterDelete;
    TDataSetNotifyEvent BeforeScroll, AfterScroll, OnNewRecord;

protected:
    // Loads the field definitions (AddField) and the rows (AddRow).
    virtual void InternalOpen() = 0;
    virtual void InternalClose() {}
    // Writes Rec (inserted when Inserting), all or nothing; may fill Rec.Key and refresh values.
    virtual void InternalPost(TDataRecord& Rec, const TDataRecord* Old, bool Inserting) = 0;
    virtual void InternalDelete(const TDataRecord& Rec) = 0;

    void AddField(const String& FieldName, TFieldType DataType);
    void AddRow(TDataRecord Rec) { FRows.push_back(std::move(Rec)); }
    void CloseCursor();  // Close without events, for destructors of concrete classes

private:
    friend class TField;
    friend class TDataSource;
    QVariant FieldValue(int Index) const;
    void SetFieldValue(TField* Field, const QVariant& Value);
    void CheckActive() const;
    void CheckBrowseMode();
    void Scroll(int NewCurrent, bool AtBof, bool AtEof);
    void SetState(TDataSetState Value);
    void BeginInsert(int Position);
    void DataEvent(TDataEvent Event, TField* Field = nullptr);
    void Fire(const TDataSetNotifyEvent& Event);

    std::vector<std::unique_ptr<TField>> FFields;
    std::vector<TDataRecord> FRows;
    std::vector<TDataSource*> FDataSources;
    TDataRecord FBuffer;  // the record being edited or inserted
    TDataSetState FState = dsInactive;
    int FCurrent = -1;
    int FInsertAt = 0;
    bool FEof = true;
    bool FBof = true;
    bool FModified = false;
};

class TDataLink;

class QEL_GUI_EXPORT TDataSource : public TComponent {
    Q_OBJECT
    Q_PROPERTY(TDataSet* DataSet READ DataSet WRITE SetDataSet)
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
    Q_CLASSINFO("default:Enabled", "true")
public:
    Q_INVOKABLE explicit TDataSource(TComponent* AOwner);
    ~TDataSource() override;

    TDataSet* DataSet() const { return FDataSet; }
    void SetDataSet(TDataSet* Value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    TDataSetState State() const { return FDataSet && FEnabled ? FDataSet->State() : dsInactive; }

    TDataChangeEvent OnDataChange;
    TNotifyEvent OnStateChange;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TDataSet;
    friend class TDataLink;
    void DataEvent(TDataEvent Event, TField* Field);
    void NotifyLinks(TDataEvent Event, TField* Field);

    TDataSet* FDataSet = nullptr;
    bool FEnabled = true;
    std::vector<TDataLink*> FLinks;
};

// What a data-aware control owns: set DataSource, then hear of scrolls, edits and state changes
// through the virtual methods or the matching On... callbacks.
class QEL_GUI_EXPORT TDataLink {
public:
    TDataLink() = default;
    virtual ~TDataLink();
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;

    TDataSource* DataSource() const { return FDataSource; }
    void SetDataSource(TDataSource* Value);
    TDataSet* DataSet() const { return FDataSource ? FDataSource->DataSet() : nullptr; }
    bool Active() const;
    bool Editing() const;
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    // Puts the data set into dsEdit unless the link is read-only or inactive; true when editing.
    bool Edit();

    std::function<void()> OnActiveChanged, OnActiveRecordChanged, OnDataSetChanged, OnEditingChanged;
    std::function<void(TField* Field)> OnRecordChanged;

protected:
    virtual void ActiveChanged();
    virtual void ActiveRecordChanged();
    virtual void RecordChanged(TField* Field);  // Field is nullptr when the whole record changed
    virtual void DataSetChanged();
    virtual void EditingChanged();

private:
    friend class TDataSource;
    void DataEvent(TDataEvent Event, TField* Field);
    void UpdateState();

    TDataSource* FDataSource = nullptr;
    bool FReadOnly = false;
    bool FActive = false;
    bool FEditing = false;
};

}  // namespace qel

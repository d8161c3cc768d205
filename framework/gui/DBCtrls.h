#pragma once
// Data-aware controls: TDBListBox shows one field of the current record as its selection and
// writes the item the user picks into that field.
#include "framework/gui/DB.h"
#include "framework/gui/StdCtrls.h"

#include <memory>

namespace qel {

class QEL_GUI_EXPORT TDBListBox : public TCustomListBox {
    Q_OBJECT
    Q_PROPERTY(TDataSource* DataSource READ DataSource WRITE SetDataSource)
    Q_PROPERTY(String DataField READ DataField WRITE SetDataField)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_CLASSINFO("default:ReadOnly", "false")
public:
    Q_INVOKABLE explicit TDBListBox(TComponent* AOwner);
    ~TDBListBox() override;

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);
    String DataField() const { return FDataField; }
    void SetDataField(const String& Value);
    bool ReadOnly() const;
    void SetReadOnly(bool Value);
    // The field shown, or nullptr while the data set is closed or has no such field.
    TField* Field() const;

protected:
    void Click() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    class TFieldLink;
    // Selects the item equal to the field's value (none when no item is).
    void DataChange();

    std::unique_ptr<TFieldLink> FLink;
    String FDataField;
};

}  // namespace qel

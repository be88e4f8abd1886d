#pragma once
// TOEIntFloat: the number picker bound to one field of a dataset through a field data link. It
// shows the field's value whenever the record changes, starts an edit of the record when the user
// types, presses an arrow, Delete or Shift+Insert, or presses a spin button, marks the field
// modified on each change made while editing, and writes the value back when the link asks for it
// (leaving the picker, posting the record). Escape shows the stored value again.
//
// While the record is not being edited the value is read-only: a read-only field, dataset or link,
// or a data source that does not start edits by itself, leaves the number as it is, and the control
// never holds a change it could not write. A write that fails on leaving keeps the focus here.
#include "odbc/controls/ExtVCsIntFloatPicker.h"

#include <memory>
#include <string>

class TDataSource;
class TField;
class TFieldDataLink;

class TOEIntFloat : public TIntFloatPicker
{
public:
    explicit TOEIntFloat(TComponent* owner = nullptr, QWidget* parent = nullptr);
    ~TOEIntFloat() override;

    // The bound field; nullptr while the link has none (no source, closed dataset, no such name).
    TField* Field() const;
    bool ReadOnly() const;
    void SetReadOnly(bool value);
    const std::string& DataField() const;
    void SetDataField(const std::string& value);
    TDataSource* DataSource() const;
    // The control hears when the source is destroyed and lets go of it.
    void SetDataSource(TDataSource* value);

    // Shows the field's value again, discarding the edit.
    void Reset();

    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    std::string ClassName() const override { return "TOEIntFloat"; }

protected:
    void Change() override;
    void DropDown() override;
    void KeyPress(QChar& key) override;
    void KeyDown(int& key, Qt::KeyboardModifiers shift) override;
    void DoExit() override;

private:
    void DataChange();
    void UpdateData();
    void EditingChange();

    std::unique_ptr<TFieldDataLink> dataLink_;
};

// TOEIntFloat, the data-aware number editor.
#pragma once
// The number picker bound to one field of a dataset through a field data link. It
// shows the field's value whenever the record changes, starts an edit of the record when the user
// types, presses an arrow, Delete or Shift+Insert, or presses a spin button, marks the field
// modified on each change made while editing, and writes the value back when the link asks for it
// (leaving the picker, posting the record). Escape shows the stored value again.
//
// While the record is not being edited the value is read-only: a read-only field, dataset or link,
// or a data source that does not start edits by itself, leaves the number as it is, and the control
// never holds a change it could not write. A write that fails on leaving keeps the focus here.
#include "odbc/controls/DataAwareEditor.h"
#include "odbc/controls/ExtVCsIntFloatPicker.h"

#include <string>

class TOEIntFloat : public TDataAwareEditor<TIntFloatPicker>
{
public:
    explicit TOEIntFloat(TComponent* owner = nullptr, QWidget* parent = nullptr);

    std::string ClassName() const override { return "TOEIntFloat"; }

protected:
    void Change() override;
    void DropDown() override;

private:
    void DataChange() override;
    void UpdateData() override;
    QWidget* FocusPart() const override;
};

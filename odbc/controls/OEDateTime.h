// TOEDateTime, the data-aware date-time editor.
#pragma once
// The date or time picker bound to one field of a dataset through a field data link.
// Its check box says whether the field has a value: a null field (or, for the date kind, the
// date-time 0) shows unchecked with today's date or the current time; clearing the box and leaving
// writes null. Like the number editor it starts an edit of the record on the user's first change
// (a key, the drop-down or a spin arrow, a toggle of the box), marks the field modified, writes the
// value back when the link asks for it and shows the stored value again on Escape; while the record
// is not being edited the value is read-only and a toggle the record refuses is undone.
//
// The picker holds the field's whole value. On a time-stamp field the date kind edits the day and
// the time kind the time of day, and each keeps the part it does not show; on a date or time field
// the picker's date or time is written. For the time kind midnight is a value: only null is empty.
#include "odbc/controls/DataAwareEditor.h"
#include "platform/ui/DateTimePicker.h"

#include <string>

class TOEDateTime : public TDataAwareEditor<TDateTimePicker>
{
public:
    // 121 pixels wide, with the check box shown.
    explicit TOEDateTime(TComponent* owner = nullptr, QWidget* parent = nullptr);

    std::string ClassName() const override { return "TOEDateTime"; }

protected:
    // Marks the field modified (while the record is being edited).
    virtual void Change();
    // Starts an edit of the record.
    virtual void DropDown();

    void Notify(TDateTimeNotification code) override;
    void Click() override;

private:
    void DataChange() override;
    void UpdateData() override;
    QWidget* FocusPart() const override;

    bool lastChecked_ = true; // Checked as last shown or toggled by the user
    bool toggling_ = false;   // a toggle of the box is starting the edit: the box keeps its state
};

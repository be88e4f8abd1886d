#pragma once
// TOEDateTime: the date or time picker bound to one field of a dataset through a field data link.
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
#include "platform/ui/DateTimePicker.h"

#include <memory>
#include <string>

class TDataSource;
class TField;
class TFieldDataLink;

class TOEDateTime : public TDateTimePicker
{
public:
    // 121 pixels wide, with the check box shown.
    explicit TOEDateTime(TComponent* owner = nullptr, QWidget* parent = nullptr);
    ~TOEDateTime() override;

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
    std::string ClassName() const override { return "TOEDateTime"; }

protected:
    // Marks the field modified (while the record is being edited).
    virtual void Change();
    // Starts an edit of the record.
    virtual void DropDown();

    void Notify(TDateTimeNotification code) override;
    void Click() override;
    void KeyPress(QChar& key) override;
    void KeyDown(int& key, Qt::KeyboardModifiers shift) override;
    void DoExit() override;

private:
    void DataChange();
    void UpdateData();
    void EditingChange();

    std::unique_ptr<TFieldDataLink> dataLink_;
    bool lastChecked_ = true; // Checked as last shown or toggled by the user
    bool toggling_ = false;   // a toggle of the box is starting the edit: the box keeps its state
};

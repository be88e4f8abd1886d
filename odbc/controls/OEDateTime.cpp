// TOEDateTime, the data-aware date-time editor.
#include "odbc/controls/OEDateTime.h"

#include "platform/db/Field.h"

#include <QCheckBox>
#include <QDateTimeEdit>

TOEDateTime::TOEDateTime(TComponent* owner, QWidget* parent) : TDataAwareEditor(owner, parent)
{
    resize(121, height());
    SetShowCheckbox(true);
    lastChecked_ = Checked();
}

void TOEDateTime::DataChange()
{
    TField* field = Field();
    const bool hasValue =
        field != nullptr && !field->IsNull() && (Kind() == dtkTime || field->AsDateTime() != 0);
    if (hasValue) {
        SetDateTime(field->AsDateTime());
    } else {
        const TDateTime now = ShowCheckbox() ? GetClock().Now() : 0;
        // An empty date shows today at midnight, so that checking the box gives the day alone.
        SetDateTime(Kind() == dtkDate ? TimeStampToDateTime({0, DateTimeToTimeStamp(now).Date}) : now);
    }
    if (!toggling_)
        SetChecked(hasValue);
    lastChecked_ = Checked();
}

void TOEDateTime::UpdateData()
{
    TField* field = Field();
    if (!Checked() && ShowCheckbox()) {
        field->SetAsDateTime(0);
        field->Clear();
    } else if (field->DataType() == ftDateTime) {
        field->SetAsDateTime(DateTime());
    } else {
        field->SetAsDateTime(Kind() == dtkTime ? Time() : Date());
    }
}

QWidget* TOEDateTime::FocusPart() const
{
    // A cleared value cannot take the focus; its check box can.
    return Edit()->isEnabled() ? static_cast<QWidget*>(Edit()) : CheckBox();
}

void TOEDateTime::Notify(TDateTimeNotification code)
{
    TDateTimePicker::Notify(code);
    if (code == dtnDateTimeChange)
        Change();
    else if (code == dtnDropDown)
        DropDown();
}

void TOEDateTime::Change()
{
    // A toggle of the box reports its change before the click starts the edit; the click marks it.
    if (DataLink().Editing())
        DataLink().Modified();
}

void TOEDateTime::DropDown()
{
    DataLink().Edit();
}

void TOEDateTime::Click()
{
    if (Checked() != lastChecked_) {
        bool editing = false;
        {
            toggling_ = true;
            struct Restore
            {
                bool& flag;
                ~Restore() { flag = false; }
            } restore{toggling_};
            editing = DataLink().Edit();
        }
        if (editing) {
            lastChecked_ = Checked();
            Change();
        } else {
            // The record cannot be edited: the box shows the field again.
            Reset();
        }
    }
    TDateTimePicker::Click();
}

#include "odbc/controls/OEDateTime.h"

#include "platform/db/DataSource.h"
#include "platform/db/Field.h"
#include "platform/db/FieldDataLink.h"

#include <QCheckBox>
#include <QDateTimeEdit>

TOEDateTime::TOEDateTime(TComponent* owner, QWidget* parent)
    : TDateTimePicker(owner, parent), dataLink_(std::make_unique<TFieldDataLink>())
{
    dataLink_->SetControl(this);
    dataLink_->SetOnDataChange([this](TFieldDataLink*) { DataChange(); });
    dataLink_->SetOnUpdateData([this](TFieldDataLink*) { UpdateData(); });
    dataLink_->SetOnEditingChange([this](TFieldDataLink*) { EditingChange(); });
    resize(121, height());
    SetShowCheckbox(true);
    lastChecked_ = Checked();
    EditingChange();
}

TOEDateTime::~TOEDateTime()
{
    dataLink_->SetOnDataChange(nullptr);
    dataLink_->SetOnUpdateData(nullptr);
    dataLink_->SetOnEditingChange(nullptr);
    dataLink_.reset();
}

TField* TOEDateTime::Field() const
{
    return dataLink_->Field();
}

bool TOEDateTime::ReadOnly() const
{
    return dataLink_->ReadOnly();
}

void TOEDateTime::SetReadOnly(bool value)
{
    dataLink_->SetReadOnly(value);
}

const std::string& TOEDateTime::DataField() const
{
    return dataLink_->FieldName();
}

void TOEDateTime::SetDataField(const std::string& value)
{
    dataLink_->SetFieldName(value);
}

TDataSource* TOEDateTime::DataSource() const
{
    return dataLink_->DataSource();
}

void TOEDateTime::SetDataSource(TDataSource* value)
{
    dataLink_->SetDataSource(value);
    if (value != nullptr)
        value->FreeNotification(this);
}

void TOEDateTime::Reset()
{
    dataLink_->Reset();
}

void TOEDateTime::Loaded()
{
    TDateTimePicker::Loaded();
    if (HasState(csDesigning))
        DataChange();
}

void TOEDateTime::Notification(TComponent* component, TOperation operation)
{
    TDateTimePicker::Notification(component, operation);
    if (operation == opRemove && dataLink_ != nullptr && component == DataSource())
        SetDataSource(nullptr);
}

void TOEDateTime::DataChange()
{
    TField* field = dataLink_->Field();
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
    TField* field = dataLink_->Field();
    if (!Checked() && ShowCheckbox()) {
        field->SetAsDateTime(0);
        field->Clear();
    } else if (field->DataType() == ftDateTime) {
        field->SetAsDateTime(DateTime());
    } else {
        field->SetAsDateTime(Kind() == dtkTime ? Time() : Date());
    }
}

void TOEDateTime::EditingChange()
{
    SetEditReadOnly(!dataLink_->Editing());
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
    if (dataLink_->Editing())
        dataLink_->Modified();
}

void TOEDateTime::DropDown()
{
    dataLink_->Edit();
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
            editing = dataLink_->Edit();
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

void TOEDateTime::KeyPress(QChar& key)
{
    dataLink_->Edit();
    TDateTimePicker::KeyPress(key);
}

void TOEDateTime::KeyDown(int& key, Qt::KeyboardModifiers shift)
{
    if (key == Qt::Key_Escape)
        Reset();
    else if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Delete ||
             (key == Qt::Key_Insert && shift.testFlag(Qt::ShiftModifier)))
        dataLink_->Edit();
    TDateTimePicker::KeyDown(key, shift);
}

void TOEDateTime::DoExit()
{
    try {
        dataLink_->UpdateRecord();
    } catch (...) {
        // The value could not be written: the user stays here to correct it.
        QWidget* part = Edit()->isEnabled() ? static_cast<QWidget*>(Edit()) : CheckBox();
        part->setFocus(Qt::OtherFocusReason);
    }
    TDateTimePicker::DoExit();
}

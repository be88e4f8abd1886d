#include "odbc/controls/OEIntFloat.h"

#include "odbc/controls/ExtVCsIntFloatEdit.h"
#include "platform/db/DataSource.h"
#include "platform/db/Field.h"
#include "platform/db/FieldDataLink.h"

TOEIntFloat::TOEIntFloat(TComponent* owner, QWidget* parent)
    : TIntFloatPicker(owner, parent), dataLink_(std::make_unique<TFieldDataLink>())
{
    dataLink_->SetControl(this);
    dataLink_->SetOnDataChange([this](TFieldDataLink*) { DataChange(); });
    dataLink_->SetOnUpdateData([this](TFieldDataLink*) { UpdateData(); });
    dataLink_->SetOnEditingChange([this](TFieldDataLink*) { EditingChange(); });
    EditingChange();
}

TOEIntFloat::~TOEIntFloat()
{
    dataLink_->SetOnDataChange(nullptr);
    dataLink_->SetOnUpdateData(nullptr);
    dataLink_->SetOnEditingChange(nullptr);
    dataLink_.reset();
}

TField* TOEIntFloat::Field() const
{
    return dataLink_->Field();
}

bool TOEIntFloat::ReadOnly() const
{
    return dataLink_->ReadOnly();
}

void TOEIntFloat::SetReadOnly(bool value)
{
    dataLink_->SetReadOnly(value);
}

const std::string& TOEIntFloat::DataField() const
{
    return dataLink_->FieldName();
}

void TOEIntFloat::SetDataField(const std::string& value)
{
    dataLink_->SetFieldName(value);
}

TDataSource* TOEIntFloat::DataSource() const
{
    return dataLink_->DataSource();
}

void TOEIntFloat::SetDataSource(TDataSource* value)
{
    dataLink_->SetDataSource(value);
    if (value != nullptr)
        value->FreeNotification(this);
}

void TOEIntFloat::Reset()
{
    dataLink_->Reset();
}

void TOEIntFloat::Loaded()
{
    TIntFloatPicker::Loaded();
    if (HasState(csDesigning))
        DataChange();
}

void TOEIntFloat::Notification(TComponent* component, TOperation operation)
{
    TIntFloatPicker::Notification(component, operation);
    if (operation == opRemove && dataLink_ != nullptr && component == DataSource())
        SetDataSource(nullptr);
}

void TOEIntFloat::DataChange()
{
    TField* field = dataLink_->Field();
    if (Kind() == ifkFloat)
        SetFloat(field != nullptr ? field->AsFloat() : 0.0);
    else
        SetInt(field != nullptr ? field->AsInteger() : 0);
}

void TOEIntFloat::UpdateData()
{
    TField* field = dataLink_->Field();
    if (Kind() == ifkFloat)
        field->SetAsFloat(GetFloat());
    else
        field->SetAsInteger(GetInt());
}

void TOEIntFloat::EditingChange()
{
    SetEditReadOnly(!dataLink_->Editing());
}

void TOEIntFloat::Change()
{
    // Outside an edit only the control itself changes the text (showing the field, normalising a
    // value beyond Min..Max): nothing to write back, and a write would fail.
    if (dataLink_->Editing())
        dataLink_->Modified();
    TIntFloatPicker::Change();
}

void TOEIntFloat::DropDown()
{
    dataLink_->Edit();
    TIntFloatPicker::DropDown();
}

void TOEIntFloat::KeyPress(QChar& key)
{
    dataLink_->Edit();
    TIntFloatPicker::KeyPress(key);
}

void TOEIntFloat::KeyDown(int& key, Qt::KeyboardModifiers shift)
{
    if (key == Qt::Key_Escape)
        Reset();
    else if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Delete ||
             (key == Qt::Key_Insert && shift.testFlag(Qt::ShiftModifier)))
        dataLink_->Edit();
    TIntFloatPicker::KeyDown(key, shift);
}

void TOEIntFloat::DoExit()
{
    try {
        dataLink_->UpdateRecord();
    } catch (...) {
        // The value could not be written: the user stays here to correct it.
        Edit()->setFocus(Qt::OtherFocusReason);
    }
    TIntFloatPicker::DoExit();
}

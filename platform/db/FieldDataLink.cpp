#include "platform/db/FieldDataLink.h"

#include "platform/db/DataSet.h"
#include "platform/db/Field.h"

void TFieldDataLink::SetFieldName(const std::string& name)
{
    if (fieldName_ == name)
        return;
    fieldName_ = name;
    UpdateField();
}

bool TFieldDataLink::CanModify() const
{
    return !ReadOnly() && field_ != nullptr && field_->CanModify();
}

bool TFieldDataLink::Edit()
{
    if (CanModify())
        TDataLink::Edit();
    return fieldEditing_;
}

void TFieldDataLink::ActiveChanged()
{
    UpdateField();
    if (onActiveChange_)
        onActiveChange_(this);
}

void TFieldDataLink::EditingChanged()
{
    const bool editing = TDataLink::Editing() && CanModify();
    if (editing == fieldEditing_)
        return;
    fieldEditing_ = editing;
    modified_ = false;
    if (onEditingChange_)
        onEditingChange_(this);
}

void TFieldDataLink::LayoutChanged()
{
    UpdateField();
}

void TFieldDataLink::RecordChanged(TField* field)
{
    if (field != nullptr && field != field_)
        return;
    if (onDataChange_)
        onDataChange_(this);
    modified_ = false;
}

void TFieldDataLink::UpdateData()
{
    if (!modified_)
        return;
    if (field_ != nullptr && onUpdateData_)
        onUpdateData_(this);
    modified_ = false;
}

void TFieldDataLink::UpdateField()
{
    if (Active() && !fieldName_.empty()) {
        field_ = nullptr;
        SetField(DataSet()->FieldByName(fieldName_));
    } else {
        SetField(nullptr);
    }
}

void TFieldDataLink::SetField(TField* field)
{
    if (field_ == field)
        return;
    field_ = field;
    EditingChanged();
    RecordChanged(nullptr);
}

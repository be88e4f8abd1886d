// TOEIntFloat, the data-aware number editor.
#include "odbc/controls/OEIntFloat.h"

#include "odbc/controls/ExtVCsIntFloatEdit.h"
#include "platform/db/Field.h"

TOEIntFloat::TOEIntFloat(TComponent* owner, QWidget* parent) : TDataAwareEditor(owner, parent) {}

void TOEIntFloat::DataChange()
{
    TField* field = Field();
    if (Kind() == ifkFloat)
        SetFloat(field != nullptr ? field->AsFloat() : 0.0);
    else
        SetInt(field != nullptr ? field->AsInteger() : 0);
}

void TOEIntFloat::UpdateData()
{
    TField* field = Field();
    if (Kind() == ifkFloat)
        field->SetAsFloat(GetFloat());
    else
        field->SetAsInteger(GetInt());
}

QWidget* TOEIntFloat::FocusPart() const
{
    return Edit();
}

void TOEIntFloat::Change()
{
    // Outside an edit only the control itself changes the text (showing the field, normalising a
    // value beyond Min..Max): nothing to write back, and a write would fail.
    if (DataLink().Editing())
        DataLink().Modified();
    TIntFloatPicker::Change();
}

void TOEIntFloat::DropDown()
{
    DataLink().Edit();
    TIntFloatPicker::DropDown();
}

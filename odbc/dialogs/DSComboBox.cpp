// TDSComboBox: the data-source drop-down list.
#include "odbc/dialogs/DSComboBox.h"

#include "platform/core/StringUtils.h"

TDSComboBox::TDSComboBox(QWidget* parent)
    : QComboBox(parent), administrator_(std::make_unique<TOEAdministrator>(nullptr))
{
    SetStyle(csDropDownList);
}

TDSComboBox::~TDSComboBox() = default;

std::string TDSComboBox::GetDataSource() const
{
    return currentText().toStdString();
}

void TDSComboBox::SetDataSource(const std::string& name)
{
    int found = -1;
    for (int i = 0; i < count() && found < 0; ++i)
        if (SameText(itemText(i).toStdString(), name))
            found = i;
    setCurrentIndex(found);
}

TDataSourceType TDSComboBox::GetDataSourceType() const
{
    return administrator_->DataSourceType();
}

void TDSComboBox::SetDataSourceType(TDataSourceType type)
{
    if (type != administrator_->DataSourceType())
        administrator_->SetDataSourceType(type);
}

void TDSComboBox::SetStyle(TComboBoxStyle style)
{
    style_ = style;
    setEditable(style == csDropDown);
}

void TDSComboBox::Populate()
{
    clear();
    administrator_->Refresh();
    for (const std::string& name : administrator_->GetDataSources().Lines())
        addItem(QString::fromStdString(name));
    if (count() > 0)
        setCurrentIndex(0);
}

// TDSListBox: the data-source list box.
#include "odbc/dialogs/DSListBox.h"

#include "platform/core/StringUtils.h"

TDSListBox::TDSListBox(QWidget* parent)
    : QListWidget(parent), administrator_(std::make_unique<TOEAdministrator>(nullptr))
{
    setSelectionMode(QAbstractItemView::SingleSelection);
}

TDSListBox::~TDSListBox() = default;

std::string TDSListBox::GetDataSource() const
{
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? std::string() : selected.front()->text().toStdString();
}

void TDSListBox::SetDataSource(const std::string& name)
{
    int found = -1;
    for (int i = 0; i < count() && found < 0; ++i)
        if (SameText(item(i)->text().toStdString(), name))
            found = i;
    if (found < 0) {
        clearSelection();
        setCurrentRow(-1);
        return;
    }
    setCurrentRow(found, QItemSelectionModel::ClearAndSelect);
}

TDataSourceType TDSListBox::GetDataSourceType() const
{
    return administrator_->DataSourceType();
}

void TDSListBox::SetDataSourceType(TDataSourceType type)
{
    if (type != administrator_->DataSourceType())
        administrator_->SetDataSourceType(type);
}

void TDSListBox::Populate()
{
    clear();
    administrator_->Refresh();
    for (const std::string& name : administrator_->GetDataSources().Lines())
        addItem(QString::fromStdString(name));
    if (count() > 0)
        setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
}

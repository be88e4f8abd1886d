#pragma once
// TDSListBox: a list box of the ODBC data-source names, read through a private TOEAdministrator.
// Its owner fills it with Populate; nothing fills it on its own.
#include "odbc/admin/Administrator.h"

#include <QListWidget>
#include <memory>
#include <string>

class TDSListBox : public QListWidget
{
public:
    explicit TDSListBox(QWidget* parent = nullptr);
    ~TDSListBox() override;

    // The selected name, or empty when nothing is selected.
    std::string GetDataSource() const;
    // Selects the item of that name in any ASCII case; an unknown name clears the selection.
    void SetDataSource(const std::string& name);
    TDataSourceType GetDataSourceType() const;
    // Passed on to the administrator, whose lists are read again at the next Populate; the items
    // stay as they are.
    void SetDataSourceType(TDataSourceType type);

    // Replaces the items by the data sources of the type and selects the first, if any.
    void Populate();

    TOEAdministrator& Administrator() { return *administrator_; }

private:
    std::unique_ptr<TOEAdministrator> administrator_;
};

#pragma once
// TDSComboBox: a drop-down list of the ODBC data-source names, read through a private
// TOEAdministrator. Its owner fills it with Populate; nothing fills it on its own.
#include "odbc/admin/Administrator.h"
#include "odbc/controls/ExtVCsExtendedComboBox.h"

#include <QComboBox>
#include <memory>
#include <string>

class TDSComboBox : public QComboBox
{
public:
    explicit TDSComboBox(QWidget* parent = nullptr);
    ~TDSComboBox() override;

    // The box's text (empty when nothing is chosen in a choice-only box).
    std::string GetDataSource() const;
    // Chooses the item of that name in any ASCII case; an unknown name clears the choice.
    void SetDataSource(const std::string& name);
    TDataSourceType GetDataSourceType() const;
    // Passed on to the administrator, whose lists are read again at the next Populate; the items
    // stay as they are.
    void SetDataSourceType(TDataSourceType type);
    // csDropDownList (choice only) after construction; csDropDown adds a text field.
    TComboBoxStyle Style() const { return style_; }
    void SetStyle(TComboBoxStyle style);

    // Replaces the items by the data sources of the type and chooses the first, if any.
    void Populate();

    TOEAdministrator& Administrator() { return *administrator_; }

private:
    std::unique_ptr<TOEAdministrator> administrator_;
    TComboBoxStyle style_ = csDropDownList;
};

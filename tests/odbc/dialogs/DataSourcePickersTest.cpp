// TDSComboBox and TDSListBox under offscreen Qt, filled from a private odbc.ini of each test through
// the real driver manager.
#include "odbc/dialogs/DSComboBox.h"
#include "odbc/dialogs/DSListBox.h"
#include "odbc/support/DataSourceConfig.h"

#include <QApplication>
#include <QImage>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Items(const QComboBox& box)
{
    std::vector<std::string> items;
    for (int i = 0; i < box.count(); ++i)
        items.push_back(box.itemText(i).toStdString());
    return items;
}

std::vector<std::string> Items(const QListWidget& box)
{
    std::vector<std::string> items;
    for (int i = 0; i < box.count(); ++i)
        items.push_back(box.item(i)->text().toStdString());
    return items;
}

class DataSourcePickers : public DataSourceConfig
{
protected:
    void SetUp() override
    {
        DataSourceConfig::SetUp();
        WriteSystemIni("[Warehouse]\nDriver=SQLite3\n\n[Archive]\nDriver=SQLite3\n");
        WriteUserIni("[Sales]\nDriver=SQLite3\n\n[Personal]\nDriver=SQLite3\n");
    }
};

} // namespace

TEST_F(DataSourcePickers, PopulateListsTheDataSourcesOfTheTypeAndChoosesTheFirst)
{
    struct Case
    {
        TDataSourceType type;
        std::vector<std::string> names;
    };
    for (const Case& c : {Case{dsDefault, {"Sales", "Personal", "Warehouse", "Archive"}},
                          Case{dsUser, {"Sales", "Personal"}}, Case{dsSystem, {"Warehouse", "Archive"}}}) {
        SCOPED_TRACE(c.type);
        TDSComboBox combo;
        TDSListBox list;
        combo.SetDataSourceType(c.type);
        list.SetDataSourceType(c.type);
        EXPECT_EQ(combo.count(), 0) << "filled before Populate";
        combo.Populate();
        list.Populate();
        EXPECT_EQ(Items(combo), c.names);
        EXPECT_EQ(Items(list), c.names);
        EXPECT_EQ(combo.GetDataSource(), c.names.front());
        EXPECT_EQ(list.GetDataSource(), c.names.front());
    }
}

TEST_F(DataSourcePickers, ChoosingByNameIgnoresCaseAndAnUnknownNameClearsTheChoice)
{
    TDSComboBox combo;
    TDSListBox list;
    combo.Populate();
    list.Populate();
    combo.SetDataSource("warehouse");
    list.SetDataSource("WAREHOUSE");
    EXPECT_EQ(combo.GetDataSource(), "Warehouse");
    EXPECT_EQ(list.GetDataSource(), "Warehouse");
    EXPECT_EQ(combo.currentIndex(), 2);

    combo.SetDataSource("Nowhere");
    list.SetDataSource("Nowhere");
    EXPECT_EQ(combo.currentIndex(), -1);
    EXPECT_EQ(combo.GetDataSource(), "");
    EXPECT_EQ(list.GetDataSource(), "");
    EXPECT_TRUE(list.selectedItems().isEmpty());
    EXPECT_EQ(combo.count(), 4) << "the items stay";
}

TEST_F(DataSourcePickers, ATypeChangeReachesTheAdministratorAndShowsAtTheNextPopulate)
{
    TDSComboBox combo;
    TDSListBox list;
    combo.Populate();
    list.Populate();
    combo.SetDataSourceType(dsSystem);
    list.SetDataSourceType(dsSystem);
    EXPECT_EQ(combo.GetDataSourceType(), dsSystem);
    EXPECT_EQ(combo.Administrator().DataSourceType(), dsSystem);
    EXPECT_EQ(list.Administrator().DataSourceType(), dsSystem);
    EXPECT_EQ(combo.count(), 4);
    EXPECT_EQ(list.count(), 4);
    // Populate reads again, so data sources added meanwhile show too.
    WriteSystemIni("[Warehouse]\nDriver=SQLite3\n\n[Added]\nDriver=SQLite3\n");
    combo.Populate();
    list.Populate();
    EXPECT_EQ(Items(combo), (std::vector<std::string>{"Warehouse", "Added"}));
    EXPECT_EQ(Items(list), (std::vector<std::string>{"Warehouse", "Added"}));
}

TEST_F(DataSourcePickers, WithoutDataSourcesBothStayEmptyAndUnchosen)
{
    WriteSystemIni("");
    WriteUserIni("");
    TDSComboBox combo;
    TDSListBox list;
    combo.addItem("stale");
    list.addItem("stale");
    combo.Populate();
    list.Populate();
    EXPECT_EQ(combo.count(), 0);
    EXPECT_EQ(combo.currentIndex(), -1);
    EXPECT_EQ(combo.GetDataSource(), "");
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.GetDataSource(), "");
}

TEST_F(DataSourcePickers, TheComboBoxIsAChoiceOnlyListUnlessItsStyleAddsATextField)
{
    TDSComboBox combo;
    EXPECT_EQ(combo.Style(), csDropDownList);
    EXPECT_FALSE(combo.isEditable());
    combo.Populate();
    combo.SetStyle(csDropDown);
    ASSERT_TRUE(combo.isEditable());
    combo.setEditText("Typed");
    EXPECT_EQ(combo.GetDataSource(), "Typed");
}

TEST_F(DataSourcePickers, BothDrawTheirItemsOffscreen)
{
    QWidget window;
    auto* combo = new TDSComboBox(&window);
    auto* list = new TDSListBox(&window);
    combo->setGeometry(8, 8, 200, 26);
    list->setGeometry(8, 42, 200, 100);
    combo->Populate();
    list->Populate();
    list->SetDataSource("Personal");
    window.resize(216, 150);
    window.show();
    QApplication::processEvents();
    const QImage picture = window.grab().toImage();
    ASSERT_FALSE(picture.isNull());
    // The list's selected row is drawn in the highlight colour, somewhere in its second row.
    const QColor highlight = list->palette().color(QPalette::Active, QPalette::Highlight);
    const QRect row = list->visualItemRect(list->item(1))
                          .translated(list->geometry().topLeft() + list->viewport()->geometry().topLeft());
    bool found = false;
    for (int y = row.top(); y <= row.bottom() && !found; ++y)
        for (int x = row.left(); x <= row.right() && !found; ++x)
            found = picture.pixelColor(x, y) == highlight;
    EXPECT_TRUE(found) << "no highlighted pixel in the selected row";
}

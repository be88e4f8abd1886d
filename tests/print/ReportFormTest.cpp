// The report form's template offsets: loaded from style.ini (and kept inside the up-downs' range),
// applied to the page, and moved and stored by the up-down clicks so that file and layout agree.
#include "print/ReportForm.h"
#include "platform/core/IniFile.h"

#include "fakes/FakeUiServices.h"

#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <fstream>

namespace {

class ReportForm : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    std::string Folder() const { return dir.path().toStdString(); }
    std::string IniPath() const { return Folder() + "/style.ini"; }

    void WriteIni(const std::string& text) { std::ofstream(IniPath(), std::ios::binary) << text; }
    int Stored(const char* key)
    {
        TIniFile ini(IniPath());
        return ini.ReadInteger("SetIDInfoFrontPos", key, -12345);
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(ReportForm, StoredOffsetsAreAppliedAndKeptInRange)
{
    struct Case
    {
        const char* name;
        const char* ini;
        int left, top;
    };
    const Case cases[] = {
        {"no file", nullptr, 0, 0},
        {"no section", "[SetupKey]\r\nChkPrtTimeout=3\r\n", 0, 0},
        {"5 right, 3 up", "[SetIDInfoFrontPos]\r\nLastLaft=5\r\nLastTop=3\r\n", 5, 3},
        {"beyond the up-downs", "[SetIDInfoFrontPos]\r\nLastLaft=250\r\nLastTop=-300\r\n", 100, -100},
        {"not a number", "[setidinfofrontpos]\r\nlastlaft=abc\r\nLASTTOP=-7\r\n", 0, -7},
    };
    for (const Case& c : cases) {
        std::remove(IniPath().c_str());
        if (c.ini)
            WriteIni(c.ini);
        TForm8 form(Folder());
        EXPECT_EQ(form.LastLaftValue, c.left) << c.name;
        EXPECT_EQ(form.LastTopValue, c.top) << c.name;
        EXPECT_EQ(form.UpDown1->Position(), c.left) << c.name;
        EXPECT_EQ(form.UpDown2->Position(), c.top) << c.name;
        const ReportPage& page = form.QuickRep2->Page();
        EXPECT_EQ(page.ItemRect(ReportPage::Item::Front).topLeft(), QPoint(23 + c.left, 31 - c.top))
            << c.name;
        EXPECT_EQ(page.ItemRect(ReportPage::Item::Date).topLeft(), QPoint(537 + c.left, 244 - c.top))
            << c.name;
        EXPECT_EQ(page.ItemRect(ReportPage::Item::Title).topLeft(), QPoint(254, 8)) << c.name;
    }
}

TEST_F(ReportForm, ClicksMoveTheItemsToThePositionAndStoreIt)
{
    WriteIni("[SetIDInfoFrontPos]\r\nLastLaft=5\r\nLastTop=3\r\n");
    TForm8 form(Folder());
    const ReportPage& page = form.QuickRep2->Page();

    form.UpDown1->stepBy(1); // one click right
    EXPECT_EQ(form.LastLaftValue, 6);
    EXPECT_EQ(Stored("LastLaft"), 6);
    EXPECT_EQ(page.ItemRect(ReportPage::Item::Back).left(), 345 + 6);

    form.UpDown2->stepBy(-1); // one click down: the items go down one pixel
    EXPECT_EQ(form.LastTopValue, 2);
    EXPECT_EQ(Stored("LastTop"), 2);
    EXPECT_EQ(page.ItemRect(ReportPage::Item::Rule).top(), 28 - 2);

    // A position typed into the box and then stepped: the layout follows the position itself, not a
    // single pixel, so it still matches what is stored.
    form.UpDown1->SetPosition(40);
    form.UpDown1->stepBy(1);
    EXPECT_EQ(Stored("LastLaft"), 41);
    EXPECT_EQ(page.ItemRect(ReportPage::Item::Front).left(), 23 + 41);

    // At the limit the position does not change and nothing moves.
    form.UpDown2->stepBy(200);
    EXPECT_EQ(Stored("LastTop"), 100);
    form.UpDown2->stepBy(1);
    EXPECT_EQ(form.LastTopValue, 100);
    EXPECT_EQ(page.ItemRect(ReportPage::Item::Front).top(), 31 - 100);

    // What is stored is what the next start applies.
    TForm8 again(Folder());
    EXPECT_EQ(again.QuickRep2->Page().ItemRect(ReportPage::Item::Front),
              page.ItemRect(ReportPage::Item::Front));
}

TEST_F(ReportForm, CloseButtonEndsTheModalShow)
{
    FakeUiServices ui;
    ui.onModal = [](QDialog& dialog) { return dialog.exec(); };
    TForm8 form(Folder());
    QTimer::singleShot(0, form.Button2, [&form] { form.Button2->click(); });
    EXPECT_EQ(form.ShowModal(), mrCancel);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("身份证打印模版 "));
}

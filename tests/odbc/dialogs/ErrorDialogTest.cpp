// The ODBC error dialog as EODBC::Detail shows it: stepping through the records, greying the step
// buttons at the ends, the details part, and the error's cursor left as the caller had it.
#include "fakes/FakeUiServices.h"
#include "odbc/dialogs/OCLError.h"
#include "odbc/handles/OdbcError.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

std::vector<TErrorRec> Records(int count)
{
    std::vector<TErrorRec> records;
    for (int i = 1; i <= count; ++i)
        records.push_back({"4200" + std::to_string(i), 100 + i, "message " + std::to_string(i)});
    return records;
}

// What the details part shows: message, SQLSTATE, native code.
std::vector<std::string> Shown(const TOEErrorDialog& d)
{
    return {d.Memo1->toPlainText().toStdString(), d.Edit1->text().toStdString(),
            d.Edit2->text().toStdString()};
}

class ErrorDialog : public ::testing::Test
{
protected:
    void SetUp() override { InstallErrorDialog(); }
    void TearDown() override
    {
        EODBC::SetDetailHook({});
        EODBC::SetDisplayHook({});
    }

    // Shows the dialog for error through Detail and runs script on it while it is up.
    void Detail(EODBC& error, const std::function<void(TOEErrorDialog&)>& script)
    {
        ui.onModal = [&](QDialog& dialog) {
            auto& d = dynamic_cast<TOEErrorDialog&>(dialog);
            d.show();
            script(d);
            d.Button1->click();
            return d.result();
        };
        error.Detail("Summary of the failure");
        ASSERT_EQ(ui.dialogs, std::vector<std::string>{"OEErrorDialog"});
    }

    FakeUiServices ui;
};

TEST_F(ErrorDialog, ShowsSummaryCollapsedOnTheFirstRecord)
{
    EODBC error(nullptr, -1, Records(3));
    error.Next(); // the dialog starts on the first record whatever the caller did
    Detail(error, [](TOEErrorDialog& d) {
        EXPECT_EQ(d.Caption(), "Database Error: " + ApplicationTitle());
        EXPECT_EQ(d.Label1->text().toStdString(), "Summary of the failure");
        EXPECT_FALSE(d.Expanded());
        EXPECT_EQ(d.height(), 111 - 27);
        EXPECT_EQ(d.Button2->text().toStdString(), "Details >>");
        EXPECT_EQ(Shown(d), (std::vector<std::string>{"message 1", "42001", "101"}));
        EXPECT_FALSE(d.Button3->isEnabled());
        EXPECT_TRUE(d.Button4->isEnabled());
    });
}

TEST_F(ErrorDialog, StepsThroughThreeRecordsAndGreysAtTheEnds)
{
    EODBC error(nullptr, -1, Records(3));
    Detail(error, [](TOEErrorDialog& d) {
        d.Button4->click();
        EXPECT_EQ(Shown(d)[0], "message 2");
        EXPECT_TRUE(d.Button3->isEnabled());
        d.Button4->click();
        EXPECT_EQ(Shown(d), (std::vector<std::string>{"message 3", "42003", "103"}));
        EXPECT_TRUE(d.Button4->isEnabled()); // greyed only once pressed at the end
        d.Button4->click();
        EXPECT_FALSE(d.Button4->isEnabled());
        EXPECT_EQ(Shown(d)[0], "message 3");
        d.Button3->click();
        EXPECT_TRUE(d.Button4->isEnabled());
        EXPECT_EQ(Shown(d)[0], "message 2");
        d.Button3->click();
        EXPECT_EQ(Shown(d)[0], "message 1");
        d.Button3->click();
        EXPECT_FALSE(d.Button3->isEnabled());
        EXPECT_EQ(Shown(d)[0], "message 1");
        d.Button4->click(); // the cursor was put back on the first record
        EXPECT_EQ(Shown(d)[0], "message 2");
    });
}

TEST_F(ErrorDialog, OneRecordGreysNextAtTheFirstPress)
{
    EODBC error(nullptr, -1, Records(1));
    Detail(error, [](TOEErrorDialog& d) {
        EXPECT_FALSE(d.Button3->isEnabled());
        d.Button4->click();
        EXPECT_FALSE(d.Button4->isEnabled());
        EXPECT_TRUE(d.Button3->isEnabled());
        EXPECT_EQ(Shown(d), (std::vector<std::string>{"message 1", "42001", "101"}));
        d.Button3->click();
        EXPECT_FALSE(d.Button3->isEnabled());
        EXPECT_EQ(Shown(d)[0], "message 1");
    });
}

TEST_F(ErrorDialog, DetailsButtonTogglesTheHeightAndCaption)
{
    EODBC error(nullptr, -1, Records(2));
    Detail(error, [](TOEErrorDialog& d) {
        d.Button2->click();
        EXPECT_TRUE(d.Expanded());
        EXPECT_EQ(d.height(), 271 - 27);
        EXPECT_EQ(d.Button2->text().toStdString(), "Details <<");
        d.Button2->click();
        EXPECT_FALSE(d.Expanded());
        EXPECT_EQ(d.height(), 111 - 27);
        EXPECT_EQ(d.Button2->text().toStdString(), "Details >>");
    });
}

TEST_F(ErrorDialog, LeavesTheErrorsCursorWhereTheCallerHadIt)
{
    for (int start : {0, 2, 3}) {
        EODBC error(nullptr, -1, Records(3));
        while (error.Cursor() < start)
            error.Next();
        ui.dialogs.clear();
        Detail(error, [](TOEErrorDialog& d) {
            d.Button4->click();
            d.Button4->click();
        });
        EXPECT_EQ(error.Cursor(), start);
    }
}

TEST_F(ErrorDialog, ErrorWithoutRecordsShowsEmptyFields)
{
    EODBC error(nullptr, -1, {});
    Detail(error, [](TOEErrorDialog& d) {
        EXPECT_EQ(Shown(d), (std::vector<std::string>{"", "", ""}));
        d.Button4->click();
        d.Button3->click();
        EXPECT_EQ(Shown(d), (std::vector<std::string>{"", "", ""}));
    });
    EXPECT_TRUE(ui.messages.empty()); // nothing was raised and shown
}

TEST_F(ErrorDialog, DisplayShowsTheCurrentMessageWithTheErrorIcon)
{
    EODBC error(nullptr, -1, Records(2));
    error.Next();
    error.Display();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "message 2");
    EXPECT_EQ(ui.messages[0].caption, "Error");
    EXPECT_EQ(ui.messages[0].buttons, TMsgButtons::Ok);
    EXPECT_EQ(ui.messages[0].icon, TMsgIcon::Error);
}

} // namespace

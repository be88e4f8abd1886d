// The data-aware editors on an ODBC dataset over a SQLite table, read through the cursor and through
// the row cache: following the record as the dataset scrolls, showing NULL and zero values, and an
// edit whose value reaches the record and, posted, the table.
#include "fakes/FakeClock.h"
#include "odbc/base/OcihError.h"
#include "odbc/controls/ExtVCsIntFloatEdit.h"
#include "odbc/controls/OEDateTime.h"
#include "odbc/controls/OEIntFloat.h"
#include "odbc/datasets/DataSetHstmt.h"
#include "odbc/datasets/OEDataSet.h"
#include "odbc/support/EachDatabase.h"
#include "odbc/support/SqlHelpers.h"
#include "platform/core/DateTime.h"
#include "platform/db/DataSource.h"
#include "platform/db/Field.h"
#include "platform/ui/Form.h"

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <sql.h>

#include <memory>
#include <string>
#include <vector>

namespace {

class EditorsOnOdbcDataSet : public EachDatabase
{
protected:
    void SetUp() override
    {
        EachDatabase::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        table_ = NewTable(
            "(id INTEGER PRIMARY KEY, qty INTEGER, price DOUBLE, day DATE, at TIME, stamp TIMESTAMP)");
        // Row 2 and 3 hold NULLs, row 3 the date 0 (1899-12-30), row 4 zeros and midnights.
        ASSERT_EQ(ExecSql(c, "INSERT INTO " + table_ +
                                 " VALUES (1, 5, 2.5, '2024-02-29', '13:45:10', '2024-02-29 13:45:10'), "
                                 "(2, -7, 1234.125, NULL, '00:00:00', NULL), "
                                 "(3, NULL, NULL, '1899-12-30', NULL, '1999-12-31 23:59:59'), "
                                 "(4, 0, 0.0, '2000-01-01', '00:00:00', '1899-12-30 00:00:00')"),
                  SQL_SUCCESS);
        form_ = std::make_unique<TForm>();
        ds_ = new TOEDataSet(form_.get());
        ds_->SetHdbc(&c);
        ds_->SetSQL("SELECT * FROM " + table_ + " ORDER BY id");
        source_ = new TDataSource(form_.get());
        source_->SetDataSet(ds_);
        qty_ = Add<TOEIntFloat>("qty", 0);
        price_ = Add<TOEIntFloat>("price", 30);
        price_->SetKind(ifkFloat);
        day_ = AddPicker("day", dtkDate, 60);
        at_ = AddPicker("at", dtkTime, 90);
        stampDay_ = AddPicker("stamp", dtkDate, 120);
        stampTime_ = AddPicker("stamp", dtkTime, 150);
        other_ = new QLineEdit(form_.get());
        other_->move(0, 200);
        form_->resize(300, 240);
    }

    // The editors and the dataset go before the table they read.
    void TearDown() override
    {
        form_.reset();
        EachDatabase::TearDown();
    }

    template <class Editor> Editor* Add(const std::string& field, int top)
    {
        auto* editor = new Editor(form_.get(), form_.get());
        editor->move(0, top);
        editor->SetDataSource(source_);
        editor->SetDataField(field);
        return editor;
    }

    TOEDateTime* AddPicker(const std::string& field, TDateTimeKind kind, int top)
    {
        auto* picker = Add<TOEDateTime>(field, top);
        picker->SetClock(&clock_);
        picker->SetKind(kind);
        return picker;
    }

    void Show()
    {
        form_->show();
        form_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
    }

    static std::string Shown(TOEIntFloat* editor) { return editor->Edit()->text().toStdString(); }
    // A date-time editor's text, with "[ ] " before it when its box is cleared (the value empty).
    static std::string Shown(TOEDateTime* picker)
    {
        return (picker->Checked() ? "" : "[ ] ") + picker->Edit()->text().toStdString();
    }
    // What every editor shows for the current record.
    std::string Shown()
    {
        return Shown(qty_) + " " + Shown(price_) + " | " + Shown(day_) + " | " + Shown(at_) + " | " +
               Shown(stampDay_) + " " + Shown(stampTime_);
    }

    std::string Stored(const std::string& column)
    {
        return QueryText(c, "SELECT " + column + " FROM " + table_ + " WHERE id = 1");
    }

    std::string table_;
    FakeClock clock_; // 2025-12-09 12:00, what an empty date-time shows
    std::unique_ptr<TForm> form_;
    TOEDataSet* ds_ = nullptr;
    TDataSource* source_ = nullptr;
    TOEIntFloat* qty_ = nullptr;
    TOEIntFloat* price_ = nullptr;
    TOEDateTime* day_ = nullptr;
    TOEDateTime* at_ = nullptr;
    TOEDateTime* stampDay_ = nullptr;
    TOEDateTime* stampTime_ = nullptr;
    QLineEdit* other_ = nullptr;
};

const std::string kRow1 = "5 2.50 | 2024-02-29 | 13:45:10 | 2024-02-29 13:45:10";
// NULL shows 0 in the number editors and the clock's day or time, unchecked, in the date-time ones.
const std::string kRow2 = "-7 1234.13 | [ ] 2025-12-09 | 00:00:00 | [ ] 2025-12-09 [ ] 12:00:00";
// The date 0 is empty for the date kind.
const std::string kRow3 = "0 0.00 | [ ] 2025-12-09 | [ ] 12:00:00 | 1999-12-31 23:59:59";
// Midnight is a value for the time kind, also of the date-time 0.
const std::string kRow4 = "0 0.00 | 2000-01-01 | 00:00:00 | [ ] 2025-12-09 00:00:00";
const std::string kClosed = "0 0.00 | [ ] 2025-12-09 | [ ] 12:00:00 | [ ] 2025-12-09 [ ] 12:00:00";

TEST_P(EditorsOnOdbcDataSet, FollowTheRecordAsTheDatasetScrolls)
{
    for (const bool cached : {false, true}) {
        SCOPED_TRACE(cached ? "cached" : "through the cursor");
        ds_->SetCached(cached);
        ds_->Open();
        std::vector<std::string> seen;
        for (; !ds_->Eof(); ds_->Next())
            seen.push_back(Shown());
        EXPECT_EQ(seen, (std::vector<std::string>{kRow1, kRow2, kRow3, kRow4}));
        // Back and forth: SQLite's cursor has no bookmarks, so the dataset finds rows again by
        // moving the cursor.
        seen.clear();
        ds_->Prior();
        seen.push_back(Shown());
        ds_->First();
        seen.push_back(Shown());
        ds_->Last();
        seen.push_back(Shown());
        ds_->MoveBy(-2);
        seen.push_back(Shown());
        ds_->Next();
        seen.push_back(Shown());
        EXPECT_EQ(seen, (std::vector<std::string>{kRow3, kRow1, kRow4, kRow2, kRow3}));
        EXPECT_EQ(qty_->Field(), ds_->FieldByName("qty"));
        ds_->Close();
        EXPECT_EQ(qty_->Field(), nullptr);
        EXPECT_EQ(Shown(), kClosed);
    }
}

TEST_P(EditorsOnOdbcDataSet, ADatasetThatIsNotEditableRefusesEveryChange)
{
    // Editable is off unless asked for.
    ds_->Open();
    Show();
    qty_->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(qty_->Edit(), "42");
    QTest::keyClick(qty_->Edit(), Qt::Key_Up);
    day_->Edit()->setFocus(Qt::TabFocusReason);
    day_->Edit()->setCurrentSection(QDateTimeEdit::DaySection);
    QTest::keyClick(day_->Edit(), Qt::Key_Down);
    QTest::mouseClick(at_->CheckBox(), Qt::LeftButton);
    EXPECT_EQ(ds_->State(), dsBrowse);
    EXPECT_EQ(Shown(), kRow1);
    other_->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(other_->hasFocus()) << "leaving is never refused";
    EXPECT_EQ(ds_->FieldByName("qty")->AsInteger(), 5);
}

TEST_P(EditorsOnOdbcDataSet, AnEditReachesTheRecordAndPostedTheTable)
{
    ds_->SetEditable(true);
    // SQLite names no key column for an INTEGER PRIMARY KEY.
    ds_->hStmt().Target().SetTarget(table_, "id;", "");
    for (const bool cached : {false, true}) {
        SCOPED_TRACE(cached ? "cached" : "through the cursor");
        ds_->Close();
        ds_->SetCached(cached);
        ds_->Open();
        ds_->Next(); // away from the first row and back: the record is found again
        ds_->First();
        Show();

        // Typing starts the edit; leaving writes the value into the record.
        qty_->setFocus(Qt::TabFocusReason);
        QTest::keyClick(qty_->Edit(), Qt::Key_Backspace);
        EXPECT_EQ(ds_->State(), dsEdit);
        QTest::keyClicks(qty_->Edit(), "42");
        EXPECT_EQ(ds_->FieldByName("qty")->AsInteger(), 5) << "not before leaving";
        day_->Edit()->setFocus(Qt::TabFocusReason);
        EXPECT_EQ(ds_->FieldByName("qty")->AsInteger(), 42);
        day_->Edit()->setCurrentSection(QDateTimeEdit::DaySection);
        QTest::keyClick(day_->Edit(), Qt::Key_Down);
        // The time editor of the time stamp keeps its day.
        stampTime_->Edit()->setFocus(Qt::TabFocusReason);
        stampTime_->Edit()->setCurrentSection(QDateTimeEdit::HourSection);
        QTest::keyClick(stampTime_->Edit(), Qt::Key_Up);
        // Escape shows the record's value again, and leaving then writes nothing new.
        price_->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(price_->Edit(), "9");
        QTest::keyClick(price_->Edit(), Qt::Key_Escape);
        EXPECT_EQ(Shown(price_), "2.50");
        other_->setFocus(Qt::TabFocusReason);
        EXPECT_EQ(FormatDateTime("yyyy-mm-dd", ds_->FieldByName("day")->AsDateTime()), "2024-02-28");
        EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss", ds_->FieldByName("stamp")->AsDateTime()),
                  "2024-02-29 14:45:10");
        EXPECT_EQ(ds_->FieldByName("price")->AsFloat(), 2.5);
        EXPECT_EQ(Shown(), "42 2.50 | 2024-02-28 | 13:45:10 | 2024-02-29 14:45:10");

        // Posting writes the record to the table.
        ds_->Post();
        EXPECT_EQ(ds_->State(), dsBrowse);
        EXPECT_EQ(Stored("qty") + " " + Stored("price"), "42 2.5");
        EXPECT_EQ(
            QueryLong(c, "SELECT COUNT(*) FROM " + table_ +
                             " WHERE id = 1 AND day = '2024-02-28' AND stamp LIKE '2024-02-29 14:45:10%'"),
            1);
        EXPECT_EQ(Shown(), "42 2.50 | 2024-02-28 | 13:45:10 | 2024-02-29 14:45:10");

        // An edit cancelled shows the record as it was before it, with a bookmark or without.
        qty_->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(qty_->Edit(), "7");
        other_->setFocus(Qt::TabFocusReason);
        EXPECT_EQ(ds_->FieldByName("qty")->AsInteger(), 7);
        ds_->Cancel();
        EXPECT_EQ(ds_->State(), dsBrowse);
        EXPECT_EQ(Shown(), "42 2.50 | 2024-02-28 | 13:45:10 | 2024-02-29 14:45:10");
        // NOTE: SQLite's cursor keeps the rows as they were when it was opened, and a record read
        // through it has no bookmark to keep the posted values by: read again, it shows the row as
        // the cursor has it. The cache keeps the posted values.
        ds_->Next();
        ds_->Prior();
        if (cached) {
            EXPECT_EQ(Shown(), "42 2.50 | 2024-02-28 | 13:45:10 | 2024-02-29 14:45:10");
        }
        // The first row as it was, for the next round.
        ASSERT_EQ(
            ExecSql(c, "UPDATE " + table_ +
                           " SET qty = 5, day = '2024-02-29', stamp = '2024-02-29 13:45:10' WHERE id = 1"),
            SQL_SUCCESS);
    }
}

} // namespace

// The editors work with any dataset; SQLite stands for the ODBC ones here.
INSTANTIATE_TEST_SUITE_P(Databases, EditorsOnOdbcDataSet, ::testing::Values(TestDatabase::Sqlite),
                         [](const ::testing::TestParamInfo<TestDatabase>& info) {
                             return DatabaseName(info.param);
                         });

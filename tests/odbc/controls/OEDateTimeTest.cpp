// The data-aware date-time editor on the in-memory dataset: following the record (null and zero
// shown unchecked, midnight a value for the time kind), starting an edit, writing back on leaving
// and on posting, the check box toggling null, time stamps keeping the part not edited, Escape,
// refusing edits the record does not allow and failing writes.
#include "odbc/controls/OEDateTime.h"
#include "EditorRig.h"
#include "platform/db/DatabaseError.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QTableView>
#include <QToolButton>

#include <functional>

namespace {

TOEDateTime* AddPicker(EditorRig& r, const std::string& field, TDateTimeKind kind = dtkDate, int top = 0)
{
    auto* picker = r.Add<TOEDateTime>(field, top);
    picker->SetClock(&r.clock);
    picker->SetKind(kind);
    return picker;
}

// What the picker shows: its text, or "[ ]" before it when the box is cleared.
std::string Shown(TOEDateTime* picker)
{
    return (picker->Checked() ? "" : "[ ] ") + picker->Edit()->text().toStdString();
}

void Focus(TOEDateTime* picker)
{
    picker->Edit()->setFocus(Qt::TabFocusReason);
}

TEST(OEDateTime, FollowsTheRecordShowingNullAndZeroDatesUnchecked)
{
    EditorRig r;
    auto* day = AddPicker(r, "day");
    auto* at = AddPicker(r, "at", dtkTime, 30);
    auto* stamp = AddPicker(r, "stamp", dtkDate, 60);
    EXPECT_EQ(day->width(), 121);
    EXPECT_TRUE(day->ShowCheckbox());
    r.ds->Open();
    std::vector<std::string> seen;
    for (int row = 0; row < 3; ++row, r.ds->Next())
        seen.push_back(Shown(day) + " | " + Shown(at) + " | " + Shown(stamp));
    // Row 2: day null, at midnight (a value for the time kind), stamp null. Row 3: day is the
    // date-time 0 (empty for the date kind), at null. Empty shows the clock's day.
    EXPECT_EQ(seen, (std::vector<std::string>{"2024-02-29 | 13:45:10 | 2024-02-29",
                                              "[ ] 2025-12-09 | 00:00:00 | [ ] 2025-12-09",
                                              "[ ] 2025-12-09 | [ ] 12:00:00 | 1999-12-31"}));
    EXPECT_FALSE(day->Edit()->isEnabled()); // greyed while cleared
    r.ds->Close();
    EXPECT_EQ(Shown(stamp), "[ ] 2025-12-09");
}

TEST(OEDateTime, TypingStartsAnEditAndLeavingOrPostingWritesTheValueBack)
{
    EditorRig r;
    auto* day = AddPicker(r, "day");
    r.ds->Open();
    r.Show();
    Focus(day);
    day->Edit()->setCurrentSection(QDateTimeEdit::DaySection);
    QTest::keyClick(day->Edit(), Qt::Key_Down);
    EXPECT_EQ(r.ds->State(), dsEdit);
    EXPECT_EQ(Shown(day), "2024-02-28");
    EXPECT_EQ(Text(r.Field("day")->AsDateTime()), "2024-02-29 00:00:00"); // not yet
    r.other->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(Text(r.Field("day")->AsDateTime()), "2024-02-28 00:00:00");
    r.ds->Post();
    EXPECT_EQ(Text(r.Cell(1, 3).AsDateTime()), "2024-02-28 00:00:00");

    // Typed digits, and the calendar, then posting without leaving.
    Focus(day);
    day->Edit()->setSelectedSection(QDateTimeEdit::MonthSection);
    QTest::keyClicks(day->Edit(), "03");
    EXPECT_EQ(r.ds->State(), dsEdit);
    r.ds->Post();
    EXPECT_EQ(Text(r.Cell(1, 3).AsDateTime()), "2024-03-28 00:00:00");
    QTest::mousePress(day->DropDownButton(), Qt::LeftButton);
    QTest::mouseRelease(day->DropDownButton(), Qt::LeftButton);
    ASSERT_NE(day->Calendar(), nullptr);
    EXPECT_EQ(r.ds->State(), dsEdit);
    day->Calendar()->setSelectedDate(QDate(2024, 4, 1));
    QTest::keyClick(day->Calendar()->findChild<QTableView*>(), Qt::Key_Return);
    r.ds->Post();
    EXPECT_EQ(Text(r.Cell(1, 3).AsDateTime()), "2024-04-01 00:00:00");
}

TEST(OEDateTime, TheCheckBoxTogglesNull)
{
    EditorRig r;
    auto* day = AddPicker(r, "day");
    r.ds->Open();
    r.ds->Next(); // day is null
    r.Show();

    // Checking an empty date writes the day shown: the clock's.
    QTest::mouseClick(day->CheckBox(), Qt::LeftButton);
    EXPECT_EQ(r.ds->State(), dsEdit);
    EXPECT_EQ(Shown(day), "2025-12-09");
    r.other->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(Text(r.Field("day")->AsDateTime()), "2025-12-09 00:00:00");
    r.ds->Post();
    EXPECT_EQ(Text(r.Cell(2, 3).AsDateTime()), "2025-12-09 00:00:00");

    // Clearing it writes null, also when the record is posted while the box has the focus.
    day->CheckBox()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(day->CheckBox(), Qt::Key_Space);
    EXPECT_FALSE(day->Checked());
    EXPECT_EQ(r.ds->State(), dsEdit);
    r.ds->Post();
    EXPECT_TRUE(r.Cell(2, 3).IsNull());
    EXPECT_EQ(Shown(day), "[ ] 2025-12-09");

    // Toggling twice before leaving leaves the value as it was.
    r.ds->First();
    QTest::mouseClick(day->CheckBox(), Qt::LeftButton);
    QTest::mouseClick(day->CheckBox(), Qt::LeftButton);
    r.ds->Post();
    EXPECT_EQ(Text(r.Cell(1, 3).AsDateTime()), "2024-02-29 00:00:00");
}

TEST(OEDateTime, EditorsOfATimeStampKeepThePartTheyDoNotShow)
{
    EditorRig r;
    auto* day = AddPicker(r, "stamp");
    auto* time = AddPicker(r, "stamp", dtkTime, 30);
    r.ds->Open();
    r.Show();
    Focus(day);
    day->Edit()->setCurrentSection(QDateTimeEdit::YearSection);
    QTest::keyClick(day->Edit(), Qt::Key_Up);
    r.ds->Post();
    EXPECT_EQ(Text(r.Cell(1, 5).AsDateTime()), "2025-02-28 13:45:10");

    Focus(time);
    time->Edit()->setCurrentSection(QDateTimeEdit::HourSection);
    QTest::keyClick(time->Edit(), Qt::Key_Down);
    r.other->setFocus(Qt::TabFocusReason);
    r.ds->Post();
    EXPECT_EQ(Text(r.Cell(1, 5).AsDateTime()), "2025-02-28 12:45:10");

    // An empty time stamp checked in the time editor takes the clock's day and time.
    r.ds->Next();
    QTest::mouseClick(time->CheckBox(), Qt::LeftButton);
    r.ds->Post();
    EXPECT_EQ(Text(r.Cell(2, 5).AsDateTime()), "2025-12-09 12:00:00");
    EXPECT_EQ(Shown(day), "2025-12-09");
}

TEST(OEDateTime, EscapeShowsTheStoredValueAgain)
{
    EditorRig r;
    auto* at = AddPicker(r, "at", dtkTime);
    r.ds->Open();
    r.Show();
    Focus(at);
    at->Edit()->setCurrentSection(QDateTimeEdit::MinuteSection);
    QTest::keyClick(at->Edit(), Qt::Key_Up);
    EXPECT_EQ(Shown(at), "13:46:10");
    QTest::keyClick(at->Edit(), Qt::Key_Escape);
    EXPECT_EQ(Shown(at), "13:45:10");
    r.other->setFocus(Qt::TabFocusReason);
    r.ds->Post();
    EXPECT_EQ(Text(r.Cell(1, 4).AsDateTime()), "1899-12-30 13:45:10");

    // A toggled box comes back too.
    QTest::mouseClick(at->CheckBox(), Qt::LeftButton);
    EXPECT_FALSE(at->Checked());
    Focus(at);
    QTest::keyClick(at->CheckBox(), Qt::Key_Escape);
    EXPECT_TRUE(at->Checked());
}

TEST(OEDateTime, RecordsThatCannotBeEditedRefuseEveryChange)
{
    struct Case
    {
        const char* what;
        std::function<void(EditorRig&, TOEDateTime*)> arrange;
    };
    const Case cases[] = {
        {"read-only field", [](EditorRig& r, TOEDateTime*) { r.Field("day")->SetReadOnly(true); }},
        {"read-only dataset",
         [](EditorRig& r, TOEDateTime*) {
             r.ds->Close();
             r.ds->SetReadOnly(true);
             r.ds->Open();
         }},
        {"read-only editor", [](EditorRig&, TOEDateTime* e) { e->SetReadOnly(true); }},
        {"source without auto edit", [](EditorRig& r, TOEDateTime*) { r.source->SetAutoEdit(false); }},
    };
    for (const Case& c : cases) {
        EditorRig r;
        auto* day = AddPicker(r, "day");
        r.ds->Open();
        c.arrange(r, day);
        r.Show();
        Focus(day);
        day->Edit()->setCurrentSection(QDateTimeEdit::DaySection);
        QTest::keyClick(day->Edit(), Qt::Key_Up);
        QTest::keyClicks(day->Edit(), "01");
        QTest::mousePress(day->DropDownButton(), Qt::LeftButton);
        QTest::mouseRelease(day->DropDownButton(), Qt::LeftButton);
        QTest::mouseClick(day->CheckBox(), Qt::LeftButton);
        EXPECT_EQ(Shown(day), "2024-02-29") << c.what;
        EXPECT_EQ(day->Calendar(), nullptr) << c.what;
        EXPECT_EQ(r.ds->State(), dsBrowse) << c.what;
        r.other->setFocus(Qt::TabFocusReason);
        EXPECT_TRUE(r.other->hasFocus()) << c.what;
        EXPECT_EQ(Text(r.Cell(1, 3).AsDateTime()), "2024-02-29 00:00:00") << c.what;
    }
}

TEST(OEDateTime, AWriteThatFailsOnLeavingKeepsTheFocus)
{
    EditorRig r;
    auto* day = AddPicker(r, "day");
    r.ds->Open();
    r.Field("day")->SetOnValidate([](TField* f) {
        if (f->AsDateTime() < EncodeDate(2000, 1, 1))
            DatabaseError("too early");
    });
    r.Show();
    Focus(day);
    day->Edit()->setSelectedSection(QDateTimeEdit::YearSection);
    QTest::keyClicks(day->Edit(), "1999");
    r.other->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(day->Edit()->hasFocus());
    EXPECT_EQ(Text(r.Field("day")->AsDateTime()), "2024-02-29 00:00:00");
    day->Edit()->setSelectedSection(QDateTimeEdit::YearSection);
    QTest::keyClicks(day->Edit(), "2001");
    r.other->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(r.other->hasFocus());
    EXPECT_EQ(Text(r.Field("day")->AsDateTime()), "2001-02-28 00:00:00");
}

TEST(OEDateTime, LetsGoOfADataSourceThatIsDestroyed)
{
    EditorRig r;
    auto* day = AddPicker(r, "day");
    r.ds->Open();
    delete r.source;
    EXPECT_EQ(day->DataSource(), nullptr);
    EXPECT_EQ(day->Field(), nullptr);
    r.ds->Next();
}

} // namespace

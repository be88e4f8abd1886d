// The date-time picker: the part shown and the part kept, what the user does against what code
// sets, the check box, the read-only edit, the calendar, the key hooks and leaving the picker.
#include "platform/ui/DateTimePicker.h"
#include "fakes/FakeClock.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TDateTime At(int y, int m, int d, int h = 0, int n = 0, int s = 0)
{
    return EncodeDate(y, m, d) + EncodeTime(h, n, s, 0);
}

std::string Text(TDateTime value)
{
    return FormatDateTime("yyyy-mm-dd hh:nn:ss", value);
}

// A picker on a window with a second widget to take the focus, recording its events.
struct Rig
{
    QWidget window;
    FakeClock clock;
    TDateTimePicker* picker = new TDateTimePicker(nullptr, &window);
    QLineEdit* other = new QLineEdit(&window);
    std::vector<std::string> events;

    explicit Rig(TDateTimeKind kind = dtkDate)
    {
        picker->SetClock(&clock);
        picker->SetKind(kind);
        picker->SetDateTime(At(2024, 2, 29, 13, 45, 10));
        picker->move(0, 0);
        other->move(0, 40);
        window.resize(240, 80);
        window.show();
        picker->SetOnChange([this](QObject*) { events.push_back("change " + Text(picker->DateTime())); });
        picker->SetOnDropDown([this](QObject*) { events.push_back("dropdown"); });
        picker->SetOnClick([this](QObject*) {
            events.push_back(std::string("click ") + (picker->Checked() ? "on" : "off"));
        });
        picker->SetOnExit([this](QObject*) { events.push_back("exit"); });
    }

    QDateTimeEdit* Edit() { return picker->Edit(); }
    void Focus()
    {
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        Edit()->setFocus(Qt::TabFocusReason);
    }
    // The middle of the up arrow of the time kind's edit.
    QPoint UpArrow()
    {
        QStyleOptionSpinBox option;
        option.initFrom(Edit());
        option.rect = Edit()->rect();
        option.subControls = QStyle::SC_SpinBoxUp | QStyle::SC_SpinBoxDown | QStyle::SC_SpinBoxEditField;
        option.buttonSymbols = QAbstractSpinBox::UpDownArrows;
        option.frame = false;
        return Edit()
            ->style()
            ->subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxUp, Edit())
            .center();
    }
};

} // namespace

TEST(DateTimePicker, StartsNowAndSplitsIntoDayAndTimeOfDay)
{
    FakeClock clock;
    TDateTimePicker picker;
    picker.SetClock(&clock);
    EXPECT_TRUE(picker.Checked());
    EXPECT_FALSE(picker.ShowCheckbox());
    EXPECT_EQ(picker.Kind(), dtkDate);

    struct Case
    {
        TDateTime value;
        TDateTime date;
        TDateTime time;
    };
    // Before 1899-12-30 the day counts back and the time of day still forward (-1.25 is 06:00).
    for (const Case& c :
         {Case{At(2024, 2, 29, 18), At(2024, 2, 29), 0.75}, Case{-1.25, -1, 0.25}, Case{0.5, 0, 0.5}}) {
        picker.SetDateTime(c.value);
        EXPECT_DOUBLE_EQ(picker.Date(), c.date) << c.value;
        EXPECT_DOUBLE_EQ(picker.Time(), c.time) << c.value;
    }

    picker.SetDateTime(At(2024, 2, 29, 18));
    picker.SetDate(At(2001, 1, 1, 7)); // the day only
    EXPECT_EQ(Text(picker.DateTime()), "2001-01-01 18:00:00");
    picker.SetTime(At(1999, 9, 9, 6, 30)); // the time of day only
    EXPECT_EQ(Text(picker.DateTime()), "2001-01-01 06:30:00");
    EXPECT_EQ(picker.Edit()->date(), QDate(2001, 1, 1));
}

TEST(DateTimePicker, TypingChangesTheShownPartKeepsTheOtherAndReportsOnce)
{
    Rig date;
    date.Focus();
    date.picker->SetDateTime(At(2024, 2, 28, 13, 45, 10)); // code: no event
    date.Edit()->setCurrentSection(QDateTimeEdit::DaySection);
    QTest::keyClick(date.Edit(), Qt::Key_Up);
    EXPECT_EQ(Text(date.picker->DateTime()), "2024-02-29 13:45:10");
    EXPECT_EQ(date.events, std::vector<std::string>{"change 2024-02-29 13:45:10"});

    Rig time(dtkTime);
    time.Focus();
    time.Edit()->setCurrentSection(QDateTimeEdit::HourSection);
    QTest::keyClick(time.Edit(), Qt::Key_Down);
    EXPECT_EQ(Text(time.picker->DateTime()), "2024-02-29 12:45:10");
    EXPECT_EQ(time.events, std::vector<std::string>{"change 2024-02-29 12:45:10"});
    EXPECT_EQ(time.Edit()->text().toStdString(), "12:45:10");
}

TEST(DateTimePicker, ShowingTheSameValueAgainKeepsTheSectionBeingEdited)
{
    // A data-aware picker shows its field again as the key that starts an edit arrives.
    Rig r;
    r.picker->SetShowCheckbox(true);
    r.Focus();
    r.Edit()->setSelectedSection(QDateTimeEdit::DaySection);
    r.picker->SetDateTime(r.picker->DateTime());
    r.picker->SetChecked(true);
    r.picker->SetKind(dtkDate);
    EXPECT_EQ(r.Edit()->currentSection(), QDateTimeEdit::DaySection);
    EXPECT_EQ(r.Edit()->sectionText(QDateTimeEdit::DaySection), "29");
    QTest::keyClicks(r.Edit(), "01");
    EXPECT_EQ(Text(r.picker->DateTime()), "2024-02-01 13:45:10");
}

TEST(DateTimePicker, CheckBoxGreysTheValueAndOnlyAUserToggleIsReported)
{
    Rig r;
    r.picker->SetShowCheckbox(true);
    r.picker->SetChecked(false);
    EXPECT_TRUE(r.picker->CheckBox()->isVisible());
    EXPECT_FALSE(r.Edit()->isEnabled());
    EXPECT_FALSE(r.picker->DropDownButton()->isEnabled());
    EXPECT_TRUE(r.events.empty());

    QTest::mouseClick(r.picker->CheckBox(), Qt::LeftButton);
    EXPECT_TRUE(r.picker->Checked());
    EXPECT_TRUE(r.Edit()->isEnabled());
    EXPECT_EQ(r.events, (std::vector<std::string>{"change 2024-02-29 13:45:10", "click on"}));

    // Clearing the box while the value has the focus leaves the focus in the picker.
    r.Focus();
    r.events.clear();
    r.picker->SetChecked(false);
    EXPECT_TRUE(r.picker->CheckBox()->hasFocus());
    EXPECT_TRUE(r.events.empty());
}

TEST(DateTimePicker, ReadOnlyValueRefusesTypingSpinningAndTheCalendar)
{
    Rig date;
    date.picker->SetEditReadOnly(true);
    date.Focus();
    date.Edit()->setCurrentSection(QDateTimeEdit::DaySection);
    QTest::keyClick(date.Edit(), Qt::Key_Up);
    QTest::keyClicks(date.Edit(), "01");
    QTest::mousePress(date.picker->DropDownButton(), Qt::LeftButton);
    QTest::mouseRelease(date.picker->DropDownButton(), Qt::LeftButton);
    EXPECT_EQ(Text(date.picker->DateTime()), "2024-02-29 13:45:10");
    EXPECT_EQ(date.picker->Calendar(), nullptr);
    EXPECT_EQ(date.events, std::vector<std::string>{"dropdown"}); // the press is still reported

    // A spin press is reported before the step, so a handler can lift read-only and let it happen.
    Rig time(dtkTime);
    time.picker->SetEditReadOnly(true);
    time.picker->SetOnDropDown([&](QObject*) {
        time.events.push_back("dropdown");
        time.picker->SetEditReadOnly(false);
    });
    time.Edit()->setCurrentSection(QDateTimeEdit::SecondSection);
    QTest::mouseClick(time.Edit(), Qt::LeftButton, {}, time.UpArrow());
    EXPECT_EQ(time.events, (std::vector<std::string>{"dropdown", "change 2024-02-29 13:45:11"}));
}

TEST(DateTimePicker, CalendarPicksTheDayAndKeepsTheTime)
{
    Rig r;
    QTest::mousePress(r.picker->DropDownButton(), Qt::LeftButton);
    QTest::mouseRelease(r.picker->DropDownButton(), Qt::LeftButton);
    QCalendarWidget* calendar = r.picker->Calendar();
    ASSERT_NE(calendar, nullptr);
    EXPECT_TRUE(calendar->isVisible());
    EXPECT_EQ(calendar->selectedDate(), QDate(2024, 2, 29));
    calendar->setSelectedDate(QDate(2024, 3, 15));
    QTest::keyClick(calendar->findChild<QTableView*>(), Qt::Key_Return);
    EXPECT_FALSE(calendar->isVisible());
    EXPECT_EQ(Text(r.picker->DateTime()), "2024-03-15 13:45:10");
    EXPECT_EQ(r.events, (std::vector<std::string>{"dropdown", "change 2024-03-15 13:45:10"}));
}

TEST(DateTimePicker, KeyHooksSeeKeysFirstAndCanSwallowThem)
{
    Rig r;
    std::vector<std::string> keys;
    r.picker->SetOnKeyDown([&](QObject* sender, int& key, Qt::KeyboardModifiers) {
        EXPECT_EQ(sender, r.picker);
        keys.push_back("down " + std::to_string(key));
        if (key == Qt::Key_Up)
            key = 0;
    });
    r.picker->SetOnKeyPress([&](QObject*, QChar& key) {
        keys.push_back("press " + QString(key).toStdString());
        key = QChar(0);
    });
    r.Focus();
    r.Edit()->setCurrentSection(QDateTimeEdit::YearSection);
    QTest::keyClick(r.Edit(), Qt::Key_Up);     // swallowed at key down
    QTest::keyClick(r.Edit(), Qt::Key_1);      // swallowed at key press
    QTest::keyClick(r.Edit(), Qt::Key_Escape); // a dialog key has no key press
    EXPECT_EQ(keys, (std::vector<std::string>{"down " + std::to_string(Qt::Key_Up),
                                              "down " + std::to_string(Qt::Key_1), "press 1",
                                              "down " + std::to_string(Qt::Key_Escape)}));
    EXPECT_EQ(Text(r.picker->DateTime()), "2024-02-29 13:45:10");
}

TEST(DateTimePicker, ExitWhenTheFocusLeavesThePicker)
{
    Rig r;
    r.picker->SetShowCheckbox(true);
    r.Focus();
    r.picker->CheckBox()->setFocus(Qt::TabFocusReason); // inside: no exit
    r.Edit()->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(r.events.empty());
    r.other->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(r.events, std::vector<std::string>{"exit"});
}

// The auto-repeat button, the spin picker (stepping, limits, arrow keys, events, layout, enabling)
// and the arrow glyphs.
#include "fakes/FakeUiServices.h"
#include "odbc/controls/ExtVCsGlyphs.h"
#include "odbc/controls/ExtVCsIntFloatEdit.h"
#include "odbc/controls/ExtVCsIntFloatPicker.h"
#include "odbc/controls/ExtVCsTimerButton.h"
#include "platform/core/Component.h"
#include "platform/core/Exception.h"
#include "platform/ui/Timer.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

namespace {

// Reaches the repeat timer so that ticks can be run by hand.
class ProbeButton : public TTimerButton
{
public:
    using TTimerButton::DoTimer;
    using TTimerButton::RepeatTimer;
};

TEST(TimerButton, RepeatsWhileHeldAndClicksOnRelease)
{
    ProbeButton button;
    button.resize(14, 8);
    button.show();
    int clicks = 0;
    button.SetOnClick([&](QObject*) { ++clicks; });

    button.DoTimer(); // not held: nothing
    EXPECT_EQ(clicks, 0);
    QTest::mousePress(&button, Qt::LeftButton);
    EXPECT_TRUE(button.RepeatTimer().Enabled());
    EXPECT_EQ(button.RepeatTimer().Interval(), 300);
    button.DoTimer();
    button.DoTimer();
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(button.RepeatTimer().Interval(), 100);
    QTest::mouseRelease(&button, Qt::LeftButton);
    EXPECT_EQ(clicks, 3);
    EXPECT_FALSE(button.RepeatTimer().Enabled());
    EXPECT_EQ(button.RepeatTimer().Interval(), 300);
}

TEST(TimerButton, FailingClickStopsTheRepetition)
{
    ProbeButton button;
    button.resize(14, 8);
    button.show();
    button.SetOnClick([](QObject*) { throw EConvertError("bad"); });
    QTest::mousePress(&button, Qt::LeftButton);
    EXPECT_THROW(button.DoTimer(), EConvertError); // passed on to the timer's guard
    EXPECT_FALSE(button.RepeatTimer().Enabled());
    EXPECT_EQ(button.RepeatTimer().Interval(), 300);
    FakeUiServices ui;
    QTest::mouseRelease(&button, Qt::LeftButton); // the release click fails inside the guard
    EXPECT_EQ(ui.messages.size(), 1u);
}

TEST(TimerButton, HeldForOneSecondClicksAboutEightTimesPlusRelease)
{
    TTimerButton button;
    button.resize(14, 8);
    button.show();
    int clicks = 0;
    button.SetOnClick([&](QObject*) { ++clicks; });
    QTest::mousePress(&button, Qt::LeftButton);
    QElapsedTimer held;
    held.start();
    QTest::qWait(250);
    EXPECT_EQ(clicks, 0); // nothing before 300 ms
    while (held.elapsed() < 1000)
        QTest::qWait(10);
    QTest::mouseRelease(&button, Qt::LeftButton);
    // 300 ms, then every 100 ms: 8 ticks at most in one second (fewer on a slow machine), plus release.
    EXPECT_LE(clicks, 9);
    EXPECT_GE(clicks, 5);
    const int afterRelease = clicks;
    QTest::qWait(350);
    EXPECT_EQ(clicks, afterRelease);
}

struct StepCase
{
    TIntFloatKind kind;
    int min;
    int max;
    const char* start;
    bool up;
    const char* result;
};

class PickerStep : public ::testing::TestWithParam<StepCase>
{
};

TEST_P(PickerStep, StepsByOneWithinTheLimits)
{
    const StepCase& c = GetParam();
    TIntFloatPicker picker;
    picker.SetKind(c.kind);
    picker.SetMin(c.min);
    picker.SetMax(c.max);
    picker.Edit()->setText(QString::fromUtf8(c.start));
    if (c.up)
        picker.UpButtonClick(&picker);
    else
        picker.DownButtonClick(&picker);
    EXPECT_EQ(picker.Edit()->text().toStdString(), c.result);
    EXPECT_EQ(picker.Edit()->cursorPosition(), picker.Edit()->text().size());
}

INSTANTIATE_TEST_SUITE_P(Cases, PickerStep,
                         ::testing::Values(StepCase{ifkInt, 0, 10, "9", true, "10"},
                                           StepCase{ifkInt, 0, 10, "10", true, "10"},
                                           StepCase{ifkInt, 0, 10, "0", false, "0"},
                                           StepCase{ifkInt, 0, 10, "1", false, "0"},
                                           StepCase{ifkInt, 0, 0, "-1", false, "-2"}, // unbounded
                                           StepCase{ifkFloat, 0, 10, "9.5", true, "10.50"},
                                           StepCase{ifkFloat, 0, 10, "0.25", false, "-0.75"},
                                           StepCase{ifkInt, 0, 0, "2147483647", true, "2147483647"},
                                           StepCase{ifkInt, 0, 0, "-2147483648", false, "-2147483648"}));

TEST(IntFloatPicker, StepPastMaxIsClampedOnTheNextRead)
{
    TIntFloatPicker picker;
    picker.SetKind(ifkFloat);
    picker.SetMax(10);
    picker.SetFloat(9.5);
    picker.UpButtonClick(&picker);
    EXPECT_EQ(picker.Edit()->text().toStdString(), "10.50");
    EXPECT_DOUBLE_EQ(picker.GetFloat(), 10.0);
}

TEST(IntFloatPicker, ArrowKeysStepAndEventsComeFromThePicker)
{
    TIntFloatPicker picker;
    std::vector<std::string> events;
    picker.SetOnChange([&](QObject* sender) {
        EXPECT_EQ(sender, &picker);
        events.push_back("change " + picker.Edit()->text().toStdString());
    });
    picker.SetOnKeyDown([&](QObject* sender, int& key, Qt::KeyboardModifiers) {
        EXPECT_EQ(sender, &picker);
        if (key == Qt::Key_Down)
            key = 0; // the handler takes the key: no step
    });
    picker.SetOnKeyPress([&](QObject* sender, QChar& key) {
        EXPECT_EQ(sender, &picker);
        events.push_back(std::string("press ") + static_cast<char>(key.unicode()));
    });
    QTest::keyClick(picker.Edit(), Qt::Key_Up);
    QTest::keyClick(picker.Edit(), Qt::Key_Up);
    QTest::keyClick(picker.Edit(), Qt::Key_Down);
    QTest::keyClick(picker.Edit(), Qt::Key_7);
    EXPECT_EQ(events, (std::vector<std::string>{"change 1", "change 2", "press 7", "change 27"}));
}

TEST(IntFloatPicker, SpinButtonsStepAndRaiseDropDown)
{
    TIntFloatPicker picker;
    picker.show();
    int dropDowns = 0;
    picker.SetOnDropDown([&](QObject* sender) {
        EXPECT_EQ(sender, &picker);
        ++dropDowns;
    });
    QTest::mouseClick(picker.UpButton(), Qt::LeftButton);
    QTest::mouseClick(picker.UpButton(), Qt::LeftButton);
    QTest::mouseClick(picker.DownButton(), Qt::LeftButton);
    EXPECT_EQ(picker.GetInt(), 1);
    EXPECT_EQ(dropDowns, 3);
}

TEST(IntFloatPicker, LayoutKeepsTheHeightAndFollowsUpDown)
{
    TIntFloatPicker picker;
    picker.show();
    EXPECT_EQ(picker.width(), 121);
    picker.resize(200, 50);
    EXPECT_EQ(picker.height(), 21);
    EXPECT_EQ(picker.Edit()->geometry(), QRect(1, 1, 180, 15));
    EXPECT_EQ(picker.UpButton()->geometry(), QRect(182, 0, 14, 8));
    EXPECT_EQ(picker.DownButton()->geometry(), QRect(182, 9, 14, 8));
    EXPECT_TRUE(picker.UpButton()->isVisible());

    picker.SetUpDown(false);
    EXPECT_EQ(picker.Edit()->width(), 200);
    EXPECT_FALSE(picker.UpButton()->isVisible());
    EXPECT_FALSE(picker.DownButton()->isVisible());
    picker.SetUpDown(true);
    EXPECT_EQ(picker.Edit()->width(), 180);
    EXPECT_TRUE(picker.DownButton()->isVisible());
}

TEST(IntFloatPicker, DisablingGreysTheEditAndButtonsOnly)
{
    TIntFloatPicker picker;
    picker.SetEnabled(false);
    EXPECT_FALSE(picker.Enabled());
    EXPECT_FALSE(picker.Edit()->isEnabled());
    EXPECT_FALSE(picker.UpButton()->isEnabled());
    EXPECT_FALSE(picker.DownButton()->isEnabled());
    EXPECT_TRUE(picker.isEnabled());
    picker.SetEnabled(true);
    EXPECT_TRUE(picker.Edit()->isEnabled());
    EXPECT_TRUE(picker.UpButton()->isEnabled());
}

TEST(IntFloatPicker, ForwardsSettingsToTheEdit)
{
    TIntFloatPicker picker;
    picker.SetMin(2);
    picker.SetMax(8);
    picker.SetKind(ifkFloat);
    picker.SetDecimals(1);
    EXPECT_EQ(picker.Edit()->Min(), 2);
    EXPECT_EQ(picker.Edit()->Max(), 8);
    EXPECT_EQ(picker.Edit()->Kind(), ifkFloat);
    EXPECT_EQ(picker.Decimals(), 1);
    EXPECT_EQ(picker.Edit()->text().toStdString(), "2.0");
    picker.SetInt(12);
    EXPECT_EQ(picker.GetInt(), 8);
}

TEST(IntFloatPicker, IsAComponentThatOwnsItsPartsAndGoesWithEitherOwner)
{
    // Owned by a component and placed on another widget: whichever goes first, the other forgets it.
    TComponent owner;
    auto window = std::make_unique<QWidget>();
    auto* picker = new TIntFloatPicker(&owner, window.get());
    ASSERT_EQ(owner.ComponentCount(), 1);
    EXPECT_EQ(owner.Components(0), picker);
    EXPECT_EQ(picker->ComponentCount(), 3); // the edit and the two buttons
    EXPECT_EQ(picker->Edit()->Owner(), picker);
    EXPECT_EQ(picker->UpButton()->ClassName(), "TTimerButton");
    window.reset();
    EXPECT_EQ(owner.ComponentCount(), 0);

    QWidget parent;
    auto* second = new TIntFloatPicker(&owner, &parent);
    QPointer<QWidget> alive(second);
    owner.DestroyComponents();
    EXPECT_TRUE(alive.isNull());
    EXPECT_TRUE(parent.children().isEmpty());
}

TEST(IntFloatPicker, ReadOnlyValueIsNeitherTypedNorStepped)
{
    TIntFloatPicker picker;
    picker.show();
    picker.SetInt(12);
    picker.SetEditReadOnly(true);
    int presses = 0;
    picker.SetOnKeyPress([&](QObject*, QChar&) { ++presses; });
    QTest::keyClicks(picker.Edit(), "-5");
    QTest::keyClick(picker.Edit(), Qt::Key_Backspace);
    QTest::keyClick(picker.Edit(), Qt::Key_Up);
    QTest::mouseClick(picker.UpButton(), Qt::LeftButton);
    picker.DownButtonClick(&picker);
    EXPECT_EQ(picker.Edit()->text().toStdString(), "12");
    EXPECT_EQ(presses, 3); // the handler still hears each character

    // A handler that lifts read-only (a data-aware picker starting its edit) lets the key act, on
    // the text as the handler left it.
    picker.SetOnKeyPress([&](QObject*, QChar&) {
        if (picker.EditReadOnly()) {
            picker.SetInt(40);
            picker.SetEditReadOnly(false);
        }
    });
    QTest::keyClick(picker.Edit(), Qt::Key_Minus);
    EXPECT_EQ(picker.Edit()->text().toStdString(), "-40");
    QTest::keyClick(picker.Edit(), Qt::Key_Up);
    EXPECT_EQ(picker.Edit()->text().toStdString(), "-39");
}

TEST(IntFloatPicker, ExitOnlyWhenTheFocusLeaves)
{
    QWidget window;
    auto* picker = new TIntFloatPicker(nullptr, &window);
    auto* other = new QLineEdit(&window);
    other->move(0, 30);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    std::vector<std::string> events;
    picker->SetOnExit([&](QObject* sender) {
        EXPECT_EQ(sender, picker);
        events.push_back("exit " + picker->Edit()->text().toStdString());
    });
    picker->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(picker->Edit()->hasFocus());
    picker->SetKind(ifkFloat); // normalising is not leaving
    QTest::mouseClick(picker->UpButton(), Qt::LeftButton);
    EXPECT_TRUE(events.empty());
    other->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(events, std::vector<std::string>{"exit 1.00"}); // after the edit's normalisation
}

// "#" for black, "." for transparent.
std::vector<std::string> Pixels(const QImage& image)
{
    std::vector<std::string> rows;
    for (int y = 0; y < image.height(); ++y) {
        std::string row;
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            row += c.alpha() == 0 ? '.' : (c == Qt::black ? '#' : '?');
        }
        rows.push_back(row);
    }
    return rows;
}

TEST(Glyphs, ArrowsAreSmallBlackTriangles)
{
    EXPECT_EQ(Pixels(LoadGlyph("UPARROW")),
              (std::vector<std::string>{"......", "..#...", ".###..", "#####.", "......"}));
    EXPECT_EQ(Pixels(LoadGlyph("DOWNARROW")),
              (std::vector<std::string>{"#####.", ".###..", "..#...", "......", "......"}));
    EXPECT_TRUE(LoadGlyph("LEFTARROW").isNull());
}

} // namespace

#include "platform/ui/UpDown.h"

#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>
#include <vector>

namespace {

struct Recorded
{
    TUpDown upDown;
    std::vector<std::pair<TUDBtnType, int>> clicks; // button and the position the handler read

    Recorded(int min, int max, int position)
    {
        upDown.SetMin(min);
        upDown.SetMax(max);
        upDown.SetPosition(position);
        QObject::connect(&upDown, &TUpDown::Click,
                         [this](TUDBtnType button) { clicks.emplace_back(button, upDown.Position()); });
    }

    QLineEdit* Edit() { return upDown.findChild<QLineEdit*>(); }
};

} // namespace

TEST(UpDown, StartsAtZeroInZeroToHundred)
{
    TUpDown upDown;
    EXPECT_EQ(upDown.Min(), 0);
    EXPECT_EQ(upDown.Max(), 100);
    EXPECT_EQ(upDown.Position(), 0);
}

TEST(UpDown, OnlyArrowStepsRaiseClickWithTheNewPosition)
{
    Recorded r(1, 32767, 10);
    r.upDown.SetPosition(20); // code: no handler
    EXPECT_TRUE(r.clicks.empty());

    r.upDown.stepBy(1);
    r.upDown.stepBy(-1);
    r.upDown.stepBy(-1);
    ASSERT_EQ(r.clicks.size(), 3u);
    EXPECT_EQ(r.clicks[0], std::make_pair(btNext, 21));
    EXPECT_EQ(r.clicks[1], std::make_pair(btPrev, 20));
    EXPECT_EQ(r.clicks[2], std::make_pair(btPrev, 19));

    // The arrow keys of the number box are arrow clicks too.
    r.upDown.show();
    QTest::keyClick(&r.upDown, Qt::Key_Up);
    ASSERT_EQ(r.clicks.size(), 4u);
    EXPECT_EQ(r.clicks[3], std::make_pair(btNext, 20));
}

TEST(UpDown, TypingChangesThePositionSilentlyAndTheNextClickStartsFromIt)
{
    Recorded r(1, 32767, 10);
    r.upDown.show();
    QLineEdit* edit = r.Edit();
    ASSERT_NE(edit, nullptr);
    edit->selectAll();
    QTest::keyClicks(edit, "250");
    EXPECT_EQ(r.upDown.Position(), 250);
    EXPECT_TRUE(r.clicks.empty());

    r.upDown.stepBy(1);
    ASSERT_EQ(r.clicks.size(), 1u);
    EXPECT_EQ(r.clicks[0], std::make_pair(btNext, 251));
}

TEST(UpDown, AStepThatCannotMoveRaisesNothingUnlessItWraps)
{
    Recorded r(-100, 100, 100);
    r.upDown.stepBy(1);
    EXPECT_TRUE(r.clicks.empty());
    EXPECT_EQ(r.upDown.Position(), 100);

    r.upDown.SetWrap(true);
    r.upDown.stepBy(1);
    ASSERT_EQ(r.clicks.size(), 1u);
    EXPECT_EQ(r.clicks[0], std::make_pair(btNext, -100));
}

TEST(UpDown, AReadOnlyNumberBoxStillSteps)
{
    Recorded r(1, 32767, 1);
    r.upDown.SetEditReadOnly(true);
    r.upDown.show();
    QTest::keyClicks(r.Edit(), "9");
    EXPECT_EQ(r.upDown.Position(), 1);
    r.upDown.stepBy(1);
    ASSERT_EQ(r.clicks.size(), 1u);
    EXPECT_EQ(r.clicks[0].second, 2);
}

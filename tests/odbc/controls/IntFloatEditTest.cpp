// The number edit: reading and normal form (integer and decimal, limits, text that is no number),
// the key filter, and normalisation on leaving the box or changing its settings.
#include "odbc/controls/ExtVCsIntFloatEdit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QTest>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct ReadCase
{
    TIntFloatKind kind;
    int min;
    int max;
    int decimals;
    const char* text;
    int asInt;
    double asFloat;
    const char* normal; // the text after leaving the box
};

class IntFloatEditRead : public ::testing::TestWithParam<ReadCase>
{
};

TEST_P(IntFloatEditRead, ReadsClampsAndNormalises)
{
    const ReadCase& c = GetParam();
    TIntFloatEdit edit;
    edit.SetMin(c.min);
    edit.SetMax(c.max);
    edit.SetDecimals(c.decimals);
    edit.SetKind(c.kind);
    edit.setText(QString::fromUtf8(c.text));
    EXPECT_EQ(edit.GetInt(), c.asInt);
    EXPECT_DOUBLE_EQ(edit.GetFloat(), c.asFloat);
    edit.DoExit();
    EXPECT_EQ(edit.text().toStdString(), c.normal);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IntFloatEditRead,
    ::testing::Values(
        ReadCase{ifkInt, 0, 10, 2, "15", 10, 10, "10"}, ReadCase{ifkInt, 0, 10, 2, "-3", 0, 0, "0"},
        ReadCase{ifkInt, 0, 0, 2, "-15", -15, -15, "-15"}, // equal limits: unbounded
        ReadCase{ifkInt, 0, 0, 2, "abc", 0, 0, "0"}, ReadCase{ifkInt, 5, 9, 2, "", 5, 5, "5"},
        ReadCase{ifkInt, 0, 0, 2, "99999999999", 0, 99999999999.0, "0"}, // beyond 32 bits: no integer
        ReadCase{ifkInt, 0, 0, 2, "1.5", 0, 1.5, "0"}, ReadCase{ifkFloat, 0, 0, 2, "1.5", 0, 1.5, "1.50"},
        ReadCase{ifkFloat, 0, 0, 2, "letters", 0, 0, "0.00"}, ReadCase{ifkFloat, 5, 10, 2, "x", 5, 5, "5.00"},
        ReadCase{ifkFloat, 0, 10, 2, "10.5", 0, 10, "10.00"},
        ReadCase{ifkFloat, 0, 0, 2, "1,5", 0, 0, "0.00"}, // only "." is a decimal point
        ReadCase{ifkFloat, 0, 0, 2, "nan", 0, 0, "0.00"}, ReadCase{ifkFloat, 0, 0, 2, "inf", 0, 0, "0.00"},
        ReadCase{ifkFloat, 0, 0, 0, "2.6", 0, 2.6, "3"}, ReadCase{ifkFloat, 0, 0, -1, "2.4", 0, 2.4, "2"},
        ReadCase{ifkFloat, 0, 0, 3, "-0.5", 0, -0.5, "-0.500"}, ReadCase{ifkInt, 0, 0, 2, "+7", 7, 7, "7"}));

TEST(IntFloatEdit, StartsAtZeroAndWritesValues)
{
    TIntFloatEdit edit;
    EXPECT_EQ(edit.text().toStdString(), "0");
    edit.SetInt(-42);
    EXPECT_EQ(edit.text().toStdString(), "-42");
    edit.SetFloat(3);
    EXPECT_EQ(edit.text().toStdString(), "3.00");
    edit.SetDecimals(0);
    edit.SetFloat(3);
    EXPECT_EQ(edit.text().toStdString(), "3");
}

TEST(IntFloatEdit, DecimalPointIgnoresTheLocale)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); // "," as decimal separator
    TIntFloatEdit edit;
    edit.SetKind(ifkFloat);
    edit.setText("1.5");
    const double value = edit.GetFloat();
    edit.SetFloat(2.25);
    const std::string written = edit.text().toStdString();
    QLocale::setDefault(before);
    EXPECT_DOUBLE_EQ(value, 1.5);
    EXPECT_EQ(written, "2.25");
}

struct KeyCase
{
    TIntFloatKind kind;
    const char* start;
    std::vector<int> keys; // Qt key codes, typed one after another
    const char* result;
};

class IntFloatEditKeys : public ::testing::TestWithParam<KeyCase>
{
};

TEST_P(IntFloatEditKeys, FiltersTypedCharacters)
{
    const KeyCase& c = GetParam();
    TIntFloatEdit edit;
    edit.SetKind(c.kind);
    edit.setText(QString::fromUtf8(c.start));
    for (int key : c.keys) {
        QTest::keyClick(&edit, static_cast<Qt::Key>(key), Qt::NoModifier);
    }
    EXPECT_EQ(edit.text().toStdString(), c.result);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IntFloatEditKeys,
    ::testing::Values(KeyCase{ifkInt, "12", {Qt::Key_Minus}, "-12"},
                      KeyCase{ifkInt, "12", {Qt::Key_Minus, Qt::Key_Minus}, "12"},
                      KeyCase{ifkInt, "", {Qt::Key_Minus, Qt::Key_5}, "-5"},     // typed normally when empty
                      KeyCase{ifkInt, "12", {Qt::Key_Minus, Qt::Key_3}, "-123"}, // caret at the end
                      KeyCase{ifkFloat, "", {Qt::Key_Period}, "0."},
                      KeyCase{ifkFloat, "", {Qt::Key_Period, Qt::Key_Period, Qt::Key_5}, "0.5"},
                      KeyCase{ifkFloat, "1", {Qt::Key_Period, Qt::Key_2}, "1.2"},
                      KeyCase{ifkInt, "", {Qt::Key_Period, Qt::Key_1}, "1"},
                      KeyCase{ifkInt, "1", {Qt::Key_A, Qt::Key_Space, Qt::Key_Plus, Qt::Key_E}, "1"},
                      KeyCase{ifkInt, "123", {Qt::Key_Backspace}, "12"},
                      KeyCase{
                          ifkInt, "7", {Qt::Key_Left, Qt::Key_9}, "97"})); // keys without a character pass

TEST(IntFloatEdit, KeysWithoutACharacterPassEvenWhenTheKeyboardGivesThemText)
{
    // X11 keyboards give Delete the text DEL and Escape ESC; neither is a typed character.
    TIntFloatEdit edit;
    edit.setText("123");
    edit.setCursorPosition(0);
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier, QString(QChar(0x7f)));
    QApplication::sendEvent(&edit, &del);
    EXPECT_EQ(edit.text().toStdString(), "23");
    std::vector<int> seen;
    edit.SetOnKeyPress([&](QObject*, QChar& key) { seen.push_back(key.unicode()); });
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QString(QChar(0x1b)));
    QApplication::sendEvent(&edit, &esc);
    EXPECT_TRUE(seen.empty());
}

TEST(IntFloatEdit, KeyPressEventSeesAllowedCharactersOnly)
{
    TIntFloatEdit edit;
    edit.setText("12");
    std::vector<int> seen;
    edit.SetOnKeyPress([&](QObject* sender, QChar& key) {
        EXPECT_EQ(sender, &edit);
        seen.push_back(key.unicode());
    });
    QTest::keyClick(&edit, Qt::Key_A);
    QTest::keyClick(&edit, Qt::Key_4);
    QTest::keyClick(&edit, Qt::Key_Minus);
    EXPECT_EQ(seen, (std::vector<int>{'4', 0})); // the sign toggle consumed its key
    EXPECT_EQ(edit.text().toStdString(), "-124");

    edit.SetOnKeyPress([](QObject*, QChar& key) {
        if (key == QChar(u'9'))
            key = QChar(u'1'); // a handler may replace the character
    });
    QTest::keyClick(&edit, Qt::Key_9);
    EXPECT_EQ(edit.text().toStdString(), "-1241");
}

TEST(IntFloatEdit, SettingsAndLeavingNormaliseAndRaiseExit)
{
    TIntFloatEdit edit;
    int exits = 0;
    edit.SetOnExit([&](QObject*) { ++exits; });
    edit.setText("15");
    edit.SetMax(10);
    EXPECT_EQ(edit.text().toStdString(), "10");
    EXPECT_EQ(exits, 1);
    edit.SetKind(ifkFloat);
    EXPECT_EQ(edit.text().toStdString(), "10.00");
    edit.SetDecimals(1);
    EXPECT_EQ(edit.text().toStdString(), "10.0");
    EXPECT_EQ(exits, 3);

    edit.setText("-4");
    QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason); // a context menu: still in the box
    QApplication::sendEvent(&edit, &popup);
    EXPECT_EQ(edit.text().toStdString(), "-4");
    QFocusEvent tab(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&edit, &tab);
    EXPECT_EQ(edit.text().toStdString(), "0.0");
    EXPECT_EQ(exits, 4);
}

} // namespace

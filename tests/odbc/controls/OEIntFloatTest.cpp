// The data-aware number editor on the in-memory dataset: following the record, starting an edit by
// typing, spinning and keys, writing back on leaving and on posting, Escape, refusing edits the
// record does not allow, failing writes, limits and the data source going away.
#include "odbc/controls/OEIntFloat.h"
#include "EditorRig.h"
#include "fakes/FakeUiServices.h"
#include "odbc/controls/ExtVCsIntFloatEdit.h"
#include "odbc/controls/ExtVCsTimerButton.h"
#include "platform/db/DatabaseError.h"

#include <QClipboard>
#include <QGuiApplication>

#include <climits>
#include <functional>

namespace {

std::string Shown(TOEIntFloat* editor)
{
    return editor->Edit()->text().toStdString();
}

TEST(OEIntFloat, FollowsTheRecordAsTheDatasetScrolls)
{
    EditorRig r;
    auto* qty = r.Add<TOEIntFloat>("qty");
    auto* price = r.Add<TOEIntFloat>("price", 30);
    price->SetKind(ifkFloat);
    auto* noField = r.Add<TOEIntFloat>("", 60);
    noField->SetInt(9);
    auto* unbound = new TOEIntFloat(&r.form, &r.form);
    unbound->SetInt(9);
    unbound->Reset();
    EXPECT_EQ(Shown(unbound), "0");
    EXPECT_EQ(qty->Field(), nullptr); // closed

    r.ds->Open();
    EXPECT_EQ(qty->Field(), r.Field("qty"));
    std::vector<std::string> seen;
    for (int row = 0; row < 3; ++row, r.ds->Next())
        seen.push_back(Shown(qty) + " " + Shown(price));
    EXPECT_EQ(seen, (std::vector<std::string>{"5 2.50", "-7 1234.13", "0 0.00"})); // null shows 0
    r.ds->Prior();
    EXPECT_EQ(Shown(qty), "-7");
    r.ds->First();
    EXPECT_EQ(Shown(qty), "5");
    EXPECT_EQ(Shown(noField), "0"); // an unknown or empty field name shows 0

    r.ds->Close();
    EXPECT_EQ(qty->Field(), nullptr);
    EXPECT_EQ(Shown(qty), "0");
    EXPECT_EQ(r.ds->State(), dsInactive);
}

TEST(OEIntFloat, TypingStartsAnEditAndLeavingWritesTheValueBack)
{
    EditorRig r;
    auto* qty = r.Add<TOEIntFloat>("qty");
    r.ds->Open();
    r.Show();
    qty->setFocus(Qt::TabFocusReason);
    QTest::keyClick(qty->Edit(), Qt::Key_Backspace);
    EXPECT_EQ(r.ds->State(), dsEdit);
    QTest::keyClicks(qty->Edit(), "42");
    EXPECT_EQ(Shown(qty), "42");
    EXPECT_EQ(r.Field("qty")->AsInteger(), 5); // not yet

    r.other->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(r.Field("qty")->AsInteger(), 42);
    EXPECT_EQ(r.ds->State(), dsEdit);
    r.ds->Post();
    EXPECT_EQ(r.Cell(1, 1).AsInteger(), 42);

    // The first key may be the sign: it acts on the value the record shows.
    qty->setFocus(Qt::TabFocusReason);
    QTest::keyClick(qty->Edit(), Qt::Key_Minus);
    EXPECT_EQ(Shown(qty), "-42");
    r.ds->Post(); // posting asks the editor for its value, without leaving it
    EXPECT_EQ(r.Cell(1, 1).AsInteger(), -42);
    EXPECT_TRUE(qty->Edit()->hasFocus());
}

TEST(OEIntFloat, SpinButtonsArrowsDeleteAndShiftInsertStartAnEdit)
{
    struct Case
    {
        const char* what;
        std::function<void(TOEIntFloat*)> act;
        TDataSetState state;
        int written; // qty after posting
    };
    const Case cases[] = {
        {"spin button", [](TOEIntFloat* e) { QTest::mouseClick(e->UpButton(), Qt::LeftButton); }, dsEdit, 6},
        {"up arrow", [](TOEIntFloat* e) { QTest::keyClick(e->Edit(), Qt::Key_Up); }, dsEdit, 6},
        {"down arrow", [](TOEIntFloat* e) { QTest::keyClick(e->Edit(), Qt::Key_Down); }, dsEdit, 4},
        {"delete",
         [](TOEIntFloat* e) {
             e->Edit()->setCursorPosition(0);
             QTest::keyClick(e->Edit(), Qt::Key_Delete);
         },
         dsEdit, 0},
        {"shift+insert (paste)",
         [](TOEIntFloat* e) {
             QGuiApplication::clipboard()->setText("3");
             QTest::keyClick(e->Edit(), Qt::Key_Insert, Qt::ShiftModifier);
         },
         dsEdit, 3},
        {"insert", [](TOEIntFloat* e) { QTest::keyClick(e->Edit(), Qt::Key_Insert); }, dsBrowse, 5},
    };
    for (const Case& c : cases) {
        EditorRig r;
        auto* qty = r.Add<TOEIntFloat>("qty");
        r.ds->Open();
        r.Show();
        qty->setFocus(Qt::TabFocusReason);
        c.act(qty);
        EXPECT_EQ(r.ds->State(), c.state) << c.what;
        if (r.ds->State() == dsEdit)
            r.ds->Post();
        EXPECT_EQ(r.Cell(1, 1).AsInteger(), c.written) << c.what;
    }
}

TEST(OEIntFloat, EscapeShowsTheStoredValueAgain)
{
    EditorRig r;
    auto* price = r.Add<TOEIntFloat>("price");
    price->SetKind(ifkFloat);
    r.ds->Open();
    r.Show();
    price->setFocus(Qt::TabFocusReason);
    QTest::keyClick(price->Edit(), Qt::Key_End);
    QTest::keyClicks(price->Edit(), "9");
    EXPECT_EQ(Shown(price), "2.509");
    QTest::keyClick(price->Edit(), Qt::Key_Escape);
    EXPECT_EQ(Shown(price), "2.50");
    EXPECT_EQ(r.ds->State(), dsEdit); // the record stays in edit mode, unchanged
    r.other->setFocus(Qt::TabFocusReason);
    r.ds->Post();
    EXPECT_DOUBLE_EQ(r.Cell(1, 2).AsFloat(), 2.5);
}

TEST(OEIntFloat, RecordsThatCannotBeEditedRefuseEveryChange)
{
    struct Case
    {
        const char* what;
        std::function<void(EditorRig&, TOEIntFloat*)> arrange;
    };
    const Case cases[] = {
        {"read-only field", [](EditorRig& r, TOEIntFloat*) { r.Field("qty")->SetReadOnly(true); }},
        {"read-only dataset",
         [](EditorRig& r, TOEIntFloat*) {
             r.ds->Close();
             r.ds->SetReadOnly(true);
             r.ds->Open();
         }},
        {"read-only editor", [](EditorRig&, TOEIntFloat* e) { e->SetReadOnly(true); }},
        {"source without auto edit", [](EditorRig& r, TOEIntFloat*) { r.source->SetAutoEdit(false); }},
    };
    for (const Case& c : cases) {
        EditorRig r;
        auto* qty = r.Add<TOEIntFloat>("qty");
        r.ds->Open();
        c.arrange(r, qty);
        r.Show();
        qty->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(qty->Edit(), "-9");
        QTest::keyClick(qty->Edit(), Qt::Key_Backspace);
        QTest::keyClick(qty->Edit(), Qt::Key_Up);
        QTest::keyClick(qty->Edit(), Qt::Key_Delete);
        QTest::mouseClick(qty->DownButton(), Qt::LeftButton);
        EXPECT_EQ(Shown(qty), "5") << c.what;
        EXPECT_EQ(r.ds->State(), dsBrowse) << c.what;
        r.other->setFocus(Qt::TabFocusReason); // leaving is not held up
        EXPECT_TRUE(r.other->hasFocus()) << c.what;
        EXPECT_EQ(r.Cell(1, 1).AsInteger(), 5) << c.what;
    }
}

TEST(OEIntFloat, AValueBeyondTheLimitsIsShownButNotWrittenUnlessEdited)
{
    // The picker normalises 5 to the limit 3 when the focus leaves; that is no edit of the record.
    EditorRig r;
    auto* qty = r.Add<TOEIntFloat>("qty");
    qty->SetMin(1);
    qty->SetMax(3);
    r.ds->Open();
    r.Show();
    qty->setFocus(Qt::TabFocusReason);
    r.other->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(Shown(qty), "3");
    EXPECT_TRUE(r.other->hasFocus());
    EXPECT_EQ(r.ds->State(), dsBrowse);
    EXPECT_EQ(r.Field("qty")->AsInteger(), 5);

    // Stepping past the integer range stays at its end.
    r.ds->Last();
    qty->SetMin(0);
    qty->SetMax(0);
    r.ds->Edit();
    r.Field("qty")->SetAsInteger(INT_MAX - 1);
    qty->setFocus(Qt::TabFocusReason);
    QTest::keyClick(qty->Edit(), Qt::Key_Up);
    QTest::keyClick(qty->Edit(), Qt::Key_Up);
    r.ds->Post();
    EXPECT_EQ(r.Cell(3, 1).AsInteger(), INT_MAX);
}

TEST(OEIntFloat, AWriteThatFailsOnLeavingKeepsTheFocus)
{
    EditorRig r;
    auto* qty = r.Add<TOEIntFloat>("qty");
    r.ds->Open();
    r.Field("qty")->SetOnValidate([](TField* f) {
        if (f->AsInteger() > 100)
            DatabaseError("too many");
    });
    r.Show();
    FakeUiServices ui;
    qty->setFocus(Qt::TabFocusReason);
    QTest::keyClick(qty->Edit(), Qt::Key_End);
    QTest::keyClicks(qty->Edit(), "00");
    r.other->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(qty->Edit()->hasFocus());
    EXPECT_TRUE(ui.messages.empty()); // swallowed: the focus says it
    EXPECT_EQ(r.Field("qty")->AsInteger(), 5);

    QTest::keyClick(qty->Edit(), Qt::Key_Backspace);
    r.other->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(r.other->hasFocus());
    EXPECT_EQ(r.Field("qty")->AsInteger(), 50);
}

TEST(OEIntFloat, LetsGoOfADataSourceThatIsDestroyed)
{
    EditorRig r;
    auto* qty = r.Add<TOEIntFloat>("qty");
    r.ds->Open();
    delete r.source; // on the same form
    EXPECT_EQ(qty->DataSource(), nullptr);
    EXPECT_EQ(qty->Field(), nullptr);

    // A source owned elsewhere is heard of through its removal notice.
    auto other = std::make_unique<TDataSource>();
    other->SetDataSet(r.ds);
    qty->SetDataSource(other.get());
    EXPECT_EQ(Shown(qty), "5");
    other.reset();
    EXPECT_EQ(qty->DataSource(), nullptr);
    r.ds->Next(); // nothing left to reach the editor
}

TEST(OEIntFloat, LoadedAtDesignTimeShowsTheField)
{
    EditorRig r;
    auto* qty = r.Add<TOEIntFloat>("qty");
    r.ds->Open();
    qty->SetInt(77);
    qty->Loaded(); // not designing: nothing shown again
    EXPECT_EQ(Shown(qty), "77");
    qty->SetDesigning(true);
    qty->Loaded();
    EXPECT_EQ(Shown(qty), "5");
}

} // namespace

// Takes pictures of the data-aware editors for checking them by eye:
//   editors_shot <output prefix>
// writes <prefix>-editors.png (number editors of both kinds and date-time editors of both kinds, one
// on an empty date, in the middle of an edit) and <prefix>-calendar.png (the dropped-down
// calendar). They show a row of the in-memory test dataset. Run it under Xvfb (see the README) or
// with QT_QPA_PLATFORM=offscreen.
#include "fakes/MemDataSet.h"
#include "odbc/controls/ExtVCsIntFloatEdit.h"
#include "odbc/controls/OEDateTime.h"
#include "odbc/controls/OEIntFloat.h"
#include "platform/core/DateTime.h"
#include "platform/db/DataSource.h"
#include "platform/ui/Form.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QFormLayout>
#include <QLabel>
#include <QTest>
#include <QToolButton>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output prefix>\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    const QString prefix = QString::fromLocal8Bit(argv[1]);

    TForm form;
    form.SetCaption("Data-aware editors");
    auto* ds = new MemDataSet(&form);
    ds->AddColumn("qty", ftInteger);
    ds->AddColumn("price", ftFloat);
    ds->AddColumn("day", ftDate);
    ds->AddColumn("at", ftTime);
    ds->AddColumn("due", ftDate);
    ds->AddRow({Variant(12), Variant(1234.5), Variant::Date(EncodeDate(2024, 2, 29)),
                Variant::Date(EncodeTime(13, 45, 10, 0)), Variant::Null()});
    auto* source = new TDataSource(&form);
    source->SetDataSet(ds);

    auto* layout = new QFormLayout(&form);
    const auto add = [&](auto* editor, const char* field, const char* label) {
        editor->SetDataSource(source);
        editor->SetDataField(field);
        layout->addRow(label, editor);
        return editor;
    };
    add(new TOEIntFloat(&form, &form), "qty", "qty (integer)");
    auto* price = new TOEIntFloat(&form, &form);
    price->SetKind(ifkFloat);
    add(price, "price", "price (float)");
    auto* day = add(new TOEDateTime(&form, &form), "day", "day (date)");
    auto* at = new TOEDateTime(&form, &form);
    at->SetKind(dtkTime);
    add(at, "at", "at (time)");
    add(new TOEDateTime(&form, &form), "due", "due (empty)");
    auto* state = new QLabel(&form);
    layout->addRow("dataset", state);
    ds->Open();

    form.resize(260, 180);
    form.show();
    form.activateWindow();
    (void)QTest::qWaitForWindowActive(&form);
    // An edit under way: a digit typed after the price, the dataset in edit mode.
    price->setFocus(Qt::TabFocusReason);
    QTest::keyClick(price->Edit(), Qt::Key_End);
    QTest::keyClicks(price->Edit(), "7");
    state->setText(ds->State() == dsEdit ? "editing" : "browsing");
    QApplication::processEvents();
    bool ok = form.grab().save(prefix + "-editors.png");

    QTest::mousePress(day->DropDownButton(), Qt::LeftButton);
    QTest::mouseRelease(day->DropDownButton(), Qt::LeftButton);
    QApplication::processEvents();
    ok = day->Calendar() != nullptr && day->Calendar()->grab().save(prefix + "-calendar.png") && ok;
    return ok ? 0 : 1;
}

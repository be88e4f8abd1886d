#pragma once
// A form for the data-aware editor tests: it owns an in-memory dataset of three rows, its data
// source and whatever editors a test puts on it, and has a line edit to take the focus away.
//   id Integer, qty Integer, price Float, day Date, at Time, stamp DateTime
#include "fakes/FakeClock.h"
#include "fakes/MemDataSet.h"
#include "platform/core/DateTime.h"
#include "platform/db/DataSource.h"
#include "platform/db/Field.h"
#include "platform/ui/Form.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <string>

inline TDateTime At(int y, int m, int d, int h = 0, int n = 0, int s = 0)
{
    return EncodeDate(y, m, d) + EncodeTime(h, n, s, 0);
}

inline std::string Text(TDateTime value)
{
    return FormatDateTime("yyyy-mm-dd hh:nn:ss", value);
}

struct EditorRig
{
    TForm form;
    MemDataSet* ds = new MemDataSet(&form);
    TDataSource* source = new TDataSource(&form);
    QLineEdit* other = new QLineEdit(&form);
    FakeClock clock; // 2025-12-09 12:00

    EditorRig()
    {
        ds->AddColumn("id", ftInteger);
        ds->AddColumn("qty", ftInteger);
        ds->AddColumn("price", ftFloat);
        ds->AddColumn("day", ftDate);
        ds->AddColumn("at", ftTime);
        ds->AddColumn("stamp", ftDateTime);
        ds->AddRow({Variant(1), Variant(5), Variant(2.5), Variant::Date(At(2024, 2, 29)),
                    Variant::Date(EncodeTime(13, 45, 10, 0)), Variant::Date(At(2024, 2, 29, 13, 45, 10))});
        ds->AddRow({Variant(2), Variant(-7), Variant(1234.125), Variant::Null(), Variant::Date(0.0),
                    Variant::Null()});
        ds->AddRow({Variant(3), Variant::Null(), Variant::Null(), Variant::Date(0.0), Variant::Null(),
                    Variant::Date(At(1999, 12, 31, 23, 59, 59))});
        source->SetDataSet(ds);
        other->move(0, 200);
        form.resize(300, 240);
    }

    // Puts the editor on the form, bound to the field; the dataset is opened by the caller.
    template <class Editor> Editor* Add(const std::string& field, int top = 0)
    {
        auto* editor = new Editor(&form, &form);
        editor->move(0, top);
        editor->SetDataSource(source);
        editor->SetDataField(field);
        return editor;
    }

    void Show()
    {
        form.show();
        form.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
    }

    TField* Field(const std::string& name) { return ds->FieldByName(name); }
    // The stored value of a row's column (1-based row, column by position).
    Variant Cell(int row, int column) { return ds->Cell(row - 1, column); }
};

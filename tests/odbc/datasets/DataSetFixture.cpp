// The dataset tests' fixture and helpers.
#include "DataSetFixture.h"

#include "odbc/statements/Hstmt.h"
#include "odbc/support/SqlHelpers.h"

#include <sql.h>

#include <cstdint>

void DataSetTest::SetUp()
{
    EachDatabase::SetUp();
    form = std::make_unique<Form>();
}

void DataSetTest::TearDown()
{
    form.reset();
    EachDatabase::TearDown();
}

void DataSetTest::Exec(const std::string& sql)
{
    const short rc = ExecSql(c, sql);
    ASSERT_TRUE(SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA) << sql << " gave " << rc;
}

TOEDataSet* DataSetTest::NewDataSet(const std::string& sql)
{
    auto* ds = new TOEDataSet(form.get());
    ds->SetHdbc(&c);
    if (!sql.empty())
        ds->SetSQL(sql);
    return ds;
}

std::string RowsAsText(THdbc& connection, const std::string& sql)
{
    THstmt s;
    s.SetHdbc(&connection);
    s.SetSQL(sql);
    s.Prepare();
    s.Execute();
    const int columns = s.GetColCount();
    std::string rows;
    while (s.FetchNext()) {
        if (!rows.empty())
            rows += "|";
        for (int col = 1; col <= columns; ++col) {
            if (col > 1)
                rows += " ";
            const auto n = static_cast<std::uint16_t>(col);
            rows += s.GetColNull(n) ? "-" : s.GetColString(n);
        }
    }
    return rows;
}

std::vector<int> IdsToEof(TDataSet& ds)
{
    std::vector<int> ids;
    while (!ds.Eof()) {
        ids.push_back(ds.FieldByName("id")->AsInteger());
        ds.Next();
    }
    return ids;
}

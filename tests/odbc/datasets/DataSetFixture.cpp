// The dataset tests' fixture and helpers.
#include "DataSetFixture.h"

#include "odbc/support/SqlHelpers.h"

#include <sql.h>

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

std::string DataSetTest::People(int count)
{
    const std::string table = NewTable("(id INTEGER PRIMARY KEY, name VARCHAR(10), amount DOUBLE PRECISION)");
    std::string values;
    for (int i = 1; i <= count; ++i) {
        if (!values.empty())
            values += ", ";
        values +=
            "(" + std::to_string(i) + ", 'n" + std::to_string(i) + "', " + std::to_string(i * 1.5) + ")";
    }
    if (count > 0)
        Exec("INSERT INTO " + table + " VALUES " + values);
    return table;
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

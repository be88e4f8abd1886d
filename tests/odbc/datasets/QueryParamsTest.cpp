// TOEQuery's parameters on real drivers: input and output parameters of a procedure call on
// PostgreSQL (by statement text and from the catalog), values longer than the default buffer, booleans,
// values of types bound as text, NULLs, midnight and the date zero, and a parameter whose type changes
// between executions.
#include "odbc/datasets/OEParams.h"
#include "odbc/datasets/OEQuery.h"
#include "odbc/statements/Hstmt.h"
#include "odbc/support/EachDatabase.h"
#include "odbc/support/SqlHelpers.h"
#include "platform/core/DateTime.h"
#include "platform/db/Field.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <string>

namespace {

class QueryParams : public EachDatabase
{
protected:
    void SetUp() override
    {
        EachDatabase::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        q.SetHdbc(&c);
    }
    void TearDown() override
    {
        q.Close();
        q.Hstmt().Terminate();
        EachDatabase::TearDown();
    }

    void SetText(const std::string& text)
    {
        q.SQL().Clear();
        q.SQL().Add(text);
    }

    TOEQuery q;
};

TEST_P(QueryParams, InputAndOutputParametersOfAProcedureCall)
{
    ZIRA_REQUIRE(Database() == TestDatabase::Postgres, "no procedures with output parameters here");
    const std::string proc = "zira_sum" + std::to_string(getpid());
    ASSERT_EQ(
        ExecSql(c, "CREATE FUNCTION " + proc +
                       "(a integer, INOUT b integer, OUT c varchar, OUT d date, OUT e timestamp) AS $$ BEGIN "
                       "b := a + b; c := 'sum ' || b; d := DATE '2024-02-29'; "
                       "e := TIMESTAMP '2024-02-29 13:14:15'; END $$ LANGUAGE plpgsql"),
        0);
    struct Drop
    {
        THdbc& c;
        std::string proc;
        ~Drop() { ExecSql(c, "DROP FUNCTION " + proc); }
    } drop{c, proc};

    // By statement text: the driver cannot describe a call's markers, so the caller says what they are.
    SetText("{call " + proc + "(:a, :b, :c, :d, :e)}");
    ASSERT_EQ(q.ParamCount(), 5);
    q.ParamByName("a")->SetAsInteger(5);
    q.ParamByName("b")->SetAsInteger(7);
    q.ParamByName("b")->SetParamType(ptInputOutput);
    q.ParamByName("c")->SetDataType(ftString);
    q.ParamByName("c")->SetParamType(ptOutput);
    q.ParamByName("d")->SetDataType(ftDate);
    q.ParamByName("d")->SetParamType(ptOutput);
    q.ParamByName("e")->SetDataType(ftDateTime);
    q.ParamByName("e")->SetParamType(ptOutput);
    q.ExecSQL();
    EXPECT_EQ(q.ParamByName("b")->AsInteger(), 12);
    EXPECT_EQ(q.ParamByName("c")->AsString(), "sum 12");
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd", q.ParamByName("d")->AsDateTime()), "2024-02-29");
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss", q.ParamByName("e")->AsDateTime()), "2024-02-29 13:14:15");

    // Again with other inputs: the bound buffers take the new values.
    q.ParamByName("a")->SetAsInteger(-1);
    q.ParamByName("b")->SetAsInteger(100);
    q.ExecSQL();
    EXPECT_EQ(q.ParamByName("b")->AsInteger(), 99);
    EXPECT_EQ(q.ParamByName("c")->AsString(), "sum 99");

    // From the catalog: names, types and directions as the procedure declares them.
    q.SetStoredProcName(proc);
    ASSERT_EQ(q.ParamCount(), 5);
    EXPECT_EQ(q.ParamByName("a")->ParamType(), ptInput);
    EXPECT_EQ(q.ParamByName("b")->ParamType(), ptInputOutput);
    EXPECT_EQ(q.ParamByName("c")->ParamType(), ptOutput);
    EXPECT_EQ(q.ParamByName("d")->DataType(), ftDate);
    q.ParamByName("a")->SetAsInteger(1);
    q.ParamByName("b")->SetAsInteger(2);
    q.ExecSQL();
    EXPECT_EQ(q.ParamByName("b")->AsInteger(), 3);
    EXPECT_EQ(q.ParamByName("c")->AsString(), "sum 3");
}

TEST_P(QueryParams, TheReturnValueOfAFunctionIsReadAfterTheCall)
{
    ZIRA_REQUIRE(Database() == TestDatabase::Postgres, "no functions with return values here");
    // psqlODBC lists a function's return value without a name; the call text must still name it,
    // with a name no parameter of the function has.
    const std::string suffix = std::to_string(getpid());
    const struct
    {
        std::string function, params, body, result;
        std::vector<std::pair<std::string, int>> inputs;
        int expected;
        int expectedForN100;
    } cases[] = {
        {"zira_twice" + suffix, "n integer", "SELECT 2 * n", "Result", {{"n", 21}}, 42, 200},
        {"zira_less" + suffix,
         "n integer, result integer",
         "SELECT n - result",
         "Result1",
         {{"n", 5}, {"result", 7}},
         -2,
         93},
    };
    for (const auto& fn : cases) {
        SCOPED_TRACE(fn.function);
        ASSERT_EQ(ExecSql(c, "CREATE FUNCTION " + fn.function + "(" + fn.params + ") RETURNS integer AS $$ " +
                                 fn.body + " $$ LANGUAGE sql"),
                  0);
        struct Drop
        {
            THdbc& c;
            std::string function;
            ~Drop() { ExecSql(c, "DROP FUNCTION " + function); }
        } drop{c, fn.function};
        q.SetStoredProcName(fn.function);
        ASSERT_EQ(q.ParamCount(), static_cast<int>(fn.inputs.size()) + 1);
        TParam* result = q.ParamByName(fn.result);
        EXPECT_EQ(result->ParamType(), ptResult);
        EXPECT_EQ(result->DataType(), ftInteger);
        for (const auto& [name, value] : fn.inputs) {
            EXPECT_EQ(q.ParamByName(name)->ParamType(), ptInput) << name;
            q.ParamByName(name)->SetAsInteger(value);
        }
        q.ExecSQL();
        EXPECT_EQ(result->AsInteger(), fn.expected);
        // Again with another input: the bound result buffer takes the new value.
        q.ParamByName("n")->SetAsInteger(100);
        q.ExecSQL();
        EXPECT_EQ(result->AsInteger(), fn.expectedForN100);
        q.Close();
    }
}

TEST_P(QueryParams, ValuesReachTheDatabaseWhole)
{
    ZIRA_REQUIRE(Writable(), "mdbtools opens Access files read-only and has no parameter markers");
    const std::string t = NewTable("(id INTEGER, s VARCHAR(2000), n INTEGER, f BOOLEAN, x VARCHAR(40))");
    SetText("INSERT INTO " + t + " (id, s, n, f, x) VALUES (:id, :s, :n, :f, :x)");
    const std::string longText(1500, 'q');
    const struct
    {
        int id;
        std::string s;
        bool f;
    } rows[] = {{1, longText, true}, {2, "short", false}, {3, longText + "z", true}};
    for (const auto& row : rows) {
        q.ParamByName("id")->SetAsInteger(row.id);
        q.ParamByName("s")->SetAsString(row.s);
        // An AutoInc's native data is a 32-bit integer; it is bound as text and must travel as digits.
        q.ParamByName("n")->SetDataType(ftAutoInc);
        q.ParamByName("n")->SetValue(Variant(std::int32_t{40 + row.id}));
        q.ParamByName("f")->SetAsBoolean(row.f);
        q.ParamByName("x")->Clear();
        q.ExecSQL();
    }
    for (const auto& row : rows) {
        const std::string where = " FROM " + t + " WHERE id = " + std::to_string(row.id);
        EXPECT_EQ(QueryLong(c, "SELECT LENGTH(s)" + where), static_cast<long>(row.s.size())) << row.id;
        EXPECT_EQ(QueryText(c, "SELECT SUBSTR(s, " + std::to_string(row.s.size() - 4) + ", 5)" + where),
                  row.s.substr(row.s.size() - 5))
            << row.id;
        EXPECT_EQ(QueryLong(c, "SELECT n" + where), 40 + row.id) << row.id;
        EXPECT_EQ(QueryLong(c, "SELECT COUNT(*)" + where + " AND x IS NULL"), 1) << row.id;
        EXPECT_EQ(QueryLong(c, "SELECT COUNT(*)" + where + (row.f ? " AND f" : " AND NOT f")), 1) << row.id;
    }
}

TEST_P(QueryParams, AParameterWhoseTypeChangesIsBoundAgain)
{
    ZIRA_REQUIRE(Writable(), "mdbtools has no parameter markers");
    const std::string t = NewTable("(id INTEGER, v VARCHAR(400))");
    SetText("INSERT INTO " + t + " (id, v) VALUES (:id, :v)");
    q.ParamByName("id")->SetAsInteger(1);
    q.ParamByName("v")->SetAsString("text");
    q.ExecSQL();
    q.ParamByName("id")->SetAsInteger(2);
    q.ParamByName("v")->SetAsFloat(2.5);
    q.ExecSQL();
    q.ParamByName("id")->SetAsInteger(3);
    q.ParamByName("v")->SetAsString(std::string(300, 'w'));
    q.ExecSQL();
    EXPECT_EQ(QueryText(c, "SELECT v FROM " + t + " WHERE id = 1"), "text");
    EXPECT_EQ(std::stod(QueryText(c, "SELECT v FROM " + t + " WHERE id = 2")), 2.5);
    EXPECT_EQ(QueryLong(c, "SELECT LENGTH(v) FROM " + t + " WHERE id = 3"), 300);
}

TEST_P(QueryParams, MidnightAndTheDateZeroAreSentAsThemselves)
{
    ZIRA_REQUIRE(Writable(), "mdbtools opens Access files read-only and has no parameter markers");
    const std::string t = NewTable("(id INTEGER, d DATE, tm TIME, ts TIMESTAMP)");
    SetText("INSERT INTO " + t + " (id, d, tm, ts) VALUES (:id, :d, :tm, :ts)");
    const double day = EncodeDate(2024, 2, 29);
    const double ten = EncodeTime(10, 0, 0, 0);
    // The second row follows a row of other values through the same bound buffers.
    const struct
    {
        int id;
        double date, time;
        const char *d, *tm, *ts;
    } rows[] = {{1, day, ten, "2024-02-29", "10:00:00", "2024-02-29 10:00:00"},
                {2, 0, 0, "1899-12-30", "00:00:00", "1899-12-30 00:00:00"}};
    for (const auto& row : rows) {
        q.ParamByName("id")->SetAsInteger(row.id);
        q.ParamByName("d")->SetAsDate(row.date);
        q.ParamByName("tm")->SetAsTime(row.time);
        q.ParamByName("ts")->SetAsDateTime(row.date + row.time);
        q.ExecSQL();
    }
    for (const auto& row : rows) {
        const std::string where = " FROM " + t + " WHERE id = " + std::to_string(row.id);
        EXPECT_EQ(QueryText(c, "SELECT d" + where), row.d) << row.id;
        EXPECT_EQ(QueryText(c, "SELECT tm" + where), row.tm) << row.id;
        EXPECT_EQ(QueryText(c, "SELECT ts" + where).substr(0, 19), row.ts) << row.id;
    }
}

ZIRA_ON_EACH_DATABASE(QueryParams);

TEST(OEParams, BufferSizes)
{
    TOEParams params;
    params.CreateOEDef("s10", false, ftString, 0, 10);
    params.CreateOEDef("b8", false, ftBytes, 0, 8);
    params.CreateOEDef("other", false, ftInteger, 0, 10);
    const struct
    {
        const char* name;
        TFieldType type;
        std::size_t size;
    } cases[] = {
        {"x", ftString, 256},  {"S10", ftString, 11}, {"other", ftString, 256}, {"x", ftBytes, 256},
        {"b8", ftBytes, 8},    {"x", ftBlob, 0},      {"x", ftMemo, 0},         {"x", ftUnknown, 4},
        {"x", ftInteger, 4},   {"x", ftSmallint, 2},  {"x", ftBoolean, 1},      {"x", ftFloat, 8},
        {"x", ftLargeint, 8},  {"x", ftDate, 6},      {"x", ftTime, 6},         {"x", ftDateTime, 16},
        {"x", ftAutoInc, 256}, // bound as text
    };
    for (const auto& c : cases)
        EXPECT_EQ(params.OEParamSize(c.name, c.type), c.size) << c.name << " " << FieldTypeName(c.type);

    EXPECT_EQ(params.CreateOEParam("s10", ftString).Buffer.size(), 11u);
    EXPECT_EQ(params.CreateOEParam("long", ftString, 1001).Buffer.size(), 1001u) << "sized to the value";
    EXPECT_NE(params.CreateOEParam("m", ftMemo).Stream, nullptr);
    EXPECT_EQ(params.OEParam(" LONG ")->Index, 1);
    params.FreeOEParam(0);
    EXPECT_EQ(params.OEParam("s10"), nullptr);
    EXPECT_EQ(params.GetDefSize("S10"), 10);
    params.RemoveOEDef("s10");
    EXPECT_EQ(params.GetDefSize("s10"), 0);
    EXPECT_EQ(params.GetDefDataType("b8"), ftBytes);
}

TEST(OEParams, BuffersFollowTheParameters)
{
    TOEParams params;
    int unbinds = 0;
    const auto unbind = [&] { ++unbinds; };
    params.CreateParam(ftString, "a", ptInput)->SetAsString("x");
    params.CreateParam(ftInteger, "b", ptInput)->SetAsInteger(4);
    params.CreateOEParams(unbind);
    ASSERT_EQ(params.OEParamCount(), 2);
    EXPECT_GT(unbinds, 0);

    unbinds = 0;
    params.CreateOEParams(unbind);
    EXPECT_EQ(unbinds, 0) << "nothing changed: the bound buffers stay";

    params.ParamByName("a")->SetAsString(std::string(600, 'y'));
    params.CreateOEParams(unbind);
    EXPECT_GT(unbinds, 0) << "a longer value needs a larger buffer";
    EXPECT_GE(params.OEParam("a")->Buffer.size(), 601u);

    unbinds = 0;
    params.ParamByName("b")->SetAsFloat(1.5);
    params.RemoveParam(params.ParamByName("a"));
    params.CreateOEParams(unbind);
    EXPECT_GT(unbinds, 0);
    ASSERT_EQ(params.OEParamCount(), 1);
    EXPECT_EQ(params.OEParam(0)->DataType, ftFloat);

    params.WriteOEParamsData(unbind);
    double value = 0;
    std::memcpy(&value, params.OEParam("b")->Buffer.data(), sizeof value);
    EXPECT_EQ(value, 1.5);

    params.CreateParam(ftBoolean, "t", ptInput)->SetAsBoolean(true);
    params.CreateOEParams(unbind);
    params.WriteOEParamsData(unbind);
    ASSERT_EQ(params.OEParam("t")->Buffer.size(), 1u);
    EXPECT_EQ(params.OEParam("t")->Buffer[0], 1);
}

} // namespace

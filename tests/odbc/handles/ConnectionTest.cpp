// THenv and THdbc against real drivers (SQLite3, mdbtools on DataBase.mdb, PostgreSQL when the test
// script started a cluster) and, for call selection, the scripted table passing calls through.
#include "odbc/handles/Henv.h"
#include "odbc/support/EachDatabase.h"
#include "odbc/support/OdbcTestConfig.h"
#include "odbc/support/ScriptedOdbc.h"
#include "odbc/support/SqlHelpers.h"
#include "platform/core/StringUtils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace {

TStringList Lines(std::initializer_list<std::string> lines)
{
    TStringList list;
    for (const std::string& s : lines)
        list.Add(s);
    return list;
}

// A connection that terminates statements: registers in the connection's children like one.
class FakeStatement : public THbase
{
public:
    explicit FakeStatement(TComponent* owner) : THbase(owner) {}
    ~FakeStatement() override
    {
        if (hdbc_ != nullptr)
            hdbc_->UnregisterChild(this);
    }
    void Attach(THdbc& c)
    {
        hdbc_ = &c;
        c.RegisterChild(this);
    }
    bool Terminate() override
    {
        ++terminated;
        if (hdbc_ != nullptr)
            hdbc_->Children().RemChild(this);
        return THbase::Terminate();
    }
    void Notification(TComponent* component, TOperation operation) override
    {
        THbase::Notification(component, operation);
        if (operation == opRemove && component == hdbc_) {
            hdbc_ = nullptr;
            ++told;
        }
    }
    void DiagnosticHandle(std::int16_t& type, void*& handle) const override
    {
        type = SQL_HANDLE_STMT;
        handle = nullptr;
    }
    void ResolveLostConnection() override {}

    int terminated = 0;
    int told = 0;

protected:
    void Forget() { hdbc_ = nullptr; }

private:
    THdbc* hdbc_ = nullptr;
};

} // namespace

TEST(ConnectString, PartsInOrderEachEndedBySemicolon)
{
    struct Case
    {
        const char* name;
        std::string dsn, uid, pwd, driver;
        std::vector<std::string> attributes;
        std::string expected;
    };
    const Case cases[] = {
        {"dsn, login and a line", "MyDsn", "u", "", "", {"DBQ=x.mdb"}, "DSN=MyDsn;UID=u;DBQ=x.mdb;"},
        {"all parts", "D", "U", "P", "SQLite3", {"a=1", "b=2"}, "DSN=D;UID=U;PWD=P;DRIVER=SQLite3;a=1;b=2;"},
        {"lines as written",
         "",
         "",
         "",
         "",
         {"DRIVER=Microsoft Access Driver (*.mdb)", "DefaultDir=/p/"},
         "DRIVER=Microsoft Access Driver (*.mdb);DefaultDir=/p/;"},
        {"empty", "", "", "", "", {}, ""},
        {"password with semicolon is braced", "", "u", "a;DRIVER=evil", "", {}, "UID=u;PWD={a;DRIVER=evil};"},
        {"braces doubled inside", "", "", "p}w{", "", {}, "PWD={p}}w{};"},
        {"user and dsn braced", "d;x", "u}", "", "", {}, "DSN={d;x};UID={u}}};"},
        {"driver braced", "", "", "", "x;y", {}, "DRIVER={x;y};"},
        {"a braced driver passes as it is", "", "", "", "{SQLite3}", {}, "DRIVER={SQLite3};"},
        {"one braced value with doubled braces passes", "", "", "{a}}b;c}", "", {}, "PWD={a}}b;c};"},
        {"braces that close before the end are braced", "", "", "{a}b}", "", {}, "PWD={{a}}b}}};"},
        {"a brace never closed is braced", "", "", "{a}}", "", {}, "PWD={{a}}}}};"},
    };
    for (const Case& k : cases) {
        THdbc c;
        c.SetDataSource(k.dsn);
        c.SetUserName(k.uid);
        c.SetPassword(k.pwd);
        c.SetDriver(k.driver);
        TStringList lines;
        for (const std::string& l : k.attributes)
            lines.Add(l);
        c.SetAttributes(lines);
        EXPECT_EQ(c.BuildConnectString(), k.expected) << k.name;
    }
}

TEST(Connection, DefaultsAndVersion)
{
    THdbc c;
    EXPECT_FALSE(c.Connected());
    EXPECT_FALSE(c.Initialized()) << "no handle until first use";
    EXPECT_EQ(c.IsolationLevel(), 2u);
    EXPECT_EQ(c.CursorLib(), 2u);
    EXPECT_EQ(c.InfoPrompt(), 0);
    c.SetVersion("1.0");
    EXPECT_EQ(c.GetVersion(), "5.02");
    EXPECT_THROW(
        try { c.GetFunction(0); } catch (const RIDIZOrurori& e) {
            EXPECT_STREQ(e.what(), "Cannot return information for more than one function at a time.");
            throw;
        },
        RIDIZOrurori);
    EXPECT_THROW(c.GetFunction(999), RIDIZOrurori);
}

TEST(Connection, SqlConnectOnlyForAPlainDataSourceLogin)
{
    ScriptedOdbc script;
    THdbc c;
    c.SetDataSource(OdbcTest::kSqliteDsn);
    c.Connect();
    EXPECT_TRUE(c.Connected());
    EXPECT_EQ(script.calls["SQLConnect"], 1);
    EXPECT_EQ(script.calls["SQLDriverConnect"], 0);
    c.SetConnected(true); // connects once
    EXPECT_EQ(script.calls["SQLConnect"], 1);
    c.Disconnect();
    c.SetConnected(false); // nothing on a closed connection
    EXPECT_EQ(script.calls["SQLDisconnect"], 1);

    // One attribute line, a driver or a prompt mode: SQLDriverConnect with the built string.
    c.SetAttributes(Lines({"Timeout=1000"}));
    c.Connect();
    EXPECT_EQ(script.calls["SQLDriverConnect"], 1);
    c.Disconnect();
    c.SetAttributes(TStringList());
    c.SetInfoPrompt(1); // SQL_DRIVER_COMPLETE: the DSN says it all, no dialog needed
    c.Connect();
    EXPECT_EQ(script.calls["SQLDriverConnect"], 2);
    EXPECT_EQ(script.calls["SQLConnect"], 1);
}

TEST(Connection, SqliteDsnLessAndByDsnWithInfo)
{
    THdbc byDriver;
    UseNewSqlite(byDriver);
    byDriver.Connect();
    EXPECT_TRUE(byDriver.Connected());
    EXPECT_EQ(byDriver.GetInfoString(SQL_DBMS_NAME), "SQLite");
    const std::string driverName = byDriver.GetInfoString(SQL_DRIVER_NAME);
    EXPECT_NE(driverName.find("sqlite3odbc"), std::string::npos) << driverName;
    EXPECT_TRUE(IsDriver(byDriver, {"dBase;odbcjt32.dll", "sqlite;" + UpperCase(driverName)}));
    EXPECT_FALSE(IsDriver(byDriver, {"SQLite", driverName}));
    EXPECT_GT(byDriver.GetInfoSmallint(SQL_MAX_DRIVER_CONNECTIONS) + 1, 0);
    EXPECT_EQ(byDriver.GetInfoString(65000), "") << "an unknown info type reads as empty, quietly";

    THdbc byDsn;
    byDsn.SetDataSource(OdbcTest::kSqliteDsn);
    byDsn.Connect();
    EXPECT_EQ(byDsn.GetInfoString(SQL_DBMS_NAME), "SQLite");
    EXPECT_EQ(ExecSql(byDsn, "CREATE TABLE IF NOT EXISTS t(x)"), SQL_SUCCESS);
}

TEST(Connection, MissingDsnRaisesWithTheDriverManagersRecords)
{
    THdbc c;
    c.SetDataSource("ZiraNoSuchDsn");
    try {
        c.Connect();
        FAIL() << "connected to a DSN that does not exist";
    } catch (const EODBC& e) {
        EXPECT_EQ(e.State(), "IM002") << e.Message();
        EXPECT_EQ(e.Owner(), &c);
    }
    EXPECT_FALSE(c.Connected());
    EXPECT_TRUE(c.Initialized()) << "stays allocated";
}

// The application's start-up lines, on the program folder's DataBase.mdb.
TEST(Connection, AccessDatabaseWithTheStartUpAttributes)
{
    const std::string folder = OdbcTest::DistFolder();
    ASSERT_TRUE(std::filesystem::exists(folder + "DataBase.mdb")) << folder;
    THdbc c;
    c.SetAttributes(Lines({"DRIVER=Microsoft Access Driver (*.mdb)", "DefaultDir=" + folder,
                           "DBQ=" + folder + "DataBase.mdb"}));
    c.Connect();
    ASSERT_TRUE(c.Connected());
    EXPECT_EQ(QueryText(c, "SELECT di_cvalue FROM dictionary WHERE di_dfid = 7 AND di_mnemonic = 'M'"), "男");
    c.Disconnect();
    EXPECT_FALSE(c.Connected());
}

TEST(Connection, MissingAccessFileRaisesWithoutRecordsAndStaysClosed)
{
    // mdbtools fails SQLDriverConnect with no diagnostic record at all.
    THdbc c;
    c.SetAttributes(Lines({"DRIVER=Microsoft Access Driver (*.mdb)", "DBQ=/nonexistent/zira/DataBase.mdb"}));
    try {
        c.Connect();
        FAIL() << "connected to a missing file";
    } catch (const EODBC& e) {
        EXPECT_EQ(e.Errors().back().Message, "Unable to Retrieve ODBC Error");
    }
    EXPECT_FALSE(c.Connected());
}

// Transactions, written once and run on each database that is here.
class Transactions : public EachDatabase
{
};

TEST_P(Transactions, CommitKeepsAndRollbackDiscards)
{
    ZIRA_REQUIRE(Writable(), "mdbtools opens Access files read-only");
    const std::string table = NewTable("(x INTEGER)");
    const auto rows = [&] { return QueryLong(c, "SELECT COUNT(*) FROM " + table); };
    c.StartTransact();
    ASSERT_EQ(ExecSql(c, "INSERT INTO " + table + " VALUES (1)"), SQL_SUCCESS);
    c.Rollback();
    EXPECT_EQ(rows(), 0);
    ASSERT_EQ(ExecSql(c, "INSERT INTO " + table + " VALUES (2)"), SQL_SUCCESS);
    c.Commit();
    EXPECT_EQ(rows(), 1);
    ASSERT_EQ(ExecSql(c, "INSERT INTO " + table + " VALUES (3)"), SQL_SUCCESS);
    c.EndTransact(); // commits, autocommit back on
    ASSERT_EQ(ExecSql(c, "INSERT INTO " + table + " VALUES (4)"), SQL_SUCCESS);
    c.Rollback(); // nothing open: the row stays
    EXPECT_EQ(rows(), 3);
}

ZIRA_ON_EACH_DATABASE(Transactions);

TEST(Connection, PostgresConnectsAndItsFailureCarriesTheServersRecords)
{
    const std::string cs = OdbcTest::PostgresConnectString();
    if (cs.empty())
        GTEST_SKIP() << "no PostgreSQL cluster (ZIRA_PG_SOCKET/ZIRA_PG_PORT unset; ./test starts one)";
    THdbc c;
    c.SetAttributes(Lines({cs.substr(0, cs.size() - 1)}));
    c.Connect();
    EXPECT_EQ(c.GetInfoString(SQL_DBMS_NAME), "PostgreSQL");
    c.Disconnect();
    c.SetAttributes(Lines({cs + "Database=zira_no_such_db"}));
    try {
        c.Connect();
        FAIL() << "connected to a database that does not exist";
    } catch (const EODBC& e) {
        EXPECT_GE(e.Count(), 1);
        EXPECT_EQ(e.State().substr(0, 2), "08") << e.Message();
    }
    EXPECT_FALSE(c.Connected());
}

TEST(Connection, DisconnectAndDestructionEndTheStatements)
{
    TComponent otherOwner;
    auto c = std::make_unique<THdbc>();
    UseNewSqlite(*c);
    c->Connect();
    auto* stmt = new FakeStatement(&otherOwner);
    stmt->Attach(*c);
    c->Disconnect();
    EXPECT_EQ(stmt->terminated, 1);
    EXPECT_EQ(c->Children().Count(), 0);

    stmt->Attach(*c);
    c.reset();
    EXPECT_EQ(stmt->terminated, 2);
    EXPECT_EQ(stmt->told, 1) << "a statement on another owner hears that its connection went";
}

TEST(Connection, ADestroyedStatementLeavesTheList)
{
    // Even one that forgets to unregister: the connection hears that it goes.
    class Forgetful : public FakeStatement
    {
    public:
        using FakeStatement::FakeStatement;
        void Detach() { Forget(); }
    };
    THdbc c;
    UseNewSqlite(c);
    c.Connect();
    {
        TComponent owner;
        auto* stmt = new Forgetful(&owner);
        stmt->Attach(c);
        stmt->Detach();
        EXPECT_EQ(c.Children().Count(), 1);
    }
    EXPECT_EQ(c.Children().Count(), 0);
    c.Disconnect(); // would terminate a freed statement if it were still listed
}

TEST(Connection, ChangingPoolingEndsEveryConnection)
{
    THdbc a, b;
    UseNewSqlite(a);
    UseNewSqlite(b);
    a.Connect();
    b.Connect();
    const TConnectionPooling before = a.GetConnectionPooling();
    b.SetConnectionPooling(before == cpOff ? cpOnePerDriver : cpOff);
    EXPECT_FALSE(a.Connected());
    EXPECT_FALSE(a.Initialized());
    EXPECT_EQ(a.GetConnectionPooling(), b.GetConnectionPooling()) << "the setting belongs to the environment";
    a.Connect();
    EXPECT_TRUE(a.Connected());
    a.SetConnectionPooling(cpDefault);
    EXPECT_FALSE(a.Connected());
}

TEST(Connection, EventsAroundConnectAndDisconnect)
{
    THdbc c;
    UseNewSqlite(c);
    std::string trail;
    c.SetBeforeConnect([&](THdbc* s) { trail += s == &c && !s->Connected() ? "bc " : "? "; });
    c.SetAfterConnect([&](THdbc* s) { trail += s->Connected() ? "ac " : "? "; });
    c.SetBeforeDisconnect([&](THdbc* s) { trail += s->Connected() ? "bd " : "? "; });
    c.SetAfterDisconnect([&](THdbc* s) { trail += !s->Connected() ? "ad" : "?"; });
    c.SetConnected(true);
    c.SetConnected(false);
    EXPECT_EQ(trail, "bc ac bd ad");
}

TEST(Connection, SqliteDriverHasDescribeParam)
{
    THdbc c;
    UseNewSqlite(c);
    c.Connect();
    EXPECT_TRUE(c.GetFunction(SQL_API_SQLDESCRIBEPARAM));
    EXPECT_FALSE(c.Core());
    c.SetCore(true);
    EXPECT_TRUE(c.Core());
    c.SetLoginTimeOut(5);
    EXPECT_TRUE(c.Connected());
}

TEST(Connection, DisconnectWithAnOpenTransactionRaisesAndStaysConnected)
{
    THdbc c;
    UseNewSqlite(c);
    c.Connect();
    ASSERT_EQ(ExecSql(c, "CREATE TABLE t (x INTEGER)"), SQL_SUCCESS);
    c.StartTransact();
    ASSERT_EQ(ExecSql(c, "INSERT INTO t VALUES (1)"), SQL_SUCCESS);
    try {
        c.Disconnect();
        FAIL() << "disconnected with a transaction open";
    } catch (const EODBC& e) {
        EXPECT_EQ(e.State(), "25000") << e.Message();
    }
    EXPECT_TRUE(c.Connected()) << "a failed disconnect is not reported as closed";
    c.Rollback();
    c.Disconnect();
    EXPECT_FALSE(c.Connected());
}

// unixODBC answers SQL_ATTR_ODBC_CURSORS itself with a full SQLULEN (8 bytes here); a 4-byte read
// buffer overwrote the stack and crashed optimised builds at the first connect. The answer is
// written here by instrumented code, so the sanitizer sees any overflow.
TEST(Connection, CursorLibraryReadTakesAFullLengthAnswer)
{
    static int reads = 0;
    static SQLULEN written = 0;
    reads = 0;
    Oci::DriverManager table = Oci::LoadedDriverManager();
    table.SQLGetConnectAttr = [](SQLHDBC, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER,
                                 SQLINTEGER*) -> SQLRETURN {
        if (attribute != SQL_ATTR_ODBC_CURSORS)
            return SQL_ERROR;
        ++reads;
        const SQLULEN current = SQL_CUR_USE_DRIVER;
        std::memcpy(value, &current, sizeof current);
        return SQL_SUCCESS;
    };
    static decltype(table.SQLSetConnectAttr) setAttr;
    setAttr = table.SQLSetConnectAttr;
    table.SQLSetConnectAttr = [](SQLHDBC dbc, SQLINTEGER attribute, SQLPOINTER value,
                                 SQLINTEGER length) -> SQLRETURN {
        if (attribute == SQL_ATTR_ODBC_CURSORS)
            written = reinterpret_cast<SQLULEN>(value);
        return setAttr(dbc, attribute, value, length);
    };
    Oci::ScopedDriverManager dm(table);

    THdbc hdbc(nullptr);
    hdbc.SetCursorLib(SQL_CUR_USE_ODBC);
    EXPECT_TRUE(hdbc.Init());
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(written, SQLULEN{SQL_CUR_USE_ODBC}) << "the setting differs from the answer, so it is set";
}

// unixODBC answers the driver-handle info types itself with a full SQLULEN, whatever buffer length
// it is given. The answer is written here by instrumented code, so the sanitizer sees any overflow.
TEST(Connection, NumericInfoReadsTakeAFullLengthAnswer)
{
    static SQLSMALLINT lengthGiven = 0;
    Oci::DriverManager table = Oci::LoadedDriverManager();
    table.SQLGetInfo = [](SQLHDBC, SQLUSMALLINT infoType, SQLPOINTER value, SQLSMALLINT length,
                          SQLSMALLINT*) -> SQLRETURN {
        lengthGiven = length;
        if (infoType != SQL_DRIVER_HDBC)
            return SQL_ERROR;
        const SQLULEN handle = 0x1122334455667788;
        std::memcpy(value, &handle, sizeof handle);
        return SQL_SUCCESS;
    };
    Oci::ScopedDriverManager dm(table);

    THdbc hdbc(nullptr);
    EXPECT_EQ(hdbc.GetInfoInteger(SQL_DRIVER_HDBC), 0x55667788);
    EXPECT_EQ(lengthGiven, 4);
    EXPECT_EQ(hdbc.GetInfoSmallint(SQL_DRIVER_HDBC), 0x7788);
    EXPECT_EQ(lengthGiven, 2);
    EXPECT_EQ(hdbc.GetInfoInteger(SQL_MAX_DRIVER_CONNECTIONS), 0) << "a failed read gives 0";
}

// The driver manager here sets connection pooling on the null environment handle but answers a
// read there with SQL_INVALID_HANDLE; the setting must still reach it.
TEST(Connection, PoolingIsSetWhenTheDriverManagerCannotReadIt)
{
    static std::vector<SQLULEN> set;
    set.clear();
    static decltype(Oci::DriverManager::SQLSetEnvAttr) realSet;
    Oci::DriverManager table = Oci::LoadedDriverManager();
    realSet = table.SQLSetEnvAttr;
    table.SQLGetEnvAttr = [](SQLHENV env, SQLINTEGER attribute, SQLPOINTER, SQLINTEGER,
                             SQLINTEGER*) -> SQLRETURN {
        return env == nullptr && attribute == SQL_ATTR_CONNECTION_POOLING ? SQL_INVALID_HANDLE : SQL_ERROR;
    };
    table.SQLSetEnvAttr = [](SQLHENV env, SQLINTEGER attribute, SQLPOINTER value,
                             SQLINTEGER length) -> SQLRETURN {
        if (env != nullptr)
            return realSet(env, attribute, value, length);
        set.push_back(reinterpret_cast<SQLULEN>(value));
        return SQL_SUCCESS;
    };
    Oci::ScopedDriverManager dm(table);

    const TConnectionPooling before = GlobalHenv().ConnectionPooling();
    GlobalHenv().SetConnectionPooling(cpOnePerDriver);
    EXPECT_EQ(set, std::vector<SQLULEN>{SQL_CP_ONE_PER_DRIVER});
    GlobalHenv().SetConnectionPooling(before);
}

TEST(Connection, ABracedDriverNameConnects)
{
    THdbc c;
    c.SetDriver("{SQLite3}");
    c.SetAttributes(Lines({"Database=" + OdbcTest::NewSqliteFile()}));
    c.Connect();
    EXPECT_TRUE(c.Connected());
    EXPECT_EQ(c.GetInfoString(SQL_DBMS_NAME), "SQLite");
}

// Destroyed or dropped with a transaction open, a connection must still end: the SQLite driver
// refuses the disconnect (25000), and a handle kept open holds the database locked for the rest of
// the process.
TEST(Connection, EndingAConnectionWithAnOpenTransactionRollsBackAndFreesIt)
{
    for (const bool destroy : {true, false}) {
        SCOPED_TRACE(destroy ? "destroyed" : "dropped by the lost-connection rule");
        ScriptedOdbc script;
        const std::string file = OdbcTest::NewSqliteFile();
        auto c = std::make_unique<THdbc>();
        c->SetDriver("SQLite3");
        c->SetAttributes(Lines({"Database=" + file}));
        c->Connect();
        ASSERT_EQ(ExecSql(*c, "CREATE TABLE t (x INTEGER)"), SQL_SUCCESS);
        c->StartTransact();
        ASSERT_EQ(ExecSql(*c, "INSERT INTO t VALUES (1)"), SQL_SUCCESS);
        ASSERT_TRUE(std::filesystem::exists(file + "-journal"));
        if (destroy)
            c.reset();
        else
            c->Resolve();
        EXPECT_EQ(script.liveHandles[SQL_HANDLE_DBC], 0);
        EXPECT_FALSE(std::filesystem::exists(file + "-journal"));

        THdbc other;
        other.SetDriver("SQLite3");
        other.SetAttributes(Lines({"Database=" + file, "Timeout=200"}));
        other.Connect();
        EXPECT_EQ(ExecSql(other, "INSERT INTO t VALUES (2)"), SQL_SUCCESS) << "the database is not locked";
        EXPECT_EQ(QueryLong(other, "SELECT COUNT(*) FROM t"), 1) << "the open transaction was rolled back";
        if (c) {
            c->Connect();
            EXPECT_EQ(QueryLong(*c, "SELECT COUNT(*) FROM t"), 1) << "and the next use starts afresh";
        }
    }
}

TEST(Connection, LongInfoTextsAreReadWhole)
{
    static const std::string longText = std::string(300, 'k') + std::string(700, 'w');
    Oci::DriverManager table = Oci::LoadedDriverManager();
    // As drivers do: as much as fits, the full length, and success with information when cut.
    table.SQLGetInfo = [](SQLHDBC, SQLUSMALLINT infoType, SQLPOINTER value, SQLSMALLINT length,
                          SQLSMALLINT* written) -> SQLRETURN {
        if (infoType != SQL_KEYWORDS)
            return SQL_ERROR;
        const std::size_t fits = std::min<std::size_t>(longText.size(), static_cast<std::size_t>(length) - 1);
        std::memcpy(value, longText.data(), fits);
        static_cast<char*>(value)[fits] = 0;
        *written = static_cast<SQLSMALLINT>(longText.size());
        return fits < longText.size() ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
    };
    Oci::ScopedDriverManager dm(table);
    THdbc c;
    EXPECT_EQ(c.GetInfoString(SQL_KEYWORDS), longText);
    EXPECT_EQ(c.GetInfoString(SQL_DBMS_NAME), "") << "a failed read stays empty";
}

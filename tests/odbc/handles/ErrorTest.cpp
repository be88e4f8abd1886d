// The error collection through the scripted function table: records, synthetic records, the
// lost-connection rule and the OnException veto.
#include "odbc/handles/Henv.h"
#include "odbc/support/ScriptedOdbc.h"
#include "odbc/support/SqlHelpers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <exception>
#include <future>
#include <memory>
#include <string>
#include <thread>

namespace {

// Every test leaves the shared environment's error object as it found it.
class ErrorCollection : public ::testing::Test
{
protected:
    void TearDown() override
    {
        TODBCError& e = GlobalHenv().Error();
        e.SetOnException({});
        e.SetOnConnectionFailure({});
        e.SetResolveOnFailure(true);
        e.SetSuccessOnlyMode(false);
    }

    // A connected SQLite connection.
    std::unique_ptr<THdbc> Connected()
    {
        auto c = std::make_unique<THdbc>();
        UseNewSqlite(*c);
        c->Connect();
        return c;
    }

    // The EODBC a failing Commit raises on c.
    static EODBC CommitError(THdbc& c)
    {
        try {
            c.Commit();
        } catch (const EODBC& e) {
            return e;
        }
        ADD_FAILURE() << "Commit did not raise";
        return EODBC(nullptr, 0, {});
    }
};

} // namespace

TEST_F(ErrorCollection, EveryDiagnosticRecordInOrder)
{
    auto c = Connected();
    ScriptedOdbc script;
    script.endTran = SQL_ERROR;
    script.scriptDiagnostics = true;
    script.records = {{"HY000", 7, "first"}, {"42S02", -3, "second"}, {"01004", 0, "third"}};

    EODBC e = CommitError(*c);
    ASSERT_EQ(e.Count(), 3);
    EXPECT_EQ(e.Message(), "first");
    EXPECT_STREQ(e.what(), "first");
    EXPECT_EQ(e.RetCode(), SQL_ERROR);
    EXPECT_EQ(e.Owner(), c.get());
    EXPECT_EQ(c->RetCode(), SQL_ERROR);
    EXPECT_EQ(script.lastDiagType, SQL_HANDLE_DBC);
    EXPECT_EQ(script.lastDiagHandle, c->GetHandle());

    EXPECT_EQ(e.Cursor(), 0);
    EXPECT_EQ(e.State(), "HY000");
    EXPECT_EQ(e.Native(), 7);
    EXPECT_TRUE(e.Next());
    EXPECT_EQ(e.State(), "42S02");
    EXPECT_EQ(e.Native(), -3);
    EXPECT_TRUE(e.Next());
    EXPECT_EQ(e.Message(), "third");
    // Past the last record: false, then false without moving; Prev comes back to the last.
    EXPECT_FALSE(e.Next());
    EXPECT_EQ(e.Cursor(), 3);
    EXPECT_THROW(e.State(), EListError);
    EXPECT_FALSE(e.Next());
    EXPECT_EQ(e.Cursor(), 3);
    EXPECT_TRUE(e.Prev());
    EXPECT_EQ(e.Message(), "third");
    e.First();
    EXPECT_EQ(e.Message(), "first");
    e.Last();
    EXPECT_EQ(e.Cursor(), 2);
}

TEST_F(ErrorCollection, SyntheticRecordsForCodesThatCarryNone)
{
    struct Case
    {
        const char* name;
        SQLRETURN rc;
        const char* message;
    };
    const Case cases[] = {
        {"no data", SQL_NO_DATA, "No Data Found"},
        {"invalid handle", SQL_INVALID_HANDLE, "Invalid ODBC Handle"},
        {"still executing", SQL_STILL_EXECUTING, "ODBC Return Code 2"},
        {"need data", SQL_NEED_DATA, "ODBC Return Code 99"},
    };
    auto c = Connected();
    ScriptedOdbc script;
    for (const Case& k : cases) {
        script.endTran = k.rc;
        EODBC e = CommitError(*c);
        ASSERT_EQ(e.Count(), 1) << k.name;
        EXPECT_EQ(e.State(), "") << k.name;
        EXPECT_EQ(e.Native(), 0) << k.name;
        EXPECT_EQ(e.Message(), k.message) << k.name;
        EXPECT_EQ(e.RetCode(), k.rc) << k.name;
    }
    EXPECT_EQ(script.calls["SQLGetDiagRec"], 0) << "codes without records never read diagnostics";
}

TEST_F(ErrorCollection, UnreadableDiagnosticsGiveTheFallbackRecord)
{
    auto c = Connected();
    ScriptedOdbc script;
    script.endTran = SQL_ERROR;
    script.scriptDiagnostics = true;

    // No record at all.
    EODBC none = CommitError(*c);
    ASSERT_EQ(none.Count(), 1);
    EXPECT_EQ(none.Message(), "Unable to Retrieve ODBC Error");

    // The read of record 2 fails: record 1 is kept and the fallback appended.
    script.records = {{"HY000", 1, "kept"}, {"HY001", 2, "lost"}};
    script.failDiagAt = 2;
    EODBC broken = CommitError(*c);
    ASSERT_EQ(broken.Count(), 2);
    EXPECT_EQ(broken.Errors()[0].Message, "kept");
    EXPECT_EQ(broken.Errors()[1].Message, "Unable to Retrieve ODBC Error");
    EXPECT_EQ(broken.Errors()[1].State, "");
}

TEST_F(ErrorCollection, CutMessageCountsUnlessSuccessOnlyMode)
{
    auto c = Connected();
    ScriptedOdbc script;
    script.endTran = SQL_ERROR;
    script.scriptDiagnostics = true;
    script.records = {{"HY000", 1, "cut"}};
    script.recordRc = SQL_SUCCESS_WITH_INFO;

    EXPECT_EQ(CommitError(*c).Count(), 1);
    GlobalHenv().Error().SetSuccessOnlyMode(true);
    EODBC e = CommitError(*c);
    ASSERT_EQ(e.Count(), 1);
    EXPECT_EQ(e.Message(), "Unable to Retrieve ODBC Error");
}

TEST_F(ErrorCollection, AMessageLongerThanTheFirstBufferIsReadWhole)
{
    auto c = Connected();
    ScriptedOdbc script;
    script.endTran = SQL_ERROR;
    script.scriptDiagnostics = true;
    const std::string longText(700, 'x');
    script.records = {{"HY000", 1, longText + "end"}, {"HY001", 2, "short"}};
    EODBC e = CommitError(*c);
    ASSERT_EQ(e.Count(), 2);
    EXPECT_EQ(e.Errors()[0].Message, longText + "end");
    EXPECT_EQ(e.Errors()[1].Message, "short");
}

TEST_F(ErrorCollection, SuccessWithInfoRaisesOnlyInSuccessOnlyMode)
{
    auto c = Connected();
    ScriptedOdbc script;
    script.endTran = SQL_SUCCESS_WITH_INFO;
    EXPECT_NO_THROW(c->Commit());
    GlobalHenv().Error().SetSuccessOnlyMode(true);
    script.scriptDiagnostics = true;
    script.records = {{"01000", 0, "info"}};
    EXPECT_EQ(CommitError(*c).Message(), "info");
}

TEST_F(ErrorCollection, OnExceptionVetoLetsTheOperationGoOn)
{
    auto c = Connected();
    ScriptedOdbc script;
    script.endTran = SQL_ERROR;
    script.scriptDiagnostics = true;
    script.records = {{"HY000", 1, "vetoed"}};
    THbase* sender = nullptr;
    std::string seen;
    GlobalHenv().Error().SetOnException([&](THbase* s, EODBC& e) {
        sender = s;
        seen = e.Message();
        return false;
    });
    EXPECT_NO_THROW(c->Commit());
    EXPECT_EQ(sender, c.get());
    EXPECT_EQ(seen, "vetoed");
    EXPECT_EQ(c->RetCode(), SQL_ERROR);

    GlobalHenv().Error().SetOnException([](THbase*, EODBC&) { return true; });
    EXPECT_THROW(c->Commit(), EODBC);
}

TEST_F(ErrorCollection, LostConnectionIsDroppedWhenTheExceptionGoes)
{
    auto c = Connected();
    ScriptedOdbc script;
    script.endTran = SQL_ERROR;
    script.scriptDiagnostics = true;
    script.records = {{"HY000", 0, "first"}, {"08S01", 0, "Communication link failure"}};
    int failures = 0;
    THbase* failed = nullptr;
    GlobalHenv().Error().SetOnConnectionFailure([&](THbase* s) {
        ++failures;
        failed = s;
    });
    {
        EODBC e = CommitError(*c);
        EODBC copy = e; // copies share one rule
        EXPECT_TRUE(c->Connected()) << "the rule waits until the exception is destroyed";
    }
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(failed, c.get());
    EXPECT_FALSE(c->Connected());
    EXPECT_FALSE(c->Initialized());
    EXPECT_FALSE(GlobalHenv().Error().SuccessOnlyMode());
    EXPECT_FALSE(GlobalHenv().ErrorsSuppressed());

    // The next operation starts from scratch.
    script.endTran.reset();
    script.scriptDiagnostics = false;
    EXPECT_NO_THROW(c->Commit());
    EXPECT_TRUE(c->Connected());
}

TEST_F(ErrorCollection, TheStatesThatMeanALostConnection)
{
    // Class 08, and the states PostgreSQL's server gives (through psqlODBC) for a session it ended.
    const struct
    {
        const char* state;
        bool lost;
    } cases[] = {{"08S01", true}, {"08003", true},  {"57P01", true},  {"57P02", true}, {"57P05", true},
                 {"25P03", true}, {"57014", false}, {"HY000", false}, {"40001", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.state);
        auto connection = Connected();
        ScriptedOdbc script;
        script.endTran = SQL_ERROR;
        script.scriptDiagnostics = true;
        script.records = {{c.state, 0, "scripted"}};
        {
            const EODBC e = CommitError(*connection);
            EXPECT_EQ(e.ConnectionLost(), c.lost);
        }
        EXPECT_EQ(connection->Connected(), !c.lost);
    }
}

TEST_F(ErrorCollection, WithoutResolveOnFailureOnlyTheEventRuns)
{
    auto c = Connected();
    ScriptedOdbc script;
    script.endTran = SQL_ERROR;
    script.scriptDiagnostics = true;
    script.records = {{"08003", 0, "Connection not open"}};
    int failures = 0;
    GlobalHenv().Error().SetResolveOnFailure(false);
    GlobalHenv().Error().SetOnConnectionFailure([&](THbase*) { ++failures; });
    {
        EODBC e = CommitError(*c);
    }
    EXPECT_EQ(failures, 1);
    EXPECT_TRUE(c->Connected());
}

TEST_F(ErrorCollection, LostConnectionRuleNeverTouchesAFreedOwnerAndNeverThrows)
{
    auto c = Connected();
    ScriptedOdbc script;
    script.endTran = SQL_ERROR;
    script.scriptDiagnostics = true;
    script.records = {{"08S01", 0, "gone"}};
    std::exception_ptr kept;
    try {
        c->Commit();
    } catch (...) {
        kept = std::current_exception();
    }
    ASSERT_TRUE(kept);
    c.reset(); // the owner goes while the exception lives on
    THbase* failed = reinterpret_cast<THbase*>(1);
    GlobalHenv().Error().SetOnConnectionFailure([&](THbase* s) {
        failed = s;
        throw std::runtime_error("handler failure");
    });
    EXPECT_NO_THROW(kept = nullptr);
    EXPECT_EQ(failed, nullptr);
}

TEST_F(ErrorCollection, FailedConnectionAllocationReadsTheEnvironmentsRecords)
{
    GlobalHenv(); // allocated before the script counts
    ScriptedOdbc script;
    script.allocDbc = SQL_ERROR;
    script.scriptDiagnostics = true;
    script.records = {{"HY001", 0, "Memory allocation error"}};
    THdbc c;
    UseNewSqlite(c);
    try {
        c.Connect();
        FAIL() << "no exception";
    } catch (const EODBC& e) {
        EXPECT_EQ(e.Message(), "Memory allocation error");
    }
    EXPECT_EQ(script.calls["SQLAllocHandle"], 1) << "never allocates again to read diagnostics";
    EXPECT_EQ(script.lastDiagType, SQL_HANDLE_ENV);
    EXPECT_EQ(script.lastDiagHandle, GlobalHenv().Handle());
    EXPECT_FALSE(c.Initialized());
    EXPECT_FALSE(GlobalHenv().Children().Contains(&c));
}

TEST_F(ErrorCollection, FailedEnvironmentAllocationRaisesFromItsConstructor)
{
    THenv& shared = GlobalHenv();
    ScriptedOdbc script;
    script.allocEnv = SQL_ERROR;
    EXPECT_THROW(THenv own(nullptr), EODBC);
    EXPECT_EQ(&GlobalHenv(), &shared) << "no second shared environment";
}

TEST_F(ErrorCollection, ConnectionFailureWithoutRecordsRaisesAndStaysClosed)
{
    ScriptedOdbc script;
    script.driverConnect = SQL_ERROR;
    script.scriptDiagnostics = true; // no records
    THdbc c;
    UseNewSqlite(c);
    try {
        c.Connect();
        FAIL() << "no exception";
    } catch (const EODBC& e) {
        EXPECT_EQ(e.Message(), "Unable to Retrieve ODBC Error");
    }
    EXPECT_FALSE(c.Connected());

    // Even a vetoed failure never counts as connected.
    GlobalHenv().Error().SetOnException([](THbase*, EODBC&) { return false; });
    c.Connect();
    EXPECT_FALSE(c.Connected());
}

TEST_F(ErrorCollection, DestructorSuppressesErrorsAndRestoresTheFlag)
{
    ScriptedOdbc script;
    {
        auto c = Connected();
        script.disconnect = SQL_ERROR;
        script.freeDbc = SQL_ERROR;
        EXPECT_NO_THROW(c.reset());
    }
    EXPECT_FALSE(GlobalHenv().ErrorsSuppressed());
    // A later failure is reported, not swallowed.
    script.disconnect.reset();
    script.freeDbc.reset();
    auto c = Connected();
    script.endTran = SQL_ERROR;
    EXPECT_THROW(c->Commit(), EODBC);
}

TEST_F(ErrorCollection, DisplayAndDetailGoThroughTheirHooks)
{
    std::string shown, summary;
    int records = 0;
    EODBC::SetDisplayHook([&](const std::string& m) { shown = m; });
    EODBC::SetDetailHook([&](const std::string& s, EODBC& e) {
        summary = s;
        records = e.Count();
    });
    EODBC e(nullptr, SQL_ERROR, {{"HY000", 1, "one"}, {"HY001", 2, "two"}});
    e.Next();
    e.Display();
    e.Detail("Summary");
    EODBC::SetDisplayHook({});
    EODBC::SetDetailHook({});
    EXPECT_EQ(shown, "two");
    EXPECT_EQ(summary, "Summary");
    EXPECT_EQ(records, 2);
}

TEST_F(ErrorCollection, AChildLeavesTheEnvironmentItJoined)
{
    // With an environment per thread, a connection allocated on one thread and terminated on
    // another must leave the list of the environment it joined, not the terminating thread's.
    ThreadedHenv = true;
    std::unique_ptr<THdbc> c;
    bool stillListed = true;
    std::promise<void> allocated, terminated;
    std::thread worker([&] {
        c = std::make_unique<THdbc>();
        c->Init();
        THenv& joined = GlobalHenv();
        allocated.set_value();
        terminated.get_future().wait();
        stillListed = joined.Children().Contains(c.get());
        ClearHenv();
    });
    allocated.get_future().wait();
    c->Terminate();
    terminated.set_value();
    worker.join();
    ClearHenv();
    ThreadedHenv = false;
    EXPECT_FALSE(stillListed);
    EXPECT_FALSE(c->Initialized());
    c.reset();
}

TEST_F(ErrorCollection, EndingAThreadsEnvironmentEndsItsConnectionsWithoutANewOne)
{
    ThreadedHenv = true;
    bool connectedAfter = true;
    bool environmentAfter = true;
    std::thread worker([&] {
        THdbc c;
        UseNewSqlite(c);
        c.Connect();
        c.StartTransact();
        ExecSql(c, "CREATE TABLE t (x)"); // an open transaction makes the disconnect fail
        ClearHenv();
        connectedAfter = c.Connected();
        environmentAfter = CurrentHenv() != nullptr;
    });
    worker.join();
    ThreadedHenv = false;
    EXPECT_FALSE(connectedAfter);
    EXPECT_FALSE(environmentAfter) << "terminating the connections must not create another environment";
}

TEST_F(ErrorCollection, AnEnvironmentThatRefusesOdbc3FreesItsHandle)
{
    GlobalHenv(); // allocated before the script counts
    ScriptedOdbc script;
    script.returns["SQLSetEnvAttr"] = {SQL_ERROR, SQL_ERROR, SQL_ERROR, SQL_ERROR, SQL_ERROR, SQL_ERROR};
    for (int i = 0; i < 3; ++i)
        EXPECT_THROW(THenv own(nullptr), EODBC);
    EXPECT_EQ(script.liveHandles[SQL_HANDLE_ENV], 0) << "a constructor that raises frees what it allocated";

    // The same through GlobalHenv with an environment per thread: three failed first calls, then one
    // that works and is ended with the thread's environment.
    ThreadedHenv = true;
    int failed = 0;
    std::thread worker([&] {
        for (int i = 0; i < 3; ++i) {
            try {
                GlobalHenv();
            } catch (const EODBC&) {
                ++failed;
            }
        }
        GlobalHenv();
        ClearHenv();
    });
    worker.join();
    ThreadedHenv = false;
    EXPECT_EQ(failed, 3);
    EXPECT_EQ(script.calls["SQLAllocHandle"], 7);
    EXPECT_EQ(script.liveHandles[SQL_HANDLE_ENV], 0);
}

TEST_F(ErrorCollection, AHandleTheDriverManagerDoesNotFreeIsKept)
{
    ScriptedOdbc script;
    auto c = Connected();
    void* handle = c->GetHandle();
    script.returns["SQLFreeHandle"] = {SQL_ERROR};
    EXPECT_THROW(c->Terminate(), EODBC);
    EXPECT_TRUE(c->Initialized());
    EXPECT_EQ(c->GetHandle(), handle);
    EXPECT_TRUE(GlobalHenv().Children().Contains(c.get())) << "still the environment's to end";
    EXPECT_EQ(script.liveHandles[SQL_HANDLE_DBC], 1);

    EXPECT_TRUE(c->Terminate()) << "the next try frees it";
    EXPECT_FALSE(c->Initialized());
    EXPECT_FALSE(GlobalHenv().Children().Contains(c.get()));
    EXPECT_EQ(script.liveHandles[SQL_HANDLE_DBC], 0);
}

TEST_F(ErrorCollection, AVetoedLostConnectionWaitsUntilTheFailingOperationHasEnded)
{
    ScriptedOdbc script;
    auto c = Connected();
    std::string trail;
    c->SetBeforeDisconnect([&](THdbc*) { trail += "before "; });
    c->SetAfterDisconnect([&](THdbc*) { trail += "after "; });
    GlobalHenv().Error().SetOnConnectionFailure(
        [&](THbase* s) { trail += s == c.get() ? "failure " : "? "; });
    std::vector<std::string> vetoed;
    GlobalHenv().Error().SetOnException([&](THbase*, EODBC& e) {
        vetoed.push_back(e.Message());
        return false;
    });
    script.scriptDiagnostics = true;
    script.records = {{"08S01", 0, "Communication link failure"}};

    // The disconnect fails with a lost connection; dropping the connection must not run the
    // disconnect again inside itself.
    script.disconnect = SQL_ERROR;
    c->Disconnect();
    EXPECT_EQ(trail, "before after failure ");
    EXPECT_FALSE(c->Initialized()) << "dropped once the disconnect had ended";
    EXPECT_EQ(script.liveHandles[SQL_HANDLE_DBC], 0);

    // A commit failing inside EndTransact: the connection stays for the rest of EndTransact, whose
    // next call then reaches a live handle instead of a freed one.
    script.disconnect.reset();
    script.scriptDiagnostics = false;
    trail.clear();
    vetoed.clear();
    c->Connect();
    script.endTran = SQL_ERROR;
    script.scriptDiagnostics = true;
    c->EndTransact();
    EXPECT_EQ(vetoed, std::vector<std::string>{"Communication link failure"});
    EXPECT_EQ(trail, "before after failure ");
    EXPECT_FALSE(c->Initialized());
}

TEST_F(ErrorCollection, ADriverThatNeverStopsGivingRecordsIsCut)
{
    static int reads = 0;
    reads = 0;
    Oci::DriverManager table = Oci::LoadedDriverManager();
    table.SQLEndTran = [](SQLSMALLINT, SQLHANDLE, SQLSMALLINT) -> SQLRETURN { return SQL_ERROR; };
    table.SQLGetDiagRec = [](SQLSMALLINT, SQLHANDLE, SQLSMALLINT, SQLCHAR* state, SQLINTEGER* native,
                             SQLCHAR* message, SQLSMALLINT, SQLSMALLINT* length) -> SQLRETURN {
        // Whatever the record number; a guard ends it only so that a failing test does not hang.
        if (++reads > 100000)
            return SQL_NO_DATA;
        std::strcpy(reinterpret_cast<char*>(state), "HY000");
        *native = 0;
        std::strcpy(reinterpret_cast<char*>(message), "again");
        *length = 5;
        return SQL_SUCCESS;
    };
    auto c = Connected();
    Oci::ScopedDriverManager dm(table);
    EODBC e = CommitError(*c);
    EXPECT_EQ(e.Count(), 1001);
    EXPECT_EQ(e.Errors().front().Message, "again");
    EXPECT_EQ(e.Errors().back().Message, "Unable to Retrieve ODBC Error");
    EXPECT_EQ(reads, 1000);
}

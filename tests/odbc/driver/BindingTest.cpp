// Loading of the driver manager and installer by name. Each case runs in a fresh process (death-test
// style "threadsafe" re-runs the binary), because a library once loaded stays loaded.
#include "odbc/handles/Hdbc.h"
#include "odbc/support/ErrorOf.h"
#include "odbc/support/OdbcTestConfig.h"
#include "odbc/support/ScriptedOdbc.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class Binding : public ::testing::Test
{
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

// Runs body in a child process; the child exits 0 when body returned true.
#define EXPECT_IN_FRESH_PROCESS(body)                                                                        \
    EXPECT_EXIT(std::_Exit((body) ? 0 : 1), ::testing::ExitedWithCode(0), "")

} // namespace

TEST_F(Binding, EachLibraryLoadsOnlyWhenOneOfItsWrappersIsCalled)
{
    EXPECT_IN_FRESH_PROCESS([] {
        if (Oci::Odbc32Loaded() || Oci::OdbcCp32Loaded())
            return false;
        Oci::SQLValidDSN("x"); // installer only
        if (!Oci::OdbcCp32Loaded() || Oci::Odbc32Loaded())
            return false;
        SQLHANDLE env = nullptr;
        if (Oci::SQLAllocHandle(SQL_HANDLE_ENV, nullptr, &env) != SQL_SUCCESS || !Oci::Odbc32Loaded())
            return false;
        return Oci::SQLFreeHandle(SQL_HANDLE_ENV, env) == SQL_SUCCESS;
    }());
}

TEST_F(Binding, FailedLoadRaisesAndIsTriedAgainNextTime)
{
    EXPECT_IN_FRESH_PROCESS([] {
        Oci::SetLibraryFileNames("libzira-no-such-odbc.so.2", "libzira-no-such-odbcinst.so.2");
        SQLHANDLE env = nullptr;
        if (ErrorOf([&] { Oci::SQLAllocHandle(SQL_HANDLE_ENV, nullptr, &env); }) !=
            "Error Loading Library: ODBC32.DLL")
            return false;
        if (ErrorOf([] { Oci::SQLValidDSN("x"); }) != "Error Loading Library: ODBCCP32.DLL")
            return false;
        if (Oci::Odbc32Loaded() || Oci::OdbcCp32Loaded())
            return false;
        // The library becomes available: the next call loads it.
        Oci::SetLibraryFileNames("", "");
        if (Oci::SQLAllocHandle(SQL_HANDLE_ENV, nullptr, &env) != SQL_SUCCESS)
            return false;
        Oci::SQLFreeHandle(SQL_HANDLE_ENV, env);
        return Oci::Odbc32Loaded() && !Oci::OdbcCp32Loaded();
    }());
}

TEST_F(Binding, AFailedLoadOfTheDriverManagerSaysWhichFileWasTriedAndWhy)
{
    // The message stays the library's own; a second record names the file and the loader's reason.
    // Nothing is kept of the failure: once the library can be loaded, the next connection works.
    EXPECT_IN_FRESH_PROCESS([] {
        Oci::SetLibraryFileNames("libzira-no-such-odbc.so.2", "");
        bool reported = false;
        try {
            THdbc c;
            c.Connect();
        } catch (const EODBC& e) {
            reported = std::string(e.what()) == "Error Loading Library: ODBC32.DLL" && e.Count() == 2 &&
                       e.Errors()[0].Message == "Error Loading Library: ODBC32.DLL" &&
                       e.Errors()[1].Message.find("libzira-no-such-odbc.so.2") != std::string::npos &&
                       e.Errors()[1].Message.find("cannot open shared object file") != std::string::npos;
        } catch (...) {
        }
        Oci::SetLibraryFileNames("", "");
        THdbc d;
        return reported && d.Init();
    }());
}

TEST_F(Binding, DriverManagerWorksWithoutInstaller)
{
    EXPECT_IN_FRESH_PROCESS([] {
        Oci::SetLibraryFileNames("", "libzira-no-such-odbcinst.so.2");
        SQLHANDLE env = nullptr;
        const bool dmWorks = Oci::SQLAllocHandle(SQL_HANDLE_ENV, nullptr, &env) == SQL_SUCCESS;
        Oci::SQLFreeHandle(SQL_HANDLE_ENV, env);
        return dmWorks && ErrorOf([] {
                              Oci::SQLConfigDataSource(nullptr, ODBC_ADD_DSN, "SQLite3", "DSN=x\0");
                          }) == "Error Loading Library: ODBCCP32.DLL";
    }());
}

TEST(BindingTable, MissingEntryPointRaisesForThatWrapperOnly)
{
    Oci::DriverManager table = Oci::LoadedDriverManager();
    table.SQLBulkOperations = nullptr;
    Oci::Installer installer = Oci::LoadedInstaller();
    installer.SQLValidDSN = nullptr;
    Oci::ScopedDriverManager dm(table);
    Oci::ScopedInstaller inst(installer);

    EXPECT_EQ(ErrorOf([] { Oci::SQLBulkOperations(nullptr, SQL_ADD); }), "Error Loading Method: ODBC32.DLL");
    EXPECT_EQ(ErrorOf([] { Oci::SQLValidDSN("x"); }), "Error Loading Method: ODBCCP32.DLL");
    SQLHANDLE env = nullptr;
    ASSERT_EQ(Oci::SQLAllocHandle(SQL_HANDLE_ENV, nullptr, &env), SQL_SUCCESS);
    EXPECT_EQ(Oci::SQLFreeHandle(SQL_HANDLE_ENV, env), SQL_SUCCESS);
}

TEST(BindingTable, EveryEntryPointOfTheDriverManagerAndInstallerIsResolved)
{
    // unixODBC exports all 60 and 23 ANSI functions; a gap here would be a typo in the tables.
    const Oci::DriverManager& dm = Oci::LoadedDriverManager();
#define CHECK_ENTRY(name) EXPECT_NE(dm.name, nullptr) << #name;
    OCI_DRIVER_MANAGER_FUNCTIONS(CHECK_ENTRY)
#undef CHECK_ENTRY
    const Oci::Installer& installer = Oci::LoadedInstaller();
#define CHECK_ENTRY(name) EXPECT_NE(installer.name, nullptr) << #name;
    OCI_INSTALLER_FUNCTIONS(CHECK_ENTRY)
#undef CHECK_ENTRY
}

TEST(BindingTable, ReturnCodesPassThroughUntouched)
{
    Oci::DriverManager table = Oci::LoadedDriverManager();
    table.SQLCancel = [](SQLHSTMT) -> SQLRETURN { return SQL_STILL_EXECUTING; };
    Oci::ScopedDriverManager dm(table);
    EXPECT_EQ(Oci::SQLCancel(nullptr), SQL_STILL_EXECUTING);
}

TEST_F(Binding, ProgramUsesTheOdbcinstIniOfItsFolder)
{
    // As the program starts: no ODBCSYSINI of its own, the Access driver registered only in the
    // program folder's odbcinst.ini (dist/), the start-up's attribute lines.
    EXPECT_IN_FRESH_PROCESS([] {
        const std::string folder = OdbcTest::DistFolder();
        unsetenv("ODBCSYSINI");
        Oci::UseProgramFolderConfiguration(folder);
        const char* sysIni = std::getenv("ODBCSYSINI");
        if (sysIni == nullptr || folder != sysIni)
            return false;
        THdbc c;
        TStringList lines;
        lines.Add("DRIVER=Microsoft Access Driver (*.mdb)");
        lines.Add("DefaultDir=" + folder);
        lines.Add("DBQ=" + folder + "DataBase.mdb");
        c.SetAttributes(lines);
        c.Connect();
        return c.Connected();
    }());
}

TEST(BindingConfig, AnExistingConfigurationIsKept)
{
    const std::string before = std::getenv("ODBCSYSINI");
    Oci::UseProgramFolderConfiguration(OdbcTest::DistFolder());
    EXPECT_EQ(std::getenv("ODBCSYSINI"), before);
}

// Writes a private odbcinst.ini/odbc.ini into a temporary folder and points unixODBC at it before any
// test runs (libodbcinst reads ODBCSYSINI and ODBCINI once, on first use); removes it afterwards.
#include "odbc/support/OdbcTestConfig.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace OdbcTest {
namespace {

std::string& Dir()
{
    static std::string dir;
    return dir;
}

// Names the folder of this run for processes it starts: a death test's re-run of the test program
// uses its parent's folder and leaves it to the parent to remove.
constexpr const char* kInheritedDir = "ZIRA_ODBC_TEST_DIR";

class ConfigEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        const char* inherited = std::getenv(kInheritedDir);
        if (inherited != nullptr && fs::is_directory(inherited)) {
            Dir() = inherited;
        } else {
            std::string templ = (fs::temp_directory_path() / "zira-odbc-XXXXXX").string();
            ASSERT_NE(mkdtemp(templ.data()), nullptr);
            Dir() = templ;
            owner_ = true;
            Write(templ);
            setenv(kInheritedDir, templ.c_str(), 1);
        }
        // Set before the drivers below are mapped: mapping them loads libodbcinst and already reads
        // the configuration, and libodbcinst keeps the system folder of its first reading for the
        // rest of the run (SQLConfigDataSource would look for set-up libraries under /etc, and the
        // PostgreSQL driver would take its logging settings from there).
        setenv("ODBCSYSINI", Dir().c_str(), 1);
        setenv("ODBCINI", (Dir() + "/odbc.ini").c_str(), 1);
        // The driver manager unloads a driver when its last connection goes; allocations a driver
        // never frees could then not be traced to it and its leak suppression would not apply.
        // Keeping the drivers mapped for the whole run avoids that.
        for (const char* driver : {"libsqlite3odbc.so", "libmdbodbc.so", "psqlodbca.so"})
            dlopen((kDriverFolder + driver).c_str(), RTLD_NOW | RTLD_NODELETE);
    }
    void TearDown() override
    {
        if (!owner_)
            return;
        std::error_code ignored;
        fs::remove_all(Dir(), ignored);
        unsetenv(kInheritedDir);
    }

private:
    static inline const std::string kDriverFolder = "/usr/lib/x86_64-linux-gnu/odbc/";

    static void Write(const std::string& dir)
    {
        // The PostgreSQL driver logs nothing, and would log into this folder (not /tmp) if it did.
        std::ofstream(dir + "/odbcinst.ini")
            << "[SQLite3]\nDriver=" << kDriverFolder << "libsqlite3odbc.so\n\n"
            << "[Microsoft Access Driver (*.mdb)]\nDriver=" << kDriverFolder << "libmdbodbc.so\n\n"
            << "[PostgreSQL ANSI]\nDriver=" << kDriverFolder
            << "psqlodbca.so\nDebug=0\nCommLog=0\nLogdir=" << dir << "\n";
        std::ofstream(dir + "/odbc.ini")
            << "[" << kSqliteDsn << "]\nDriver=SQLite3\nDatabase=" << dir << "/dsn.db\n";
    }

    bool owner_ = false;
};

[[maybe_unused]] ::testing::Environment* const registered =
    ::testing::AddGlobalTestEnvironment(new ConfigEnvironment);

} // namespace

const std::string& ConfigDir()
{
    return Dir();
}

std::string NewSqliteFile()
{
    static int counter = 0;
    return Dir() + "/test" + std::to_string(++counter) + ".db";
}

std::string DistFolder()
{
    const char* source = std::getenv("ZIRA_SOURCE_DIR");
    return std::string(source != nullptr && *source != '\0' ? source : ZIRA_TEST_SOURCE_DIR) + "/dist/";
}

std::string PostgresConnectString()
{
    const char* socket = std::getenv("ZIRA_PG_SOCKET");
    const char* port = std::getenv("ZIRA_PG_PORT");
    if (socket == nullptr || port == nullptr || *socket == '\0')
        return {};
    return std::string("DRIVER=PostgreSQL ANSI;Servername=") + socket + ";Port=" + port +
           ";Database=postgres;UID=postgres;";
}

} // namespace OdbcTest

// TOEAdministrator against the real driver manager and installer: a private odbc.ini/odbcinst.ini per
// test and our own set-up library registered as the test driver's Setup, so add, change and remove
// go through libodbcinst and a set-up library as they would for a real driver.
#include "odbc/admin/Administrator.h"
#include "odbc/driver/Oci.h"
#include "odbc/handles/Hdbc.h"
#include "odbc/handles/Henv.h"
#include "odbc/support/DataSourceConfig.h"
#include "odbc/support/ErrorOf.h"
#include "odbc/support/OdbcTestConfig.h"
#include "platform/core/MemoryStream.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Names(const TStringList& list)
{
    return list.Lines();
}

class Administrator : public DataSourceConfig
{
protected:
    void SetUp() override
    {
        DataSourceConfig::SetUp();
        WriteSystemIni("[SysOne]\nDriver=" + std::string(kTestDriver) + "\nDatabase=" + Folder() +
                       "/sys1.db\n\n[SysTwo]\nDriver=SQLite3\nDatabase=" + Folder() + "/sys2.db\n");
        WriteUserIni("[UserOne]\nDriver=SQLite3\nDatabase=" + Folder() + "/user1.db\n");
    }
};

} // namespace

TEST_F(Administrator, ListsTheDataSourcesOfItsTypeWithTheirDrivers)
{
    struct Case
    {
        TDataSourceType type;
        std::vector<std::string> names, drivers;
    };
    const std::vector<Case> cases = {
        {dsDefault, {"UserOne", "SysOne", "SysTwo"}, {"SQLite3", kTestDriver, "SQLite3"}},
        {dsUser, {"UserOne"}, {"SQLite3"}},
        {dsSystem, {"SysOne", "SysTwo"}, {kTestDriver, "SQLite3"}},
    };
    TOEAdministrator admin;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        admin.SetDataSourceType(c.type);
        EXPECT_EQ(Names(admin.GetDataSources()), c.names);
        EXPECT_EQ(Names(admin.DataSourceDrivers()), c.drivers);
    }
    std::string driver;
    admin.DataSourceDriver("sysone", driver);
    EXPECT_EQ(driver, kTestDriver);
    admin.DataSourceDriver("NoSuch", driver);
    EXPECT_EQ(driver, "");
}

TEST_F(Administrator, ListsAreReadOnFirstUseAndAgainOnlyAfterRefreshOrATypeChange)
{
    TOEAdministrator admin;
    admin.SetDataSourceType(dsUser);
    EXPECT_EQ(Names(admin.GetDataSources()), std::vector<std::string>{"UserOne"});
    const std::vector<std::string> drivers = Names(admin.GetDrivers());
    EXPECT_NE(std::find(drivers.begin(), drivers.end(), "SQLite3"), drivers.end());
    EXPECT_NE(std::find(drivers.begin(), drivers.end(), kTestDriver), drivers.end());

    WriteUserIni("[UserNew]\nDriver=SQLite3\n");
    AddToDriverIni("\n[Late Driver]\nDriver=/nowhere/late.so\n");
    EXPECT_EQ(Names(admin.GetDataSources()), std::vector<std::string>{"UserOne"}) << "read again too early";
    EXPECT_EQ(Names(admin.GetDrivers()), drivers);

    admin.Refresh();
    EXPECT_EQ(Names(admin.GetDataSources()), std::vector<std::string>{"UserNew"});
    EXPECT_EQ(admin.GetDrivers().IndexOf("Late Driver"), admin.GetDrivers().Count() - 1);

    WriteUserIni("[UserThird]\nDriver=SQLite3\n");
    admin.SetDataSourceType(dsUser); // the same type still marks the lists
    EXPECT_EQ(Names(admin.GetDataSources()), std::vector<std::string>{"UserThird"});
}

TEST_F(Administrator, NamesLongerThanTheFirstBuffersComeBackWhole)
{
    const std::string longName(300, 'n');
    const std::string longDriver = "Driver " + std::string(400, 'd');
    AddToDriverIni("\n[" + longDriver + "]\nDriver=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so\n");
    WriteUserIni("[" + longName + "]\nDriver=" + longDriver + "\n\n[After]\nDriver=SQLite3\n");
    TOEAdministrator admin;
    admin.SetDataSourceType(dsUser);
    EXPECT_EQ(Names(admin.GetDataSources()), (std::vector<std::string>{longName, "After"}));
    EXPECT_EQ(Names(admin.DataSourceDrivers()), (std::vector<std::string>{longDriver, "SQLite3"}));
    EXPECT_GE(admin.GetDrivers().IndexOf(longDriver), 0);
    // In success-only mode a cut name (success with information) would have ended the walk.
    GlobalHenv().Error().SetSuccessOnlyMode(true);
    admin.Refresh();
    EXPECT_EQ(admin.GetDataSources().Count(), 2);
    EXPECT_GE(admin.GetDrivers().IndexOf(longDriver), 0);
    GlobalHenv().Error().SetSuccessOnlyMode(false);
}

TEST_F(Administrator, AListingStopsQuietlyAtTheFirstFailingCall)
{
    static int calls = 0;
    calls = 0;
    Oci::DriverManager table = Oci::LoadedDriverManager();
    table.SQLDataSources = [](SQLHENV env, SQLUSMALLINT direction, SQLCHAR* name, SQLSMALLINT nameSize,
                              SQLSMALLINT* nameLength, SQLCHAR* description, SQLSMALLINT descriptionSize,
                              SQLSMALLINT* descriptionLength) -> SQLRETURN {
        if (++calls == 2)
            return SQL_ERROR;
        return Oci::LoadedDriverManager().SQLDataSources(env, direction, name, nameSize, nameLength,
                                                         description, descriptionSize, descriptionLength);
    };
    Oci::ScopedDriverManager scripted(table);
    TOEAdministrator admin;
    admin.SetDataSourceType(dsSystem);
    EXPECT_EQ(Names(admin.GetDataSources()), std::vector<std::string>{"SysOne"});
    EXPECT_EQ(Names(admin.DataSourceDrivers()), std::vector<std::string>{kTestDriver});
}

// Add, change and remove for each type, through the installer and our set-up library: the data
// source lands in the odbc.ini of its type, connects, takes a change, and goes again. The default
// type works on the user's file, removal included.
TEST_F(Administrator, AddsModifiesAndRemovesADataSourceOfEachType)
{
    struct Case
    {
        TDataSourceType type;
        bool system; // which odbc.ini it lands in
    };
    for (const Case c : {Case{dsDefault, false}, Case{dsUser, false}, Case{dsSystem, true}}) {
        SCOPED_TRACE(c.type);
        const auto value = [&](const std::string& key) {
            return c.system ? SystemValue("Added", key) : UserValue("Added", key);
        };
        const auto otherValue = [&](const std::string& key) {
            return c.system ? UserValue("Added", key) : SystemValue("Added", key);
        };
        TOEAdministrator admin;
        admin.SetDataSourceType(c.type);
        admin.SetDriver(kTestDriver);
        admin.SetDataSource("Added");
        admin.Attributes().Add("Database=" + Folder() + "/added.db");
        EXPECT_EQ(admin.GetDataSources().IndexOf("Added"), -1);
        ASSERT_TRUE(admin.Add());
        EXPECT_EQ(value("Driver"), kTestDriver);
        EXPECT_EQ(value("Database"), Folder() + "/added.db");
        EXPECT_EQ(otherValue("Driver"), "");
        EXPECT_EQ(admin.GetDataSources().IndexOf("Added"), -1) << "listed before Refresh";
        admin.Refresh();
        ASSERT_GE(admin.GetDataSources().IndexOf("Added"), 0);
        std::string driver;
        admin.DataSourceDriver("ADDED", driver);
        EXPECT_EQ(driver, kTestDriver);

        {
            THdbc connection;
            connection.SetDataSource("Added");
            connection.Connect();
            EXPECT_TRUE(connection.Connected());
            connection.Disconnect();
        }

        admin.Attributes().Clear();
        admin.Attributes().Add("Database=" + Folder() + "/changed.db");
        admin.Attributes().Add("Timeout=5000");
        ASSERT_TRUE(admin.Modify());
        EXPECT_EQ(value("Database"), Folder() + "/changed.db");
        EXPECT_EQ(value("Timeout"), "5000");

        ASSERT_TRUE(admin.Remove());
        EXPECT_EQ(value("Driver"), "");
        admin.Refresh();
        EXPECT_EQ(admin.GetDataSources().IndexOf("Added"), -1);
        // The others are untouched.
        EXPECT_EQ(UserValue("UserOne", "Driver"), "SQLite3");
        EXPECT_EQ(SystemValue("SysOne", "Driver"), kTestDriver);
    }
}

TEST_F(Administrator, RequestsReachTheSetUpLibraryWithoutAWindowAndWithTheModeOfTheirType)
{
    struct Case
    {
        TDataSourceType type;
        bool (TOEAdministrator::*operation)();
        std::uint16_t request; // as the set-up library receives it
        std::uint16_t mode;
    };
    const std::vector<Case> cases = {
        {dsDefault, &TOEAdministrator::Add, ODBC_ADD_DSN, ODBC_USER_DSN},
        {dsDefault, &TOEAdministrator::Modify, ODBC_CONFIG_DSN, ODBC_USER_DSN},
        {dsDefault, &TOEAdministrator::Remove, ODBC_REMOVE_DSN, ODBC_USER_DSN},
        {dsUser, &TOEAdministrator::Add, ODBC_ADD_DSN, ODBC_USER_DSN},
        {dsUser, &TOEAdministrator::Remove, ODBC_REMOVE_DSN, ODBC_USER_DSN},
        // The installer turns the system requests into the plain ones in system mode.
        {dsSystem, &TOEAdministrator::Add, ODBC_ADD_DSN, ODBC_SYSTEM_DSN},
        {dsSystem, &TOEAdministrator::Modify, ODBC_CONFIG_DSN, ODBC_SYSTEM_DSN},
        {dsSystem, &TOEAdministrator::Remove, ODBC_REMOVE_DSN, ODBC_SYSTEM_DSN},
    };
    TOEAdministrator admin;
    admin.SetDriver(kTestDriver);
    admin.SetDataSource("Probe");
    admin.SetPrompt(true); // asks for the driver's dialog: there is no window to give it
    int calls = LastSetupCall().calls;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + " request " + std::to_string(c.request));
        admin.SetDataSourceType(c.type);
        EXPECT_TRUE((admin.*c.operation)());
        const ZiraSetupCall& seen = LastSetupCall();
        EXPECT_EQ(seen.calls, ++calls);
        EXPECT_EQ(seen.window, nullptr);
        EXPECT_EQ(seen.request, c.request);
        EXPECT_EQ(seen.mode, c.mode);
        EXPECT_STREQ(seen.driver, kTestDriver);
    }
}

TEST_F(Administrator, TheAttributeListIsNulSeparatedAndEndsInADoubleNul)
{
    using namespace std::string_literals;
    struct Case
    {
        const char* name;
        std::string dsn, uid, pwd;
        std::vector<std::string> lines;
        std::string expected; // both closing NULs included
    };
    const std::vector<Case> cases = {
        {"data source and one line", "MyDb", "", "", {"DBQ=c:\\x.mdb"}, "DSN=MyDb\0DBQ=c:\\x.mdb\0\0"s},
        {"login in order", "MyDb", "me", "secret", {}, "DSN=MyDb\0UID=me\0PWD=secret\0\0"s},
        {"nothing at all", "", "", "", {}, "\0\0"s},
        {"empty line skipped, not ending the list",
         "MyDb",
         "",
         "",
         {"A=1", "", "B=2"},
         "DSN=MyDb\0A=1\0B=2\0\0"s},
        {"character 1 in a value stays",
         "MyDb",
         "",
         "a\x01"
         "b",
         {},
         "DSN=MyDb\0PWD=a\x01"
         "b\0\0"s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TOEAdministrator admin;
        admin.SetDriver(kTestDriver);
        admin.SetDataSource(c.dsn);
        admin.SetUserName(c.uid);
        admin.SetPassword(c.pwd);
        for (const std::string& line : c.lines)
            admin.Attributes().Add(line);
        EXPECT_EQ(admin.AttributeList(), c.expected);
        admin.Modify(); // fails for these names; only what the set-up library received counts
        const ZiraSetupCall& seen = LastSetupCall();
        EXPECT_EQ(std::string(seen.attributes, static_cast<std::size_t>(seen.attributesLength)), c.expected);
    }
}

TEST_F(Administrator, FailuresComeBackAsFalseAndAMissingDriverRaises)
{
    const int calls = LastSetupCall().calls;
    TOEAdministrator admin;
    admin.SetDataSource("Nowhere");
    EXPECT_EQ(ErrorOf([&] { admin.Add(); }), "No Driver Value Specified");
    EXPECT_EQ(ErrorOf([&] { admin.Remove(); }), "No Driver Value Specified");
    EXPECT_EQ(LastSetupCall().calls, calls);

    admin.SetDriver("No Such Driver");
    EXPECT_FALSE(admin.Add());
    admin.SetDriver("SQLite3"); // installed, but without a set-up library
    EXPECT_FALSE(admin.Add());
    admin.SetDriver(kTestDriver);
    EXPECT_FALSE(admin.Modify()) << "changing a data source that does not exist";
    EXPECT_FALSE(admin.Remove());
    admin.SetDataSourceType(dsSystem);
    admin.SetDataSource("UserOne"); // a user data source is no system one
    EXPECT_FALSE(admin.Remove());
    EXPECT_EQ(UserValue("UserOne", "Driver"), "SQLite3");
}

TEST_F(Administrator, DataSourceNamesAreTrimmedAndInvalidOnesIgnored)
{
    struct Case
    {
        const char* given;
        const char* kept;
    };
    TOEAdministrator admin;
    for (const Case c : {Case{"  Mine  ", "Mine"}, Case{"Bad[Name", "Mine"}, Case{"Other", "Other"},
                         Case{"{braced}", "Other"}, Case{"   ", ""}, Case{"Last", "Last"}}) {
        SCOPED_TRACE(c.given);
        admin.SetDataSource(c.given);
        EXPECT_EQ(admin.DataSource(), c.kept);
    }
    EXPECT_TRUE(admin.Valid("Fine_Name"));
    EXPECT_FALSE(admin.Valid("a=b"));
}

TEST(AdministratorStreaming, PublishedPropertiesRoundTripAndDefaultsStayOut)
{
    TOEAdministrator defaults;
    TMemoryStream empty;
    TWriter(empty).WriteComponent(defaults);

    TOEAdministrator admin;
    admin.SetName("Admin1");
    admin.SetPrompt(true);
    admin.SetDataSourceType(dsSystem);
    admin.SetDriver("SQLite3");
    admin.SetDataSource("Stored");
    admin.SetUserName("me");
    admin.SetPassword("pw");
    admin.Attributes().Add("Database=x.db");
    TMemoryStream stream;
    TWriter(stream).WriteComponent(admin);
    EXPECT_GT(stream.Size(), empty.Size());

    stream.SetPosition(0);
    TOEAdministrator read;
    TReader(stream).ReadComponent(read);
    EXPECT_EQ(read.Name(), "Admin1");
    EXPECT_TRUE(read.Prompt());
    EXPECT_EQ(read.DataSourceType(), dsSystem);
    EXPECT_EQ(read.Driver(), "SQLite3");
    EXPECT_EQ(read.DataSource(), "Stored");
    EXPECT_EQ(read.UserName(), "me");
    EXPECT_EQ(read.Password(), "pw");
    EXPECT_EQ(read.Attributes().Lines(), std::vector<std::string>{"Database=x.db"});
}

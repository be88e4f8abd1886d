// DataSourceConfig: the per-test odbc.ini/odbcinst.ini of the administration tests.
#include "odbc/support/DataSourceConfig.h"

#include "fakes/FileText.h"
#include "odbc/support/OdbcTestConfig.h"

#include <cstdlib>
#include <dlfcn.h>
#include <fstream>
#include <sstream>

namespace {

void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// The value of key in section of an INI file as written there; "" when absent.
std::string IniValue(const std::string& path, const std::string& section, const std::string& key)
{
    std::istringstream in(ReadAll(path));
    std::string line;
    bool inSection = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.front() == '[') {
            inSection = line == "[" + section + "]";
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!inSection || equals == std::string::npos)
            continue;
        std::string name = line.substr(0, equals);
        while (!name.empty() && name.back() == ' ')
            name.pop_back();
        if (name != key)
            continue;
        std::string value = line.substr(equals + 1);
        while (!value.empty() && value.front() == ' ')
            value.erase(0, 1);
        return value;
    }
    return {};
}

} // namespace

void DataSourceConfig::SetUp()
{
    const std::string dir = OdbcTest::ConfigDir();
    ASSERT_FALSE(dir.empty());
    folder_ = dir;
    savedDriverIni_ = ReadAll(dir + "/odbcinst.ini");
    savedSystemIni_ = ReadAll(dir + "/odbc.ini");
    const char* user = std::getenv("ODBCINI");
    savedUserIniVariable_ = user != nullptr ? user : "";
    setup_ = dlopen(ZIRA_ODBC_SETUP_LIBRARY, RTLD_NOW);
    ASSERT_NE(setup_, nullptr) << dlerror();

    AddToDriverIni(std::string("\n[") + kTestDriver +
                   "]\nDriver=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so\n" +
                   "Setup=" + ZIRA_ODBC_SETUP_LIBRARY + "\n");
    WriteSystemIni("");
    // The user's odbc.ini is read from ODBCINI at every call; the system folder is fixed for the run.
    setenv("ODBCINI", UserIni().c_str(), 1);
    WriteUserIni("");
}

void DataSourceConfig::TearDown()
{
    if (folder_.empty())
        return;
    WriteFile(folder_ + "/odbcinst.ini", savedDriverIni_);
    WriteFile(folder_ + "/odbc.ini", savedSystemIni_);
    std::remove(UserIni().c_str());
    setenv("ODBCINI", savedUserIniVariable_.c_str(), 1);
    if (setup_ != nullptr)
        dlclose(setup_);
}

void DataSourceConfig::WriteSystemIni(const std::string& text)
{
    WriteFile(SystemIni(), text);
}

void DataSourceConfig::WriteUserIni(const std::string& text)
{
    WriteFile(UserIni(), text);
}

void DataSourceConfig::AddToDriverIni(const std::string& text)
{
    WriteFile(folder_ + "/odbcinst.ini", ReadAll(folder_ + "/odbcinst.ini") + text);
}

std::string DataSourceConfig::SystemIni() const
{
    return folder_ + "/odbc.ini";
}

std::string DataSourceConfig::UserIni() const
{
    return folder_ + "/user-odbc.ini";
}

std::string DataSourceConfig::SystemValue(const std::string& dsn, const std::string& key) const
{
    return IniValue(SystemIni(), dsn, key);
}

std::string DataSourceConfig::UserValue(const std::string& dsn, const std::string& key) const
{
    return IniValue(UserIni(), dsn, key);
}

const ZiraSetupCall& DataSourceConfig::LastSetupCall() const
{
    const auto lastCall = reinterpret_cast<ZiraSetupLastCallFunction>(dlsym(setup_, "ZiraSetup_LastCall"));
    return *lastCall();
}

// ZiraOdbcSetup: a driver set-up library (ConfigDSN) for the administration tests. It does what a
// driver's own set-up library does without a dialog: add, change or remove the data source named
// by the DSN attribute, in the odbc.ini the installer's configuration mode selects, and it records
// each call (window handle, request, attribute bytes) for the tests to inspect.
#include "OdbcSetup.h"

#include <odbcinst.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#define ZIRA_SETUP_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Recorded
{
    ZiraSetupCall call{};
    std::string driver;
    std::string attributes;
};

Recorded& Last()
{
    static Recorded recorded;
    return recorded;
}

// The bytes of a NUL-separated list up to and including the empty entry that closes it (an empty
// list is the two NULs alone). A list without that closing NUL reads past its end, as it would in
// any set-up library: the tests run under AddressSanitizer to catch it.
std::string ListBytes(const char* list)
{
    if (list == nullptr)
        return {};
    if (list[0] == '\0')
        return std::string(list, 2);
    std::size_t length = 0;
    while (list[length] != '\0')
        length += std::strlen(list + length) + 1;
    return std::string(list, length + 1);
}

std::vector<std::pair<std::string, std::string>> Pairs(const std::string& list)
{
    std::vector<std::pair<std::string, std::string>> pairs;
    std::size_t at = 0;
    while (at < list.size() && list[at] != '\0') {
        const std::string entry = list.substr(at, list.find('\0', at) - at);
        at += entry.size() + 1;
        const std::size_t equals = entry.find('=');
        if (equals == std::string::npos)
            pairs.emplace_back(entry, std::string());
        else
            pairs.emplace_back(entry.substr(0, equals), entry.substr(equals + 1));
    }
    return pairs;
}

bool Exists(const std::string& dsn)
{
    char driver[512] = {};
    return SQLGetPrivateProfileString(dsn.c_str(), "Driver", "", driver, sizeof driver, "odbc.ini") > 0 &&
           driver[0] != '\0';
}

bool WriteValues(const std::string& dsn, const std::vector<std::pair<std::string, std::string>>& pairs)
{
    for (const auto& [key, value] : pairs) {
        if (key == "DSN" || key == "Driver" || key == "DRIVER")
            continue;
        if (!SQLWritePrivateProfileString(dsn.c_str(), key.c_str(), value.c_str(), "odbc.ini"))
            return false;
    }
    return true;
}

} // namespace

ZIRA_SETUP_EXPORT const ZiraSetupCall* ZiraSetup_LastCall()
{
    return &Last().call;
}

ZIRA_SETUP_EXPORT BOOL ConfigDSN(HWND window, WORD request, LPCSTR driver, LPCSTR attributes)
{
    Recorded& last = Last();
    last.driver = driver != nullptr ? driver : "";
    last.attributes = ListBytes(attributes);
    UWORD mode = 0;
    SQLGetConfigMode(&mode);
    last.call.calls += 1;
    last.call.window = window;
    last.call.request = request;
    last.call.mode = mode;
    last.call.driver = last.driver.c_str();
    last.call.attributes = last.attributes.data();
    last.call.attributesLength = static_cast<int>(last.attributes.size());

    const auto pairs = Pairs(last.attributes);
    std::string dsn;
    for (const auto& [key, value] : pairs)
        if (key == "DSN")
            dsn = value;
    if (dsn.empty() || !SQLValidDSN(dsn.c_str()))
        return 0;

    switch (request) {
    case ODBC_ADD_DSN:
        return SQLWriteDSNToIni(dsn.c_str(), last.driver.c_str()) && WriteValues(dsn, pairs);
    case ODBC_CONFIG_DSN:
        return Exists(dsn) && WriteValues(dsn, pairs);
    case ODBC_REMOVE_DSN:
        return Exists(dsn) && SQLRemoveDSNFromIni(dsn.c_str());
    default:
        // ODBC_REMOVE_DEFAULT_DSN and anything else: not something a data source's set-up handles.
        return 0;
    }
}

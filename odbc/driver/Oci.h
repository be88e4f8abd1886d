#pragma once
// The only place where the ODBC class library touches the ODBC driver manager (ODBC32.DLL, here
// libodbc.so.2) and the ODBC installer (ODBCCP32.DLL, here libodbcinst.so.2). Neither is linked:
// each is loaded by name the first time one of its wrappers is called, and a missing library or
// entry point raises RIDIZOrurori instead of failing at start-up.
//
// Every wrapper Oci::SQLxxx has the ODBC function's own parameters and return type; it loads its
// library, checks the entry point and calls it with the arguments unchanged. Nothing else: no
// tracing, no conversion, no error collection.
//
// The resolved entry points form a function table (DriverManager, Installer). Tests install a table
// of their own (ScopedDriverManager / ScopedInstaller) to script failures no real driver produces;
// while one is installed the wrappers call it and load nothing.
//
// This header includes the ODBC headers; include it from .cpp files of the ODBC layers only.
#include "odbc/base/OcihError.h"
#include "odbc/driver/ProgramConfiguration.h"

#include <odbcinst.h>
#include <sql.h>
#include <sqlext.h>

#include <string>
#include <utility>

namespace Oci {

// The 60 driver-manager functions, in the order the loader resolves them.
#define OCI_DRIVER_MANAGER_FUNCTIONS(X)                                                                      \
    X(SQLAllocHandle)                                                                                        \
    X(SQLBindCol)                                                                                            \
    X(SQLBindParameter)                                                                                      \
    X(SQLBrowseConnect)                                                                                      \
    X(SQLBulkOperations)                                                                                     \
    X(SQLCancel)                                                                                             \
    X(SQLCloseCursor)                                                                                        \
    X(SQLColAttribute)                                                                                       \
    X(SQLColumnPrivileges)                                                                                   \
    X(SQLColumns)                                                                                            \
    X(SQLConnect)                                                                                            \
    X(SQLCopyDesc)                                                                                           \
    X(SQLDataSources)                                                                                        \
    X(SQLDescribeCol)                                                                                        \
    X(SQLDescribeParam)                                                                                      \
    X(SQLDisconnect)                                                                                         \
    X(SQLDriverConnect)                                                                                      \
    X(SQLDrivers)                                                                                            \
    X(SQLEndTran)                                                                                            \
    X(SQLExecDirect)                                                                                         \
    X(SQLExecute)                                                                                            \
    X(SQLFetch)                                                                                              \
    X(SQLFetchScroll)                                                                                        \
    X(SQLForeignKeys)                                                                                        \
    X(SQLFreeHandle)                                                                                         \
    X(SQLFreeStmt)                                                                                           \
    X(SQLGetConnectAttr)                                                                                     \
    X(SQLGetCursorName)                                                                                      \
    X(SQLGetData)                                                                                            \
    X(SQLGetDescField)                                                                                       \
    X(SQLGetDescRec)                                                                                         \
    X(SQLGetDiagField)                                                                                       \
    X(SQLGetDiagRec)                                                                                         \
    X(SQLGetEnvAttr)                                                                                         \
    X(SQLGetFunctions)                                                                                       \
    X(SQLGetInfo)                                                                                            \
    X(SQLGetStmtAttr)                                                                                        \
    X(SQLGetTypeInfo)                                                                                        \
    X(SQLMoreResults)                                                                                        \
    X(SQLNativeSql)                                                                                          \
    X(SQLNumParams)                                                                                          \
    X(SQLNumResultCols)                                                                                      \
    X(SQLParamData)                                                                                          \
    X(SQLPrepare)                                                                                            \
    X(SQLPrimaryKeys)                                                                                        \
    X(SQLProcedureColumns)                                                                                   \
    X(SQLProcedures)                                                                                         \
    X(SQLPutData)                                                                                            \
    X(SQLRowCount)                                                                                           \
    X(SQLSetConnectAttr)                                                                                     \
    X(SQLSetCursorName)                                                                                      \
    X(SQLSetDescField)                                                                                       \
    X(SQLSetDescRec)                                                                                         \
    X(SQLSetEnvAttr)                                                                                         \
    X(SQLSetPos)                                                                                             \
    X(SQLSetStmtAttr)                                                                                        \
    X(SQLSpecialColumns)                                                                                     \
    X(SQLStatistics)                                                                                         \
    X(SQLTablePrivileges)                                                                                    \
    X(SQLTables)

// The 23 installer functions, in load order.
#define OCI_INSTALLER_FUNCTIONS(X)                                                                           \
    X(SQLConfigDataSource)                                                                                   \
    X(SQLConfigDriver)                                                                                       \
    X(SQLCreateDataSource)                                                                                   \
    X(SQLGetConfigMode)                                                                                      \
    X(SQLGetInstalledDrivers)                                                                                \
    X(SQLGetPrivateProfileString)                                                                            \
    X(SQLGetTranslator)                                                                                      \
    X(SQLInstallDriverEx)                                                                                    \
    X(SQLInstallDriverManager)                                                                               \
    X(SQLInstallerError)                                                                                     \
    X(SQLInstallTranslatorEx)                                                                                \
    X(SQLManageDataSources)                                                                                  \
    X(SQLPostInstallerError)                                                                                 \
    X(SQLReadFileDSN)                                                                                        \
    X(SQLRemoveDriver)                                                                                       \
    X(SQLRemoveDriverManager)                                                                                \
    X(SQLRemoveDSNFromIni)                                                                                   \
    X(SQLRemoveTranslator)                                                                                   \
    X(SQLSetConfigMode)                                                                                      \
    X(SQLValidDSN)                                                                                           \
    X(SQLWriteDSNToIni)                                                                                      \
    X(SQLWriteFileDSN)                                                                                       \
    X(SQLWritePrivateProfileString)

// One pointer per entry point, typed from the ODBC headers' own declarations; empty when the library
// does not export the name.
struct DriverManager
{
#define OCI_ENTRY(name) decltype(&::name) name = nullptr;
    OCI_DRIVER_MANAGER_FUNCTIONS(OCI_ENTRY)
#undef OCI_ENTRY
};

struct Installer
{
#define OCI_ENTRY(name) decltype(&::name) name = nullptr;
    OCI_INSTALLER_FUNCTIONS(OCI_ENTRY)
#undef OCI_ENTRY
};

// A library that cannot be loaded: the message is the library's own text ("Error Loading Library:
// ODBC32.DLL"), File the file that was tried and Reason what the system loader said about it.
class ELoadError : public RIDIZOrurori
{
public:
    ELoadError(std::string message, std::string file, std::string reason)
        : RIDIZOrurori(std::move(message)), file_(std::move(file)), reason_(std::move(reason))
    {
    }
    const std::string& File() const { return file_; }
    const std::string& Reason() const { return reason_; }

private:
    std::string file_;
    std::string reason_;
};

// Load the library and resolve its entry points unless it is loaded already. Raise ELoadError
// "Error Loading Library: ODBC32.DLL" / "...: ODBCCP32.DLL" when it cannot be loaded; nothing is
// remembered then, so the next call tries again.
void LoadOdbc32();
void LoadOdbcCp32();

bool Odbc32Loaded();
bool OdbcCp32Loaded();

// The table the wrappers call: the installed test table when there is one, else the loaded library's
// (loading it first).
const DriverManager& ActiveDriverManager();
const Installer& ActiveInstaller();

// The real library's table, loading the library; tests start a scripted table from it and replace
// the entries they want to fail.
const DriverManager& LoadedDriverManager();
const Installer& LoadedInstaller();

// Installs a replacement table for the lifetime of the guard (the previous one comes back after).
class ScopedDriverManager
{
public:
    explicit ScopedDriverManager(const DriverManager& table);
    ~ScopedDriverManager();
    ScopedDriverManager(const ScopedDriverManager&) = delete;
    ScopedDriverManager& operator=(const ScopedDriverManager&) = delete;

private:
    const DriverManager* previous_;
};

class ScopedInstaller
{
public:
    explicit ScopedInstaller(const Installer& table);
    ~ScopedInstaller();
    ScopedInstaller(const ScopedInstaller&) = delete;
    ScopedInstaller& operator=(const ScopedInstaller&) = delete;

private:
    const Installer* previous_;
};

// The library's file names on this platform and the texts its errors keep.
inline constexpr const char* kDriverManagerFile = "libodbc.so.2";
inline constexpr const char* kInstallerFile = "libodbcinst.so.2";

// Replaces the file names loaded by name (tests use a name that does not exist to see a failed
// load); an empty name restores the default. Takes effect at the next load.
void SetLibraryFileNames(std::string driverManager, std::string installer);

namespace detail {
template <class Entry> Entry DriverManagerEntry(Entry DriverManager::*entry)
{
    const Entry function = ActiveDriverManager().*entry;
    if (function == nullptr)
        throw RIDIZOrurori("Error Loading Method: ODBC32.DLL");
    return function;
}

template <class Entry> Entry InstallerEntry(Entry Installer::*entry)
{
    const Entry function = ActiveInstaller().*entry;
    if (function == nullptr)
        throw RIDIZOrurori("Error Loading Method: ODBCCP32.DLL");
    return function;
}
} // namespace detail

// The wrappers: Oci::SQLAllocHandle(...), Oci::SQLConfigDataSource(...) and so on.
#define OCI_WRAPPER(name)                                                                                    \
    template <class... Args> auto name(Args&&... args)                                                       \
    {                                                                                                        \
        return detail::DriverManagerEntry(&DriverManager::name)(std::forward<Args>(args)...);                \
    }
OCI_DRIVER_MANAGER_FUNCTIONS(OCI_WRAPPER)
#undef OCI_WRAPPER

#define OCI_WRAPPER(name)                                                                                    \
    template <class... Args> auto name(Args&&... args)                                                       \
    {                                                                                                        \
        return detail::InstallerEntry(&Installer::name)(std::forward<Args>(args)...);                        \
    }
OCI_INSTALLER_FUNCTIONS(OCI_WRAPPER)
#undef OCI_WRAPPER

} // namespace Oci

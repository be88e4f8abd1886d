#include "odbc/driver/Oci.h"

#include <atomic>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <mutex>

namespace Oci {
namespace {

// One loaded library: its module handle (empty until the first successful load) and its table.
template <class Table> struct Library
{
    void* module = nullptr;
    // Set once the table is complete. With an environment per thread the first calls may come from
    // several threads at once; they load under loadMutex and later calls only look at this flag.
    std::atomic<bool> loaded{false};
    Table table{};
    const Table* replacement = nullptr;
    std::string fileName;

    // Released at program exit. RTLD_NODELETE keeps the code mapped after dlclose, so handles that
    // drivers still hold in their own exit handlers, and the leak checker's attribution of their
    // caches to libodbc, stay valid.
    ~Library()
    {
        if (module != nullptr)
            dlclose(module);
    }
};

Library<DriverManager> driverManager;
Library<Installer> installer;
std::mutex loadMutex;

template <class Table> void* Open(Library<Table>& library, const char* defaultFile, const char* errorText)
{
    if (library.module != nullptr)
        return nullptr;
    const std::string& file = library.fileName.empty() ? std::string(defaultFile) : library.fileName;
    void* module = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (module == nullptr) {
        const char* reason = dlerror();
        throw ELoadError(errorText, file, reason != nullptr ? reason : "");
    }
    return module;
}

// Loads the library once and fills its table with resolve(table, module).
template <class Table, class Resolve>
void LoadOnce(Library<Table>& library, const char* defaultFile, const char* errorText, Resolve resolve)
{
    if (library.loaded.load(std::memory_order_acquire))
        return;
    const std::lock_guard<std::mutex> lock(loadMutex);
    void* module = Open(library, defaultFile, errorText);
    if (module == nullptr)
        return;
    Table table;
    resolve(table, module);
    library.table = table;
    library.module = module;
    library.loaded.store(true, std::memory_order_release);
}

} // namespace

#define OCI_RESOLVE(name) table.name = reinterpret_cast<decltype(table.name)>(dlsym(module, #name));

void LoadOdbc32()
{
    LoadOnce(driverManager, kDriverManagerFile, "Error Loading Library: ODBC32.DLL",
             [](DriverManager& table, void* module) { OCI_DRIVER_MANAGER_FUNCTIONS(OCI_RESOLVE) });
}

void LoadOdbcCp32()
{
    LoadOnce(installer, kInstallerFile, "Error Loading Library: ODBCCP32.DLL",
             [](Installer& table, void* module) { OCI_INSTALLER_FUNCTIONS(OCI_RESOLVE) });
}

#undef OCI_RESOLVE

bool Odbc32Loaded()
{
    return driverManager.loaded.load(std::memory_order_acquire);
}
bool OdbcCp32Loaded()
{
    return installer.loaded.load(std::memory_order_acquire);
}

const DriverManager& LoadedDriverManager()
{
    LoadOdbc32();
    return driverManager.table;
}

const Installer& LoadedInstaller()
{
    LoadOdbcCp32();
    return installer.table;
}

const DriverManager& ActiveDriverManager()
{
    if (driverManager.replacement != nullptr)
        return *driverManager.replacement;
    return LoadedDriverManager();
}

const Installer& ActiveInstaller()
{
    if (installer.replacement != nullptr)
        return *installer.replacement;
    return LoadedInstaller();
}

ScopedDriverManager::ScopedDriverManager(const DriverManager& table) : previous_(driverManager.replacement)
{
    driverManager.replacement = &table;
}

ScopedDriverManager::~ScopedDriverManager()
{
    driverManager.replacement = previous_;
}

ScopedInstaller::ScopedInstaller(const Installer& table) : previous_(installer.replacement)
{
    installer.replacement = &table;
}

ScopedInstaller::~ScopedInstaller()
{
    installer.replacement = previous_;
}

void SetLibraryFileNames(std::string driverManagerFile, std::string installerFile)
{
    driverManager.fileName = std::move(driverManagerFile);
    installer.fileName = std::move(installerFile);
}

void UseProgramFolderConfiguration(const std::string& programFolder)
{
    const char* current = std::getenv("ODBCSYSINI");
    if (current != nullptr && *current != '\0')
        return;
    if (!std::filesystem::exists(std::filesystem::path(programFolder) / "odbcinst.ini"))
        return;
    setenv("ODBCSYSINI", programFolder.c_str(), 1);
}

} // namespace Oci

#pragma once
// Loading a shared library by the name the program uses for it ("wltrs.dll", "ODBC32.DLL"). The
// name maps to the Linux file: "X.dll" becomes "libx.so" (lower case), the ODBC driver manager and
// installer become unixODBC's libraries. The program folder is searched first, then the system
// loader's own search path.
#include <string>
#include <vector>

// The Linux file name for a library name: "WLTRS.DLL" -> "libwltrs.so", "ODBC32.DLL" ->
// "libodbc.so.2", "ODBCCP32.DLL" -> "libodbcinst.so.2". A name that is already a Linux file name
// ("libfoo.so.1") or a path is kept as it is.
std::string MapLibraryName(const std::string& name);

// One loaded library; released when the object goes. Move-only.
class TLibrary
{
public:
    TLibrary() = default;
    // Loads at once; check Loaded() (a failure is not an exception, as with the platform's loader).
    explicit TLibrary(const std::string& name) { Load(name); }
    TLibrary(const TLibrary&) = delete;
    TLibrary& operator=(const TLibrary&) = delete;
    TLibrary(TLibrary&& other) noexcept;
    TLibrary& operator=(TLibrary&& other) noexcept;
    ~TLibrary() { Free(); }

    // Releases what is loaded, then loads name from the program folder (AppDir()) or the system
    // search path. Returns Loaded().
    bool Load(const std::string& name);
    // The same with the program folder given (tests, or a caller that keeps its own AppDir).
    bool Load(const std::string& name, const std::string& programFolder);
    // Releases the library; entry points taken from it must not be called afterwards.
    void Free() noexcept;

    bool Loaded() const noexcept { return handle_ != nullptr; }
    // The name as the program asked for it ("ODBC32.DLL").
    const std::string& Name() const noexcept { return name_; }
    // Why the last Load failed, naming the library as the program asked for it; empty after success.
    const std::string& ErrorText() const noexcept { return error_; }

    // The address of an exported symbol, or nullptr when it is missing or nothing is loaded.
    void* Symbol(const char* entry) const noexcept;
    // The entry point as a function pointer of the caller's type: Proc<int (*)(const char*, int)>("GetBmp").
    template <class Function> Function Proc(const char* entry) const noexcept
    {
        return reinterpret_cast<Function>(Symbol(entry));
    }

private:
    void* handle_ = nullptr;
    std::string name_;
    std::string error_;
};

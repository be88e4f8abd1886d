#pragma once
// What the test set-up library (libziraodbcsetup.so) saw of its last ConfigDSN call. A test that
// keeps the library loaded (dlopen before the installer opens it) reads it through ZiraSetup_LastCall.
#include <cstdint>

extern "C" {

struct ZiraSetupCall
{
    int calls;              // ConfigDSN calls since the library was loaded
    const void* window;     // the window handle passed in
    std::uint16_t request;  // ODBC_ADD_DSN, ODBC_CONFIG_DSN, ...
    std::uint16_t mode;     // the installer's configuration mode during the call
    const char* driver;     // the driver description
    const char* attributes; // the attribute list as received, up to and including its closing NULs
    int attributesLength;   // bytes in attributes, both closing NULs counted
};

typedef const ZiraSetupCall* (*ZiraSetupLastCallFunction)();
}

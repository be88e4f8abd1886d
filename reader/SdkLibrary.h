#pragma once
// The reader vendor's SDK library, loaded by the name the program uses for it ("sdtapi.dll", the file
// libsdtapi.so) from the program folder or the system search path, with its five entries. It stays
// loaded as long as this object.
#include "platform/os/Library.h"
#include "reader/SdtApi.h"

#include <string>

class SdkLibrary
{
public:
    // A missing library or entry is a normal state: the read through the SDK reports it when it is
    // asked for. Returns whether the library itself was found.
    bool Load(const std::string& programFolder);

    // Each entry is null when the library or that entry is missing.
    const SdtApi& Api() const { return api_; }

private:
    TLibrary library_;
    SdtApi api_;
};

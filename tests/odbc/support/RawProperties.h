#pragma once
// RawProperties: writes whatever properties a test lists, in the order given, to build the streams
// an older version of a component (or a form resource written by hand) would hold.
#include "platform/core/Filer.h"
#include "platform/core/Persistent.h"

#include <string>
#include <utility>
#include <vector>

class RawProperties : public TPersistent
{
public:
    std::vector<std::pair<std::string, TWriterProc>> properties;
    void DefineProperties(TFiler& filer) override
    {
        for (auto& [name, write] : properties)
            filer.DefineProperty(name, {}, write, true);
    }
};

#include "platform/core/Persistent.h"

#include "platform/core/Exception.h"

#include <cstdlib>
#include <cxxabi.h>
#include <memory>
#include <typeinfo>

void TPersistent::Assign(const TPersistent& source)
{
    source.AssignTo(*this);
}

void TPersistent::AssignTo(TPersistent& dest) const
{
    dest.AssignError(this);
}

void TPersistent::AssignError(const TPersistent* source) const
{
    const std::string sourceName = source ? source->ClassName() : std::string("nil");
    throw EConvertError("Cannot assign a " + sourceName + " to a " + ClassName());
}

std::string TPersistent::ClassName() const
{
    const char* mangled = typeid(*this).name();
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                     std::free);
    std::string name = status == 0 && demangled ? std::string(demangled.get()) : std::string(mangled);
    // The library's class names carry no scope: "ns::TThing" and a class local to a function are
    // both known by their own name.
    const auto colon = name.rfind("::");
    return colon == std::string::npos ? name : name.substr(colon + 2);
}

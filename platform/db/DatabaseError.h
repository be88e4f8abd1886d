#pragma once
// Errors of the dataset model. DatabaseError prefixes the message with the name of the component
// that raised it ("Query1: Field 'X' not found"), as the class library does.
#include "platform/core/Exception.h"

#include <string>

class TComponent;

class EDatabaseError : public Exception
{
public:
    using Exception::Exception;
};

[[noreturn]] void DatabaseError(const std::string& message, const TComponent* component = nullptr);

#pragma once
// ErrorOf: the message of the library's error that call raises, or "no error" when it raises none,
// for tests that compare what a failure says.
#include "odbc/base/OcihError.h"

#include <string>

std::string ErrorOf(auto call)
{
    try {
        call();
    } catch (const RIDIZOrurori& e) {
        return e.Message();
    }
    return "no error";
}

#pragma once
// The display formats of cells: a float format mask and a one-argument format text, with the rules
// of the class library's FormatFloat and Format.
#include "platform/core/Variant.h"

#include <string>
#include <string_view>

// mask: up to three sections "positive;negative;zero". In a section "0" is a digit that is always
// written, "#" a digit written when significant, the first "." the decimal point, a "," anywhere
// groups thousands, "E+", "E-", "e+", "e-" followed by "0"s write a scientific exponent of at least
// that many digits, and text in single or double quotes is copied without its quotes; any other
// character is copied as it stands. An empty mask gives the shortest text of the value.
std::string FormatFloat(std::string_view mask, double value);

// mask holds one "%" specifier [-][width][.precision]type for argument: d, u, x (integers), e, f,
// g, n, m (floats, integers taken as floats), s (text); "%%" is a percent sign. A specifier that
// does not fit the argument, or a second one, raises EConvertError.
std::string FormatOne(std::string_view mask, const Variant& argument);

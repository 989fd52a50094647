// Numbers as messages show them: at most six significant digits, an exponent where the
// number is very large or small ("1e+308", "2.5e-07"), "inf" and "nan" as such.
#pragma once

#include <string>

std::string numberText(double value);

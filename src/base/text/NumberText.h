// Numbers as text, both ways. Messages show numbers with at most six significant digits;
// a value that stands alone (a command-line value, a field of a file our programs wrote)
// is read by one rule set, the delimited-text reader's grammar applied to the whole text:
// an optional sign, decimal digits with an optional fraction (at least one digit), an
// optional exponent written e, E, d or D; no blanks, no hexadecimal, no "inf" or "nan",
// never the locale's decimal mark.
#pragma once

#include <cstdint>
#include <string>

// value with at most six significant digits, an exponent where it is very large or small
// ("1e+308", "2.5e-07"), "inf" and "nan" as such.
std::string numberText(double value);

// The shortest text that reads back as exactly value ("0.2" for 0.2).
std::string shortestText(double value);

// The finite number that the whole of text is. False, with *value unchanged, for anything
// else, or a number beyond the range of a double.
bool readNumberText(const std::string& text, double* value);
// The whole number from low to high that the whole of text is (an optional sign and
// decimal digits). False, with *value unchanged, for anything else.
bool readWholeText(const std::string& text, long long low, long long high, long long* value);

// The seeds of the random stream, 32-bit words: whole numbers from 0 to maxSeed.
constexpr long long maxSeed = 4294967295LL;
// "a whole number from 0 to 4294967295": what a seed may be.
std::string seedRange();
// Reads text, the value of the seed option `name`, into *seed. False, with *error one line
// naming the option, the value and seedRange(), for anything else.
bool readSeed(const std::string& name, const std::string& text, std::uint32_t* seed,
              std::string* error);

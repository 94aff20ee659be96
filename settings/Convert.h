#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace scrivo {

// Conversions of stored text to numbers and truth values, with the rules of
// the settings file: blanks around the text are allowed, a number may carry a
// sign, a fraction and an exponent, or be written &H (hex) or &O (octal).
// A failed conversion says why, in the words the user sees after the
// operation's own message.
struct Conversion {
    bool ok = false;
    std::string error; // "Type mismatch" or "Overflow" when !ok
};

struct LongConversion : Conversion {
    long value = 0;
};
struct DoubleConversion : Conversion {
    double value = 0;
};
struct BoolConversion : Conversion {
    bool value = false;
};

inline constexpr const char* kTypeMismatch = "Type mismatch";
inline constexpr const char* kOverflow = "Overflow";

// The whole text as a number, or nothing when it is not one.
std::optional<double> ParseNumber(std::string_view text);

// 32-bit whole number, rounded half to even.
LongConversion ToLong(std::string_view text);
// 16-bit whole number, rounded half to even.
LongConversion ToInteger(std::string_view text);
// Single precision number.
DoubleConversion ToSingle(std::string_view text);
// True/False in any case, or a number: 0 is false, anything else true.
BoolConversion ToBoolean(std::string_view text);

// Decimal text of a number as the settings file stores it: whole numbers
// without a fraction, others with up to seven significant digits.
std::string NumberText(double value);
inline const char* BooleanText(bool value)
{
    return value ? "True" : "False";
}

} // namespace scrivo

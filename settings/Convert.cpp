#include "settings/Convert.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "platform/Text.h"

namespace scrivo {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// &H1F, &O17: whole numbers in another base, as 32-bit patterns.
std::optional<double> ParseRadix(std::string_view digits, int base)
{
    if (digits.empty() || digits.size() > 11) return std::nullopt;
    unsigned long long v = 0;
    for (char c : digits) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return std::nullopt;
        if (d >= base) return std::nullopt;
        v = v * static_cast<unsigned>(base) + static_cast<unsigned>(d);
    }
    if (v > 0xFFFFFFFFULL) return std::nullopt;
    // A 32-bit pattern with the top bit set is negative, as in the file's origin.
    if (v > 0x7FFFFFFFULL) return static_cast<double>(static_cast<long long>(v) - 0x100000000LL);
    return static_cast<double>(v);
}

} // namespace

std::optional<double> ParseNumber(std::string_view text)
{
    std::string_view s = TrimBlanks(text);
    if (s.size() > 2 && s[0] == '&') {
        if (s[1] == 'H' || s[1] == 'h') return ParseRadix(s.substr(2), 16);
        if (s[1] == 'O' || s[1] == 'o') return ParseRadix(s.substr(2), 8);
        return std::nullopt;
    }
    std::size_t i = 0;
    std::string plain;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) plain += s[i++];
    bool digits = false;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
        plain += s[i++];
        digits = true;
    }
    if (i < s.size() && s[i] == '.') {
        plain += s[i++];
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
            plain += s[i++];
            digits = true;
        }
    }
    if (!digits) return std::nullopt;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        plain += 'e';
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) plain += s[i++];
        bool expDigits = false;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
            plain += s[i++];
            expDigits = true;
        }
        if (!expDigits) return std::nullopt;
    }
    if (i != s.size()) return std::nullopt;
    const double v = std::strtod(plain.c_str(), nullptr);
    if (std::isnan(v)) return std::nullopt;
    return v; // may be infinite: the range checks report it as an overflow
}

namespace {

LongConversion ToWhole(std::string_view text, double lowest, double highest)
{
    LongConversion r;
    const auto v = ParseNumber(text);
    if (!v) {
        r.error = kTypeMismatch;
        return r;
    }
    const double rounded = std::nearbyint(*v);
    if (!(rounded >= lowest && rounded <= highest)) {
        r.error = kOverflow;
        return r;
    }
    r.ok = true;
    r.value = static_cast<long>(RoundHalfEven(*v));
    return r;
}

} // namespace

LongConversion ToLong(std::string_view text)
{
    return ToWhole(text, -2147483648.0, 2147483647.0);
}

LongConversion ToInteger(std::string_view text)
{
    return ToWhole(text, -32768.0, 32767.0);
}

DoubleConversion ToSingle(std::string_view text)
{
    DoubleConversion r;
    const auto v = ParseNumber(text);
    if (!v) {
        r.error = kTypeMismatch;
        return r;
    }
    if (std::fabs(*v) > static_cast<double>(std::numeric_limits<float>::max())) {
        r.error = kOverflow;
        return r;
    }
    r.ok = true;
    r.value = static_cast<double>(static_cast<float>(*v));
    return r;
}

BoolConversion ToBoolean(std::string_view text)
{
    BoolConversion r;
    const std::string_view s = TrimBlanks(text);
    if (EqualsNoCase(s, "True")) {
        r.ok = true;
        r.value = true;
    } else if (EqualsNoCase(s, "False")) {
        r.ok = true;
        r.value = false;
    } else if (const auto v = ParseNumber(s)) {
        r.ok = true;
        r.value = *v != 0.0;
    } else {
        r.error = kTypeMismatch;
    }
    return r;
}

std::string NumberText(double value)
{
    char buf[64];
    if (std::nearbyint(value) == value && std::fabs(value) < 1e15)
        std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(value));
    else
        std::snprintf(buf, sizeof buf, "%.7g", value);
    return buf;
}

} // namespace scrivo

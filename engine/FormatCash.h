#pragma once

#include <string>

#include "platform/Currency.h"

namespace scrivo {

// Display text of an amount: the currency symbol followed by the whole
// number, or by the amount with exactly two decimals when it has cents
// ("$25", "$2.50", "$0"). An empty symbol gives the bare number.
std::string FormatCash(Currency amount, const std::string& currencySymbol);

} // namespace scrivo

#pragma once

// Makes the tables of EvaluateSeven from the plain five-card rules. Used
// when the program is built (cards/MakeSevenTables) and by the tests.

#include <memory>

#include "cards/SevenTables.h"

namespace scrivo::detail {

// Throws std::logic_error when the keys or the packing do not hold (two
// face patterns on one key, a table too small).
std::unique_ptr<SevenTableData> BuildSevenTables();

} // namespace scrivo::detail

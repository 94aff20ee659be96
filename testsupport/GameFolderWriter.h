#pragma once

#include <string>
#include <vector>

#include "gamefolder/RecordFile.h"
#include "platform/Currency.h"

namespace scrivo::test {

// A game folder written directly, seat by seat, as creation and joins leave it.
struct GameSetup {
    std::string type = "THNL";
    Currency startCash = Currency::FromWhole(1000);
    Currency smallBlind = Currency::FromWhole(5);
    Currency bigBlind = Currency::FromWhole(10);
    int bots = 0;
    std::vector<std::string> names{"Ann", "Bob"};
    // Cash per seat (index 0 = player 1); seats beyond it get startCash.
    std::vector<Currency> cash;
    std::string gameName = "Test table";
};

// Writes the game record and the seats (board first) of folder; the first
// failure, if any. Needs no test framework: the fuzz targets write with it too.
FolderStatus WriteGameRecords(const std::string& folder, const GameSetup& setup);

} // namespace scrivo::test

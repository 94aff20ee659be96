#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/Table.h"
#include "engine/TableView.h"
#include "gamefolder/Records.h"
#include "platform/Currency.h"

namespace scrivo::test {

// A table view that remembers what the engine asked of it.
class RecordingView : public TableView {
public:
    void TableOpening(const Table&) override { ++openings; }
    void SeatsLoaded(const Table&) override { ++seatLoads; }
    void ShowPlayerLabel(const std::string& text) override { playerLabel = text; }
    void UpdateTableView(const Table&) override { ++updates; }
    void ShowStatus(const std::string& text) override { statuses.push_back(text); }
    void SetStartRoundAllowed(bool allowed) override { startRoundAllowed = allowed; }
    void SetActionsEnabled(bool myTurn) override { actionsEnabled = myTurn; }
    void LogLines(const std::vector<LogLine>& lines) override
    {
        logged.insert(logged.end(), lines.begin(), lines.end());
        if (onLines) onLines(lines);
    }
    void HandEnded(const Table& table) override
    {
        ++handsEnded;
        if (onHandEnded) onHandEnded(table);
    }
    void GameEnded(const Table&) override { gameEnded = true; }
    bool DrawsSeats() const override { return drawsSeats; }

    int openings = 0;
    int seatLoads = 0;
    int updates = 0;
    int handsEnded = 0;
    bool gameEnded = false;
    bool drawsSeats = true;
    bool startRoundAllowed = false;
    bool actionsEnabled = false;
    std::string playerLabel;
    std::vector<std::string> statuses;
    std::vector<LogLine> logged;
    std::function<void(const std::vector<LogLine>&)> onLines;
    std::function<void(const Table&)> onHandEnded;
};

// A game folder written directly, seat by seat, as creation and joins leave it.
struct GameSetup {
    std::string type = "THNL";
    Currency startCash = Currency::FromWhole(1000);
    Currency smallBlind = Currency::FromWhole(5);
    Currency bigBlind = Currency::FromWhole(10);
    std::string status = "WS";
    std::string currencySymbol = "$";
    int bots = 0;
    std::vector<std::string> names{"Ann", "Bob"};
    // Cash per seat (index 0 = player 1); seats beyond it get startCash.
    std::vector<Currency> cash;
};

void WriteGameFolder(const std::string& folder, const GameSetup& setup);

// Message n becomes "[n]%|$|*", so that a test sees which message was used
// and with which arguments. Captions likewise with "{n}".
void UseNumberedLanguage();
// "[n]" followed by the arguments as FormatText would fill them.
std::string Numbered(int n, const std::string& a1 = {}, const std::string& a2 = {}, const std::string& a3 = {});

GameRecord ReadGameFile(const std::string& folder);
PlayerRecord ReadSeat(const std::string& folder, int playerNo);
void WriteSeat(const std::string& folder, int playerNo, const PlayerRecord& record);
void SetAction(const std::string& folder, int playerNo, const std::string& action);
void SetStatus(const std::string& folder, const std::string& status);
std::vector<std::string> ReadAllMessages(const std::string& folder);

// Sets the current-game globals for one client of the game in folder.
void SitAt(const std::string& folder, int playerNo, const std::string& gameType, int bots = 0);

} // namespace scrivo::test

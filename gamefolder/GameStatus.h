#pragma once

#include <array>
#include <string>
#include <string_view>

namespace scrivo {

// The status of a game as its game record holds it: two letters that every
// client of the game reads and writes, so the codes never change. A status
// compares only with another status; its letters are met only where the
// record is encoded, decoded or shown. A stored code that is none of the
// known ones is kept as it was read, so that the record still encodes back
// to its bytes; it equals no named status and is no turn.
class GameStatus {
public:
    static const GameStatus Waiting;     // "WS": created, waiting for players
    static const GameStatus StartHand;   // "GS": post the blinds and deal
    static const GameStatus PrepareHand; // "GP": clear the last hand, move the button
    static const GameStatus HandOver;    // "RE": the showdown is done
    static const GameStatus HandDone;    // "GR": waiting for the host's next Start Round
    static const GameStatus Ended;       // "GE": one player holds all the cash, or the host left

    // Two blanks: the status of a record nobody has set.
    constexpr GameStatus() = default;
    // "P1" to "P9": the player's turn; playerNo is 1 to 9.
    static GameStatus Turn(int playerNo);
    // The status whose field holds this text (UTF-8, stored as the record's
    // text fields are: Windows-1252, cut and padded to two bytes).
    static GameStatus FromText(std::string_view text);
    // The field's text, trailing blanks dropped: for showing and for tests.
    std::string Text() const;
    // The two stored bytes.
    static GameStatus FromStored(std::string_view bytes);
    std::string_view Stored() const { return {m_code.data(), m_code.size()}; }

    // The player whose turn it is, 0 when the status is no turn.
    int TurnPlayer() const;
    bool IsTurn() const { return TurnPlayer() != 0; }
    bool IsTurnOf(int playerNo) const { return IsTurn() && TurnPlayer() == playerNo; }
    // A named status or a turn.
    bool IsKnown() const;

    bool operator==(const GameStatus&) const = default;

private:
    constexpr GameStatus(char first, char second) : m_code{first, second} {}

    std::array<char, 2> m_code{' ', ' '};
};

inline constexpr GameStatus GameStatus::Waiting{'W', 'S'};
inline constexpr GameStatus GameStatus::StartHand{'G', 'S'};
inline constexpr GameStatus GameStatus::PrepareHand{'G', 'P'};
inline constexpr GameStatus GameStatus::HandOver{'R', 'E'};
inline constexpr GameStatus GameStatus::HandDone{'G', 'R'};
inline constexpr GameStatus GameStatus::Ended{'G', 'E'};

} // namespace scrivo

#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Currency.h"

namespace scrivo {

// Record lengths of the three files of a game folder. The byte layouts below
// are shared by every client of a game, on every machine: never change them.
inline constexpr int GameRecordLength = 84;
inline constexpr int PlayerRecordLength = 80;
inline constexpr int MessageRecordLength = 100;

inline constexpr const char* GameFileName = "gam.spk";
inline constexpr const char* PlayerFileName = "usr.spk";
inline constexpr const char* MessageFileName = "msg.spk";

// Widths of the text fields, in stored bytes.
inline constexpr int StatusWidth = 2;
inline constexpr int GameNameWidth = 25;
inline constexpr int GameTypeWidth = 4;
inline constexpr int CurrencySymbolWidth = 1;
inline constexpr int PlayerNameWidth = 25;
inline constexpr int ActionWidth = 15;
inline constexpr int BlindWidth = 2;
inline constexpr int CardWidth = 4;
inline constexpr int MessageWidth = 100;

inline constexpr int MaxPlayers = 9;
inline constexpr int MaxBots = 8;
// The board record is record 1 of usr.spk; player n is record n + 1.
inline constexpr int BoardPlayerNo = 0;
inline constexpr const char* BoardName = "Cheats Beware!";

// Message lines are stored rotated so that the file cannot simply be read.
// Every client must use the same count: readers undo it with 8 - count.
inline constexpr int ScrambleWriteRotation = 3;
inline constexpr int ScrambleReadRotation = 8 - ScrambleWriteRotation;

// Text fields hold UTF-8 in memory and Windows-1252 on disk. Decoding drops
// the trailing pad blanks only; encoding converts, cuts to the field width
// and pads with blanks, so a decoded record encodes back to the same bytes.
// A field that was never written holds zero bytes: it decodes to a string of
// NUL characters (ZeroText) and encodes back to zero bytes.
std::string ZeroText(int width);
bool IsZeroText(std::string_view text);

struct GameRecord {
    std::int16_t PlayerCount = 0;
    std::int16_t BotCount = 0;
    std::string Status;
    std::string GameName;
    std::string GameType;
    Currency StartCash;
    Currency Pot;
    Currency MinBet;
    Currency LastRaise;
    Currency SmallBlind;
    Currency BigBlind;
    std::string CurrencySymbol;

    bool operator==(const GameRecord&) const = default;
};

struct PlayerRecord {
    std::int16_t PlayerNo = 0;
    std::string Name;
    Currency Cash;
    Currency Bet;
    std::string Action;
    std::string Blind;
    std::string Card1;
    std::string Card2;
    std::string Card3;
    std::string Card4;
    std::string Card5;

    bool operator==(const PlayerRecord&) const = default;
};

struct MessageRecord {
    std::string Text; // the message line, unscrambled

    bool operator==(const MessageRecord&) const = default;
};

// Exact byte images. Encode always gives the record length; Decode takes the
// first record length bytes and treats missing bytes as zero.
std::string EncodeGameRecord(const GameRecord& record);
GameRecord DecodeGameRecord(std::string_view bytes);
std::string EncodePlayerRecord(const PlayerRecord& record);
PlayerRecord DecodePlayerRecord(std::string_view bytes);
// The line is cut to 100 stored bytes, padded with blanks and scrambled with
// the writing rotation; decoding unscrambles and drops the trailing blanks.
std::string EncodeMessageRecord(const MessageRecord& record);
MessageRecord DecodeMessageRecord(std::string_view bytes);

// Rotates every byte left by rotation (taken modulo 8) bits within 8 bits.
std::string ScrambleText(std::string_view bytes, int rotation);

// The board record as a new game writes it, and a seat record with the
// fields every new seat sets (cards 3 to 5 are the caller's).
PlayerRecord NewBoardRecord();
PlayerRecord NewSeatRecord(int tag, const std::string& name, Currency cash);

// Low-level field codecs, shared with the tools.
std::string EncodeText(std::string_view utf8, int width);
std::string DecodeText(std::string_view stored);

} // namespace scrivo

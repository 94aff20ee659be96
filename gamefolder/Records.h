#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "gamefolder/GameStatus.h"
#include "platform/Currency.h"

namespace scrivo {

// Record lengths of the three files of a game folder. The byte layouts below
// are shared by every client of a game, on every machine: never change them.
inline constexpr int GameRecordLength = 84;
inline constexpr int PlayerRecordLength = 80;
inline constexpr int MessageRecordLength = 100;

inline constexpr const char* GameFileName = "gam.spk";
// The host's lease: its epoch and heartbeat, and the claims of the host and
// of each seated player as locks on byte ranges (gamefolder/HostLease.h).
inline constexpr const char* HostFileName = "hst.spk";
inline constexpr const char* PlayerFileName = "usr.spk";
inline constexpr const char* MessageFileName = "msg.spk";
// A protected table's exchange: fixed records its participants sign
// (privacy/Exchange.h), appended at whole records.
inline constexpr const char* ExchangeFileName = "xch.spk";
inline constexpr int ExchangeFileRecordLength = 2048;

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
    GameStatus Status;
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

// Money limits. A new game's start cash and blinds stay at or below
// MaxCreateAmount, so that nine stacks of it and every sum a table forms
// from them (pots, bets, raises, a whole table's cash in one seat) fit a
// Currency with a wide margin. No amount in a sound record exceeds
// MaxRecordAmount: all the money of a full table in one place.
inline constexpr Currency MaxCreateAmount = Currency::FromWhole(100'000'000'000);
inline constexpr Currency MaxRecordAmount = Currency::FromWhole(100'000'000'000 * MaxPlayers);
// True for an amount a new game may be created with: above 0, at most
// MaxCreateAmount. Takes the number a create box reads as.
bool IsCreateAmount(double value);

// Checks of decoded records. Everything in a game folder is untrusted: any
// player who can write to the server directory can put anything there. A
// record is used only when its check finds nothing; otherwise the text says
// what is damaged (for a message) and the record is not played.
//
// The game record: PlayerCount 1..9, BotCount 0..8, a known status ("P" and
// a seated player's number for a turn), a known game type, start cash and
// blinds above 0 and within the create limit, the other amounts 0 to
// MaxRecordAmount.
std::optional<std::string> CheckGameRecord(const GameRecord& record);
// A record of usr.spk: playerNo is BoardPlayerNo for the board, 1..9 for a
// seat. Cash and Bet 0 to MaxRecordAmount, cards blank, never written or
// valid card text; for a seat also a known Action code (a request's amount
// is the host's to judge when it processes it) and Blind "SB", "BB" or blank.
std::optional<std::string> CheckPlayerRecord(const PlayerRecord& record, int playerNo);
// PlayerCount against the records of usr.spk (board included). Right after
// a join the count can lead the new seat's record for a moment, so a caller
// that finds this should look again on its next tick before calling it
// damage.
std::optional<std::string> CheckSeatRecords(const GameRecord& record, std::int64_t playerFileRecords);
// True for the status codes a game record may hold.
bool IsKnownStatus(GameStatus status, int playerCount);

// Low-level field codecs, shared with the tools.
std::string EncodeText(std::string_view utf8, int width);
std::string DecodeText(std::string_view stored);

} // namespace scrivo

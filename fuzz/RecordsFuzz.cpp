// The three record decoders: any bytes decode, encode back to the very same
// bytes, and whatever the checks let through can be added up and shown.
#include <string>

#include "cards/Card.h"
#include "engine/FormatCash.h"
#include "fuzz/FuzzSupport.h"
#include "gamefolder/Records.h"
#include "platform/Text.h"

namespace scrivo::fuzz {

namespace {

std::string Padded(const std::uint8_t* data, std::size_t size, std::size_t length, char pad)
{
    std::string bytes(reinterpret_cast<const char*>(data), size < length ? size : length);
    bytes.resize(length, pad);
    return bytes;
}

void RequireAmountShown(Currency amount)
{
    Require(Currency::Parse(amount.ToString()) == amount, "an amount's text reads back as the amount");
    const std::string shown = FormatCash(amount, "");
    Require(!shown.empty() && Currency::Parse(shown).has_value(), "FormatCash gives a number");
}

bool InRange(Currency amount, Currency low, Currency high)
{
    return amount >= low && amount <= high;
}

} // namespace

void GameRecordBody(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes = Padded(data, size, GameRecordLength, '\0');
    const GameRecord g = DecodeGameRecord(bytes);
    Require(EncodeGameRecord(g) == bytes, "a game record encodes back to its bytes");
    Require(DecodeGameRecord(EncodeGameRecord(g)) == g, "a decoded game record decodes the same again");

    for (Currency c : {g.StartCash, g.Pot, g.MinBet, g.LastRaise, g.SmallBlind, g.BigBlind})
        RequireAmountShown(c);
    if (CheckGameRecord(g)) return;

    // Sound: the fields are what the table may use without looking again.
    Require(g.PlayerCount >= 1 && g.PlayerCount <= MaxPlayers, "a sound PlayerCount is a seat count");
    Require(g.BotCount >= 0 && g.BotCount <= MaxBots, "a sound BotCount");
    Require(IsKnownStatus(g.Status, g.PlayerCount), "a sound status is known");
    Require(g.Status.TurnPlayer() <= g.PlayerCount, "the turn is a seated player's");
    const Currency tiny = Currency::FromRaw(1);
    for (Currency c : {g.StartCash, g.SmallBlind, g.BigBlind})
        Require(InRange(c, tiny, MaxCreateAmount), "stakes within the create limit");
    for (Currency c : {g.Pot, g.MinBet, g.LastRaise})
        Require(InRange(c, Currency(), MaxRecordAmount), "table amounts within the limit");
    // Every stack and every sum of them fits: nine stacks, each won nine times over.
    Require(Currency::CheckedMul(g.StartCash, MaxPlayers * MaxPlayers).has_value(), "stacks add up");
    Require(Currency::CheckedAdd(g.Pot, g.MinBet * MaxPlayers).has_value(), "pots add up");
    Require(CheckSeatRecords(g, g.PlayerCount + 1) == std::nullopt, "all seats present is sound");
    Require(CheckSeatRecords(g, g.PlayerCount).has_value(), "a missing seat is found");
}

void PlayerRecordBody(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes = Padded(data, size, PlayerRecordLength, '\0');
    // The byte after the record picks the seat it is read for.
    const int playerNo = size > PlayerRecordLength ? static_cast<int>(data[PlayerRecordLength] % 12) - 1 : 1;
    const PlayerRecord p = DecodePlayerRecord(bytes);
    Require(EncodePlayerRecord(p) == bytes, "a player record encodes back to its bytes");
    Require(DecodePlayerRecord(EncodePlayerRecord(p)) == p, "a decoded player record decodes the same again");
    RequireAmountShown(p.Cash);
    RequireAmountShown(p.Bet);
    if (CheckPlayerRecord(p, playerNo)) return;

    Require(playerNo >= BoardPlayerNo && playerNo <= MaxPlayers, "a sound record belongs to a seat");
    Require(InRange(p.Cash, Currency(), MaxRecordAmount) && InRange(p.Bet, Currency(), MaxRecordAmount),
            "sound money is within the limit");
    // Nine seats' cash and bets, and a pot of all of it, fit.
    Currency total;
    for (int seat = 0; seat < MaxPlayers; ++seat)
        total = total + p.Cash + p.Bet;
    Require(Currency::CheckedAdd(total, total).has_value(), "a table of such seats adds up");
    for (const std::string* card : {&p.Card1, &p.Card2, &p.Card3, &p.Card4, &p.Card5}) {
        if (IsZeroText(*card) || Trim(*card).empty()) continue;
        const CardParseResult parsed = ParseCard(*card);
        Require(parsed.ok && IsValidCard(parsed.card), "a sound card is a card");
    }
    if (playerNo != BoardPlayerNo && !IsZeroText(p.Action))
        Require(!Trim(p.Action).empty(), "a sound seat has an action");
}

void MessageRecordBody(const std::uint8_t* data, std::size_t size)
{
    Input in(data, size);
    const int rotation = in.Byte();
    const std::string rest = in.Rest();

    // Any 100 bytes are a message record (padded with what a blank scrambles to).
    const std::string blank = ScrambleText(" ", ScrambleWriteRotation);
    std::string stored = rest.substr(0, MessageRecordLength);
    stored.resize(MessageRecordLength, blank[0]);
    const MessageRecord m = DecodeMessageRecord(stored);
    Require(m.Text.empty() || m.Text.back() != ' ', "a message line has no trailing blanks");
    Require(EncodeMessageRecord(m) == stored, "a message record encodes back to its bytes");

    // Any text as a line: what comes back is what a reader gets, and stays so.
    const std::string text = Cp1252ToUtf8(rest);
    const MessageRecord once = DecodeMessageRecord(EncodeMessageRecord(MessageRecord{text}));
    Require(DecodeMessageRecord(EncodeMessageRecord(once)) == once, "a line read back is stable");
    Require(text.rfind(once.Text, 0) == 0, "a line read back is the start of the line sent");

    Require(ScrambleText(ScrambleText(rest, rotation), 8 - rotation % 8) == rest, "scrambling undoes itself");
}

} // namespace scrivo::fuzz

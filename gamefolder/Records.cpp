#include "gamefolder/Records.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "cards/Card.h"
#include "platform/Text.h"

namespace scrivo {

namespace {

// Windows-1252 leaves five bytes unassigned; Cp1252ToUtf8 gives them as the
// control code points of the same value. Keeping them as raw bytes lets a
// record with any byte values go through a read-modify-write unchanged.
bool IsUnassignedCp1252(unsigned char b)
{
    return b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
}

std::string ToStored(std::string_view utf8)
{
    std::string prepared;
    prepared.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c == 0xC2 && i + 1 < utf8.size() && IsUnassignedCp1252(static_cast<unsigned char>(utf8[i + 1]))) {
            prepared += utf8[i + 1]; // a stray byte is kept as it is
            ++i;
        } else {
            prepared += utf8[i];
        }
    }
    return Utf8ToCp1252(prepared);
}

// The byte layout of each record, written once: the fields in stored
// order with their widths. A Writer encodes a record through it and a
// Reader decodes one, so the two can never disagree.
template <typename Codec, typename Record> void GameLayout(Codec& c, Record& r)
{
    c.Int16(r.PlayerCount);
    c.Int16(r.BotCount);
    c.Status(r.Status);
    c.Text(r.GameName, GameNameWidth);
    c.Text(r.GameType, GameTypeWidth);
    c.Money(r.StartCash);
    c.Money(r.Pot);
    c.Money(r.MinBet);
    c.Money(r.LastRaise);
    c.Money(r.SmallBlind);
    c.Money(r.BigBlind);
    c.Text(r.CurrencySymbol, CurrencySymbolWidth);
}

template <typename Codec, typename Record> void PlayerLayout(Codec& c, Record& r)
{
    c.Int16(r.PlayerNo);
    c.Text(r.Name, PlayerNameWidth);
    c.Money(r.Cash);
    c.Money(r.Bet);
    c.Text(r.Action, ActionWidth);
    c.Text(r.Blind, BlindWidth);
    c.Text(r.Card1, CardWidth);
    c.Text(r.Card2, CardWidth);
    c.Text(r.Card3, CardWidth);
    c.Text(r.Card4, CardWidth);
    c.Text(r.Card5, CardWidth);
}

// Little-endian integers and money, text in its field width.
class Writer {
public:
    explicit Writer(std::size_t length) : m_bytes(length, '\0') {}
    void Int16(std::int16_t v)
    {
        const auto u = static_cast<std::uint16_t>(v);
        m_bytes[m_pos++] = static_cast<char>(u & 0xFF);
        m_bytes[m_pos++] = static_cast<char>(u >> 8);
    }
    void Money(Currency c)
    {
        auto u = static_cast<std::uint64_t>(c.Raw());
        for (int i = 0; i < 8; ++i) {
            m_bytes[m_pos++] = static_cast<char>(u & 0xFF);
            u >>= 8;
        }
    }
    void Text(std::string_view utf8, int width)
    {
        const std::string stored = EncodeText(utf8, width);
        std::memcpy(m_bytes.data() + m_pos, stored.data(), stored.size());
        m_pos += stored.size();
    }
    void Status(GameStatus status)
    {
        std::memcpy(m_bytes.data() + m_pos, status.Stored().data(), StatusWidth);
        m_pos += StatusWidth;
    }
    std::string Take()
    {
        assert(m_pos == m_bytes.size() && "a layout that does not fill its record");
        return std::move(m_bytes);
    }

private:
    std::string m_bytes;
    std::size_t m_pos = 0;
};

class Reader {
public:
    Reader(std::string_view bytes, std::size_t length) : m_bytes(bytes.substr(0, length))
    {
        m_bytes.resize(length, '\0');
    }
    void Int16(std::int16_t& v)
    {
        const auto lo = static_cast<unsigned char>(m_bytes[m_pos]);
        const auto hi = static_cast<unsigned char>(m_bytes[m_pos + 1]);
        m_pos += 2;
        v = static_cast<std::int16_t>(static_cast<std::uint16_t>(lo | (hi << 8)));
    }
    void Money(Currency& c)
    {
        std::uint64_t u = 0;
        for (int i = 7; i >= 0; --i)
            u = (u << 8) | static_cast<unsigned char>(m_bytes[m_pos + i]);
        m_pos += 8;
        c = Currency::FromRaw(static_cast<std::int64_t>(u));
    }
    void Text(std::string& text, int width)
    {
        const std::string_view field =
            std::string_view(m_bytes).substr(m_pos, static_cast<std::size_t>(width));
        m_pos += static_cast<std::size_t>(width);
        text = DecodeText(field);
    }
    void Status(GameStatus& status)
    {
        status = GameStatus::FromStored(std::string_view(m_bytes).substr(m_pos, StatusWidth));
        m_pos += StatusWidth;
    }

private:
    std::string m_bytes;
    std::size_t m_pos = 0;
};

template <typename Record, typename Layout> std::string Encode(const Record& r, int length, Layout layout)
{
    Writer w(static_cast<std::size_t>(length));
    layout(w, r);
    return w.Take();
}

template <typename Record, typename Layout> Record Decode(std::string_view bytes, int length, Layout layout)
{
    Reader rd(bytes, static_cast<std::size_t>(length));
    Record r;
    layout(rd, r);
    return r;
}

std::string Quoted(std::string_view text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7F) {
            static constexpr char hex[] = "0123456789ABCDEF";
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 0xF];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

bool IsBlankOrZero(std::string_view text)
{
    return IsZeroText(text) || Trim(text).empty();
}

std::optional<std::string> CheckAmount(const char* field, Currency amount, Currency low, Currency high)
{
    if (amount >= low && amount <= high) return std::nullopt;
    return std::string(field) + " " + amount.ToString() + " outside " + low.ToString() + ".." +
           high.ToString();
}

std::optional<std::string> CheckCard(const char* field, const std::string& text)
{
    if (IsBlankOrZero(text) || ParseCard(text).ok) return std::nullopt;
    return std::string(field) + " " + Quoted(text) + " is not a card";
}

} // namespace

bool IsCreateAmount(double value)
{
    return value > 0 && value <= MaxCreateAmount.ToDouble();
}

bool IsKnownStatus(GameStatus status, int playerCount)
{
    return status.IsKnown() && status.TurnPlayer() <= playerCount;
}

std::optional<std::string> CheckGameRecord(const GameRecord& r)
{
    if (r.PlayerCount < 1 || r.PlayerCount > MaxPlayers)
        return "PlayerCount " + std::to_string(r.PlayerCount) + " outside 1.." + std::to_string(MaxPlayers);
    if (r.BotCount < 0 || r.BotCount > MaxBots)
        return "BotCount " + std::to_string(r.BotCount) + " outside 0.." + std::to_string(MaxBots);
    if (!IsKnownStatus(r.Status, r.PlayerCount))
        return "Status " + Quoted(r.Status.Text()) + " is not a status";
    if (r.GameType != "THLI" && r.GameType != "THPL" && r.GameType != "THNL")
        return "GameType " + Quoted(r.GameType) + " is not a game type";
    const Currency tiny = Currency::FromRaw(1);
    for (auto [field, amount] : {std::pair{"StartCash", r.StartCash}, std::pair{"SmallBlind", r.SmallBlind},
                                 std::pair{"BigBlind", r.BigBlind}})
        if (auto bad = CheckAmount(field, amount, tiny, MaxCreateAmount)) return bad;
    for (auto [field, amount] :
         {std::pair{"Pot", r.Pot}, std::pair{"MinBet", r.MinBet}, std::pair{"LastRaise", r.LastRaise}})
        if (auto bad = CheckAmount(field, amount, Currency(), MaxRecordAmount)) return bad;
    return std::nullopt;
}

std::optional<std::string> CheckPlayerRecord(const PlayerRecord& r, int playerNo)
{
    if (playerNo < BoardPlayerNo || playerNo > MaxPlayers)
        return "player " + std::to_string(playerNo) + " outside 1.." + std::to_string(MaxPlayers);
    if (auto bad = CheckAmount("Cash", r.Cash, Currency(), MaxRecordAmount)) return bad;
    if (auto bad = CheckAmount("Bet", r.Bet, Currency(), MaxRecordAmount)) return bad;
    for (auto [field, card] :
         {std::pair{"Card1", &r.Card1}, std::pair{"Card2", &r.Card2}, std::pair{"Card3", &r.Card3},
          std::pair{"Card4", &r.Card4}, std::pair{"Card5", &r.Card5}})
        if (auto bad = CheckCard(field, *card)) return bad;
    if (playerNo == BoardPlayerNo) return std::nullopt; // its other fields are never read
    const std::string action = Trim(r.Action);
    if (!IsZeroText(r.Action) &&
        (action.empty() || std::string_view("-CRFXADO").find(action[0]) == std::string_view::npos))
        return "Action " + Quoted(r.Action) + " is not an action";
    const std::string blind = Trim(r.Blind);
    if (!IsZeroText(r.Blind) && !blind.empty() && blind != "SB" && blind != "BB")
        return "Blind " + Quoted(r.Blind) + " is not a blind";
    return std::nullopt;
}

std::optional<std::string> CheckSeatRecords(const GameRecord& r, std::int64_t playerFileRecords)
{
    if (playerFileRecords >= static_cast<std::int64_t>(r.PlayerCount) + 1) return std::nullopt;
    return "PlayerCount " + std::to_string(r.PlayerCount) + " but " +
           std::to_string(playerFileRecords < 1 ? 0 : playerFileRecords - 1) + " seat records";
}

std::string ZeroText(int width)
{
    return std::string(static_cast<std::size_t>(width), '\0');
}

bool IsZeroText(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c == '\0'; });
}

std::string EncodeText(std::string_view utf8, int width)
{
    const auto w = static_cast<std::size_t>(width);
    std::string stored = ToStored(utf8);
    if (stored.size() > w) stored.resize(w);
    stored.resize(w, ' ');
    return stored;
}

std::string DecodeText(std::string_view stored)
{
    return Cp1252ToUtf8(TrimRight(stored));
}

std::string EncodeGameRecord(const GameRecord& r)
{
    return Encode(r, GameRecordLength, [](auto& c, auto& f) { GameLayout(c, f); });
}

GameRecord DecodeGameRecord(std::string_view bytes)
{
    return Decode<GameRecord>(bytes, GameRecordLength, [](auto& c, auto& f) { GameLayout(c, f); });
}

std::string EncodePlayerRecord(const PlayerRecord& r)
{
    return Encode(r, PlayerRecordLength, [](auto& c, auto& f) { PlayerLayout(c, f); });
}

PlayerRecord DecodePlayerRecord(std::string_view bytes)
{
    return Decode<PlayerRecord>(bytes, PlayerRecordLength, [](auto& c, auto& f) { PlayerLayout(c, f); });
}

std::string EncodeMessageRecord(const MessageRecord& r)
{
    return ScrambleText(EncodeText(r.Text, MessageWidth), ScrambleWriteRotation);
}

MessageRecord DecodeMessageRecord(std::string_view bytes)
{
    std::string stored(bytes.substr(0, MessageRecordLength));
    stored.resize(MessageRecordLength, ' ');
    return MessageRecord{DecodeText(ScrambleText(stored, ScrambleReadRotation))};
}

std::string ScrambleText(std::string_view bytes, int rotation)
{
    const int k = ((rotation % 8) + 8) % 8;
    std::string out(bytes);
    for (auto& ch : out) {
        const unsigned c = static_cast<unsigned char>(ch);
        ch = static_cast<char>(((c << k) | (c >> (8 - k))) & 0xFF);
    }
    return out;
}

PlayerRecord NewBoardRecord()
{
    PlayerRecord r;
    r.PlayerNo = 1;
    r.Name = BoardName;
    r.Action = ZeroText(ActionWidth);
    r.Blind = ZeroText(BlindWidth);
    // Cards blank-filled: the empty strings encode as blanks.
    return r;
}

PlayerRecord NewSeatRecord(int tag, const std::string& name, Currency cash)
{
    PlayerRecord r;
    r.PlayerNo = static_cast<std::int16_t>(tag);
    r.Name = name;
    r.Cash = cash;
    r.Action = "-";
    r.Card3 = r.Card4 = r.Card5 = ZeroText(CardWidth);
    return r;
}

} // namespace scrivo

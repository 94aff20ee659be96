#include "gamefolder/Records.h"

#include <algorithm>
#include <cstring>

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
    std::string Take() { return std::move(m_bytes); }

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
    std::int16_t Int16()
    {
        const auto lo = static_cast<unsigned char>(m_bytes[m_pos]);
        const auto hi = static_cast<unsigned char>(m_bytes[m_pos + 1]);
        m_pos += 2;
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(lo | (hi << 8)));
    }
    Currency Money()
    {
        std::uint64_t u = 0;
        for (int i = 7; i >= 0; --i)
            u = (u << 8) | static_cast<unsigned char>(m_bytes[m_pos + i]);
        m_pos += 8;
        return Currency::FromRaw(static_cast<std::int64_t>(u));
    }
    std::string Text(int width)
    {
        const std::string_view field =
            std::string_view(m_bytes).substr(m_pos, static_cast<std::size_t>(width));
        m_pos += static_cast<std::size_t>(width);
        return DecodeText(field);
    }

private:
    std::string m_bytes;
    std::size_t m_pos = 0;
};

} // namespace

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
    Writer w(GameRecordLength);
    w.Int16(r.PlayerCount);
    w.Int16(r.BotCount);
    w.Text(r.Status, StatusWidth);
    w.Text(r.GameName, GameNameWidth);
    w.Text(r.GameType, GameTypeWidth);
    w.Money(r.StartCash);
    w.Money(r.Pot);
    w.Money(r.MinBet);
    w.Money(r.LastRaise);
    w.Money(r.SmallBlind);
    w.Money(r.BigBlind);
    w.Text(r.CurrencySymbol, CurrencySymbolWidth);
    return w.Take();
}

GameRecord DecodeGameRecord(std::string_view bytes)
{
    Reader rd(bytes, GameRecordLength);
    GameRecord r;
    r.PlayerCount = rd.Int16();
    r.BotCount = rd.Int16();
    r.Status = rd.Text(StatusWidth);
    r.GameName = rd.Text(GameNameWidth);
    r.GameType = rd.Text(GameTypeWidth);
    r.StartCash = rd.Money();
    r.Pot = rd.Money();
    r.MinBet = rd.Money();
    r.LastRaise = rd.Money();
    r.SmallBlind = rd.Money();
    r.BigBlind = rd.Money();
    r.CurrencySymbol = rd.Text(CurrencySymbolWidth);
    return r;
}

std::string EncodePlayerRecord(const PlayerRecord& r)
{
    Writer w(PlayerRecordLength);
    w.Int16(r.PlayerNo);
    w.Text(r.Name, PlayerNameWidth);
    w.Money(r.Cash);
    w.Money(r.Bet);
    w.Text(r.Action, ActionWidth);
    w.Text(r.Blind, BlindWidth);
    w.Text(r.Card1, CardWidth);
    w.Text(r.Card2, CardWidth);
    w.Text(r.Card3, CardWidth);
    w.Text(r.Card4, CardWidth);
    w.Text(r.Card5, CardWidth);
    return w.Take();
}

PlayerRecord DecodePlayerRecord(std::string_view bytes)
{
    Reader rd(bytes, PlayerRecordLength);
    PlayerRecord r;
    r.PlayerNo = rd.Int16();
    r.Name = rd.Text(PlayerNameWidth);
    r.Cash = rd.Money();
    r.Bet = rd.Money();
    r.Action = rd.Text(ActionWidth);
    r.Blind = rd.Text(BlindWidth);
    r.Card1 = rd.Text(CardWidth);
    r.Card2 = rd.Text(CardWidth);
    r.Card3 = rd.Text(CardWidth);
    r.Card4 = rd.Text(CardWidth);
    r.Card5 = rd.Text(CardWidth);
    return r;
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

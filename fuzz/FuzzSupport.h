#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/MessageBox.h"

namespace scrivo::fuzz {

// What a careful player answers any question: Ok, No, or Cancel.
MsgAnswer CautiousAnswer(MsgButtons buttons);

// A property that does not hold. The bodies never catch it: libFuzzer stops
// on it as on a crash, and the corpus replay reports it with the input.
class PropertyFailure : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

inline void Require(bool holds, const char* what)
{
    if (!holds) throw PropertyFailure(what);
}

// One fuzz target: a name (its corpus folder) and its body.
using Body = void (*)(const std::uint8_t* data, std::size_t size);
struct Target {
    const char* name;
    Body body;
};
const std::vector<Target>& Targets();

void GameRecordBody(const std::uint8_t* data, std::size_t size);
void PlayerRecordBody(const std::uint8_t* data, std::size_t size);
void MessageRecordBody(const std::uint8_t* data, std::size_t size);
void MessageFileBody(const std::uint8_t* data, std::size_t size);
void IniBody(const std::uint8_t* data, std::size_t size);
void LanguageBody(const std::uint8_t* data, std::size_t size);
void CardTextBody(const std::uint8_t* data, std::size_t size);
void MoneyBody(const std::uint8_t* data, std::size_t size);
void TableBody(const std::uint8_t* data, std::size_t size);
void ExchangeBody(const std::uint8_t* data, std::size_t size);

// The input taken apart piece by piece; an exhausted input gives zeros and
// empty strings.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : m_bytes(reinterpret_cast<const char*>(data), size) {}
    std::uint8_t Byte();
    std::uint64_t U64();
    // A piece of text up to the next separator byte (0xFF), or the rest.
    std::string Piece();
    std::string Rest();
    bool Empty() const { return m_pos >= m_bytes.size(); }

private:
    std::string_view m_bytes;
    std::size_t m_pos = 0;
};

// Messages go nowhere: the cautious answer, nothing printed.
void QuietMessages();
// A private folder for targets that work on files, on a memory file system
// where there is one; removed when the process ends.
const std::string& ScratchFolder();
void WriteFile(const std::string& path, std::string_view bytes);

} // namespace scrivo::fuzz

#include "fuzz/FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "platform/MessageBox.h"

namespace scrivo::fuzz {

namespace {

class QuietBox final : public MessageBoxService {
public:
    MsgAnswer Show(const MessageBoxRequest& request) override { return CautiousAnswer(request.buttons); }
};

std::string MakeScratch()
{
    std::string base = "/tmp";
    if (const char* tmp = std::getenv("TMPDIR"); tmp && *tmp) base = tmp;
    if (::access("/dev/shm", W_OK) == 0) base = "/dev/shm";
    std::string path = base + "/scrivo-fuzz-XXXXXX";
    if (!::mkdtemp(path.data())) {
        std::perror("scrivo fuzz: no scratch folder");
        std::abort();
    }
    static std::string removeAtExit;
    removeAtExit = path;
    std::atexit([] {
        std::error_code ec;
        std::filesystem::remove_all(removeAtExit, ec);
    });
    return path;
}

} // namespace

MsgAnswer CautiousAnswer(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::Ok:
        return MsgAnswer::Ok;
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel:
        return MsgAnswer::No;
    default:
        return MsgAnswer::Cancel;
    }
}

const std::vector<Target>& Targets()
{
    static const std::vector<Target> all{
        {"game_record", GameRecordBody},
        {"player_record", PlayerRecordBody},
        {"message_record", MessageRecordBody},
        {"message_file", MessageFileBody},
        {"ini", IniBody},
        {"language", LanguageBody},
        {"card_text", CardTextBody},
        {"money", MoneyBody},
        {"table", TableBody},
        {"exchange", ExchangeBody},
    };
    return all;
}

std::uint8_t Input::Byte()
{
    return m_pos < m_bytes.size() ? static_cast<std::uint8_t>(m_bytes[m_pos++]) : 0;
}

std::uint64_t Input::U64()
{
    std::uint64_t v = 0;
    for (int i = 0; i < 8; ++i)
        v = (v << 8) | Byte();
    return v;
}

std::string Input::Piece()
{
    if (m_pos >= m_bytes.size()) return {};
    const std::size_t end = m_bytes.find('\xFF', m_pos);
    const std::size_t stop = end == std::string_view::npos ? m_bytes.size() : end;
    std::string piece(m_bytes.substr(m_pos, stop - m_pos));
    m_pos = end == std::string_view::npos ? m_bytes.size() : end + 1;
    return piece;
}

std::string Input::Rest()
{
    std::string rest(m_pos < m_bytes.size() ? m_bytes.substr(m_pos) : std::string_view());
    m_pos = m_bytes.size();
    return rest;
}

void QuietMessages()
{
    static QuietBox box;
    SetMessageBoxService(&box);
}

const std::string& ScratchFolder()
{
    static const std::string path = MakeScratch();
    return path;
}

void WriteFile(const std::string& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    Require(static_cast<bool>(out), "the scratch file can be written");
}

} // namespace scrivo::fuzz

#include "gamefolder/TableOptions.h"

#include <fcntl.h>

#include <cerrno>

#include "platform/FileOps.h"
#include "platform/Paths.h"

namespace scrivo {

namespace {

constexpr std::string_view RulesKey = "Rules=";
// More than the file ever holds: a planted large file is not read through.
constexpr std::size_t LargestOptionsFile = 256;

} // namespace

std::optional<HandRules> ParseRules(std::string_view text)
{
    if (text == "standard" || text == "Standard") return HandRules::Standard;
    if (text == "classic" || text == "Classic") return HandRules::Classic;
    return std::nullopt;
}

std::string OptionsFilePath(const std::string& folder)
{
    return JoinPath(folder, OptionsFileName);
}

bool WriteTableOptions(const std::string& folder, HandRules rules)
{
    FileOps& ops = CurrentFileOps();
    const std::string text = std::string(RulesKey) + std::string(RulesName(rules)) + "\n";
    const int fd =
        OpenShared(ops, OptionsFilePath(folder), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    const long long written = ops.WriteAt(fd, text.data(), text.size(), 0);
    const int error = errno;
    ops.Close(fd);
    errno = error;
    return written == static_cast<long long>(text.size());
}

HandRules ReadTableRules(const std::string& folder)
{
    FileOps& ops = CurrentFileOps();
    const int fd = ops.Open(OptionsFilePath(folder), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0);
    if (fd < 0) return HandRules::Classic;
    FileStat st;
    char buffer[LargestOptionsFile] = {};
    long long got = -1;
    if (ops.Fstat(fd, st) == 0 && st.IsRegular()) got = ops.ReadAt(fd, buffer, sizeof buffer, 0);
    ops.Close(fd);
    if (got <= 0) return HandRules::Classic;
    std::string_view text(buffer, static_cast<std::size_t>(got));
    const std::size_t at = text.find(RulesKey);
    if (at == std::string_view::npos) return HandRules::Classic;
    text = text.substr(at + RulesKey.size());
    text = text.substr(0, text.find_first_of("\r\n"));
    return ParseRules(text).value_or(HandRules::Classic);
}

} // namespace scrivo

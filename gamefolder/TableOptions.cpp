#include "gamefolder/TableOptions.h"

#include <fcntl.h>

#include <cerrno>

#include "platform/FileOps.h"
#include "platform/Paths.h"

namespace scrivo {

namespace {

constexpr std::string_view RulesKey = "Rules=";
constexpr std::string_view ProtectedKey = "Protected=";
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

bool WriteTableOptions(const std::string& folder, const TableOptions& options)
{
    FileOps& ops = CurrentFileOps();
    std::string text = std::string(RulesKey) + std::string(RulesName(options.rules)) + "\n";
    if (options.protectedTable) text += std::string(ProtectedKey) + "yes\n";
    const int fd =
        OpenShared(ops, OptionsFilePath(folder), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    const long long written = ops.WriteAt(fd, text.data(), text.size(), 0);
    const int error = errno;
    ops.Close(fd);
    errno = error;
    return written == static_cast<long long>(text.size());
}

namespace {

// The value of key up to the line's end; none when the key is missing.
std::optional<std::string_view> ValueOf(std::string_view text, std::string_view key)
{
    std::size_t at = text.find(key);
    // A key starts a line.
    while (at != std::string_view::npos && at > 0 && text[at - 1] != '\n')
        at = text.find(key, at + 1);
    if (at == std::string_view::npos) return std::nullopt;
    text = text.substr(at + key.size());
    return text.substr(0, text.find_first_of("\r\n"));
}

} // namespace

TableOptions ReadTableOptions(const std::string& folder)
{
    TableOptions options;
    FileOps& ops = CurrentFileOps();
    const int fd = ops.Open(OptionsFilePath(folder), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0);
    if (fd < 0) return options;
    FileStat st;
    char buffer[LargestOptionsFile] = {};
    long long got = -1;
    if (ops.Fstat(fd, st) == 0 && st.IsRegular()) got = ops.ReadAt(fd, buffer, sizeof buffer, 0);
    ops.Close(fd);
    if (got <= 0) return options;
    const std::string_view text(buffer, static_cast<std::size_t>(got));
    if (const auto rules = ValueOf(text, RulesKey))
        options.rules = ParseRules(*rules).value_or(HandRules::Classic);
    if (const auto value = ValueOf(text, ProtectedKey)) options.protectedTable = *value == "yes";
    return options;
}

} // namespace scrivo

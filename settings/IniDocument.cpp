#include "settings/IniDocument.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/FileOps.h"
#include "platform/Text.h"

namespace scrivo {

namespace {

constexpr std::size_t npos = static_cast<std::size_t>(-1);

std::string Decode(std::string_view raw)
{
    return IsValidUtf8(raw) ? std::string(raw) : Cp1252ToUtf8(raw);
}

std::string TrimBlanks(std::string_view s)
{
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return std::string(s);
}

std::string ErrnoText(int err)
{
    return std::strerror(err);
}

bool WriteAll(FileOps& ops, int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const long long n =
            ops.WriteAt(fd, bytes.data() + done, bytes.size() - done, static_cast<std::int64_t>(done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return errno = ENOSPC, false; // no progress and no reason: a full disk
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// A new file beside target that nobody else has made: its name carries the
// process id and a number tried until one is free.
int CreateTemporary(FileOps& ops, const std::string& target, std::string& tmp)
{
    for (int n = 0; n < 100; ++n) {
        tmp = target + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(n);
        const int fd = ops.Open(tmp, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

std::string ParentFolder(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

} // namespace

IniResult IniDocument::Load(const std::string& path)
{
    m_lines.clear();
    IniResult result;
    FileOps& ops = CurrentFileOps();
    const int fd = ops.Open(path, O_RDONLY | O_CLOEXEC, 0);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return result; // no file: no settings yet
        result.ok = false;
        result.error = ErrnoText(errno);
        return result;
    }
    std::string bytes;
    char buf[65536];
    for (;;) {
        const long long n = ops.ReadAt(fd, buf, sizeof buf, static_cast<std::int64_t>(bytes.size()));
        if (n < 0) {
            if (errno == EINTR) continue;
            result.ok = false;
            result.error = ErrnoText(errno);
            ops.Close(fd);
            return result;
        }
        if (n == 0) break;
        bytes.append(buf, static_cast<std::size_t>(n));
    }
    ops.Close(fd);
    Parse(bytes);
    return result;
}

void IniDocument::Parse(std::string_view bytes)
{
    m_lines.clear();
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t lf = bytes.find('\n', start);
        if (lf == std::string_view::npos) {
            m_lines.push_back(ParseLine(std::string(bytes.substr(start)), ""));
            break;
        }
        const bool crlf = lf > start && bytes[lf - 1] == '\r';
        const std::size_t end = crlf ? lf - 1 : lf;
        m_lines.push_back(ParseLine(std::string(bytes.substr(start, end - start)), crlf ? "\r\n" : "\n"));
        start = lf + 1;
    }
}

IniDocument::Line IniDocument::ParseLine(std::string raw, std::string eol)
{
    Line line;
    line.raw = std::move(raw);
    line.eol = std::move(eol);
    std::string text = Decode(line.raw);
    if (line.raw.size() >= 3 && line.raw.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    const std::string trimmed = TrimBlanks(text);
    if (trimmed.empty() || trimmed[0] == ';' || trimmed[0] == '#') return line;
    if (trimmed[0] == '[') {
        const auto close = trimmed.find(']');
        line.kind = Kind::Section;
        line.name = TrimBlanks(
            std::string_view(trimmed).substr(1, close == std::string::npos ? std::string::npos : close - 1));
        return line;
    }
    const auto eq = trimmed.find('=');
    if (eq == std::string::npos) return line;
    line.kind = Kind::Entry;
    line.name = TrimBlanks(std::string_view(trimmed).substr(0, eq));
    std::string value = TrimBlanks(std::string_view(trimmed).substr(eq + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    line.value = std::move(value);
    return line;
}

std::size_t IniDocument::FindSection(std::string_view section) const
{
    for (std::size_t i = 0; i < m_lines.size(); ++i)
        if (m_lines[i].kind == Kind::Section && EqualsNoCase(m_lines[i].name, section)) return i;
    return npos;
}

std::size_t IniDocument::SectionEnd(std::size_t header) const
{
    std::size_t i = header + 1;
    while (i < m_lines.size() && m_lines[i].kind != Kind::Section)
        ++i;
    return i;
}

std::size_t IniDocument::FindEntry(std::size_t header, std::string_view key) const
{
    const std::size_t end = SectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i)
        if (m_lines[i].kind == Kind::Entry && EqualsNoCase(m_lines[i].name, key)) return i;
    return npos;
}

std::optional<std::string> IniDocument::Get(std::string_view section, std::string_view key) const
{
    const std::size_t header = FindSection(section);
    if (header == npos) return std::nullopt;
    const std::size_t entry = FindEntry(header, key);
    if (entry == npos) return std::nullopt;
    return m_lines[entry].value;
}

std::vector<std::string> IniDocument::KeyNames(std::string_view section) const
{
    std::vector<std::string> names;
    const std::size_t header = FindSection(section);
    if (header == npos) return names;
    const std::size_t end = SectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i)
        if (m_lines[i].kind == Kind::Entry) names.push_back(m_lines[i].name);
    return names;
}

std::vector<std::string> IniDocument::SectionNames() const
{
    std::vector<std::string> names;
    for (const auto& line : m_lines)
        if (line.kind == Kind::Section) names.push_back(line.name);
    return names;
}

std::string IniDocument::NewLineBreak() const
{
    for (const auto& line : m_lines)
        if (!line.eol.empty()) return line.eol;
    return "\n";
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value)
{
    const std::string eol = NewLineBreak();
    std::string entryText = std::string(key) + "=" + std::string(value);
    std::size_t header = FindSection(section);
    if (header == npos) {
        if (!m_lines.empty()) {
            if (m_lines.back().eol.empty()) m_lines.back().eol = eol;
            if (!TrimBlanks(Decode(m_lines.back().raw)).empty()) m_lines.push_back(ParseLine("", eol));
        }
        std::string headerText;
        headerText.reserve(section.size() + 2);
        headerText.append(1, '[').append(section).append(1, ']');
        m_lines.push_back(ParseLine(std::move(headerText), eol));
        m_lines.push_back(ParseLine(entryText, eol));
        return;
    }
    const std::size_t entry = FindEntry(header, key);
    if (entry != npos) {
        // The key keeps the spelling it has in the file.
        Line& line = m_lines[entry];
        line = ParseLine(line.name + "=" + std::string(value), line.eol.empty() ? eol : line.eol);
        return;
    }
    // After the section's last entry, so blank lines and comments that lead
    // into the next section stay with it.
    std::size_t at = header;
    const std::size_t end = SectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i)
        if (m_lines[i].kind == Kind::Entry) at = i;
    if (m_lines[at].eol.empty()) m_lines[at].eol = eol;
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at + 1),
                   ParseLine(std::move(entryText), eol));
}

bool IniDocument::RemoveKey(std::string_view section, std::string_view key)
{
    const std::size_t header = FindSection(section);
    if (header == npos) return false;
    const std::size_t entry = FindEntry(header, key);
    if (entry == npos) return false;
    m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(entry));
    return true;
}

bool IniDocument::RemoveSection(std::string_view section)
{
    const std::size_t header = FindSection(section);
    if (header == npos) return false;
    const std::size_t end = SectionEnd(header);
    m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(header),
                  m_lines.begin() + static_cast<std::ptrdiff_t>(end));
    return true;
}

std::string IniDocument::Bytes() const
{
    std::string out;
    for (const auto& line : m_lines) {
        out += line.raw;
        out += line.eol;
    }
    return out;
}

IniResult IniDocument::Save(const std::string& path) const
{
    IniResult result;
    auto fail = [&result](int err) {
        result.ok = false;
        result.error = ErrnoText(err);
        return result;
    };
    if (path.empty()) return fail(ENOENT);

    FileOps& ops = CurrentFileOps();
    // Write through a link to the file it names, so the link survives.
    std::string target = path;
    if (std::string real; ops.RealPath(path, real) == 0) target = real;
    FileStat st;
    const bool exists = ops.Stat(target, st) == 0;
    if (exists && !st.IsRegular()) return fail(EISDIR);

    std::string tmp;
    const int fd = CreateTemporary(ops, target, tmp);
    if (fd < 0) return fail(errno);
    mode_t mode = 0644;
    if (exists) {
        mode = st.mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    const std::string bytes = Bytes();
    if (ops.SetMode(fd, mode) != 0 || !WriteAll(ops, fd, bytes) || ops.Sync(fd) != 0) {
        const int err = errno;
        ops.Close(fd);
        ops.RemoveFile(tmp);
        return fail(err);
    }
    if (ops.Close(fd) != 0 || ops.Rename(tmp, target) != 0) {
        const int err = errno;
        ops.RemoveFile(tmp);
        return fail(err);
    }
    // Make the rename itself durable.
    const int dir = ops.Open(ParentFolder(target), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (dir >= 0) {
        ops.Sync(dir);
        ops.Close(dir);
    }
    return result;
}

} // namespace scrivo

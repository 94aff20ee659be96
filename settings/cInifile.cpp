#include "settings/cInifile.h"

#include <stdexcept>

#include "settings/Convert.h"
#include "settings/IniDocument.h"

namespace scrivo {

namespace {

constexpr std::size_t kValueChars = 254; // what a 255-character buffer holds
constexpr std::size_t kListChars = 8190; // what an 8192-character list buffer holds

// The first n characters (not bytes) of UTF-8 text.
std::string FirstChars(const std::string& text, std::size_t n)
{
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
        if (chars == n) return text.substr(0, i);
        ++chars;
    }
    return text;
}

std::string NulList(const std::vector<std::string>& names)
{
    std::string list;
    for (const auto& n : names) {
        list += n;
        list += '\0';
    }
    if (list.size() > kListChars) list.resize(kListChars);
    return list;
}

void SplitNulList(const std::string& list, std::vector<std::string>& names, long& count)
{
    names.clear();
    count = 0;
    std::size_t start = 0;
    while (start < list.size()) {
        std::size_t end = list.find('\0', start);
        if (end == std::string::npos) end = list.size();
        if (end > start) {
            names.push_back(list.substr(start, end - start));
            ++count;
        }
        start = end + 1;
    }
}

// Window coordinates are 32-bit numbers; a sum outside that range is an
// error, not a wrapped value.
long Add32(long a, long b)
{
    const long long r = static_cast<long long>(a) + b;
    if (r < -2147483648LL || r > 2147483647LL) throw std::overflow_error(kOverflow);
    return static_cast<long>(r);
}

} // namespace

std::string cInifile::Value() const
{
    IniDocument doc;
    std::string value = m_default;
    if (doc.Load(m_path).ok) {
        if (auto stored = doc.Get(m_section, m_key)) value = std::move(*stored);
    }
    if (const auto nul = value.find('\0'); nul != std::string::npos) value.resize(nul);
    return FirstChars(value, kValueChars);
}

void cInifile::Write(bool removeKey, bool removeSection, std::string_view value)
{
    m_lastReturnCode = 0;
    ++m_failedWrites;
    IniDocument doc;
    if (!doc.Load(m_path).ok) return; // never replace a file we could not read
    bool changed = true;
    if (removeSection)
        changed = doc.RemoveSection(m_section);
    else if (removeKey)
        changed = doc.RemoveKey(m_section, m_key);
    else
        doc.Set(m_section, m_key, value);
    if (changed && !doc.Save(m_path).ok) return;
    --m_failedWrites;
    m_lastReturnCode = 1;
}

void cInifile::SetValue(std::string_view text)
{
    std::string clean;
    clean.reserve(text.size());
    for (char c : text) {
        if (c == '\0') continue;
        clean += (c == '\r' || c == '\n') ? ' ' : c;
    }
    Write(false, false, clean);
}

void cInifile::DeleteKey()
{
    Write(true, false, {});
}

void cInifile::DeleteSection()
{
    Write(false, true, {});
}

std::string cInifile::INISection() const
{
    IniDocument doc;
    if (!doc.Load(m_path).ok) return {};
    return NulList(doc.KeyNames(m_section));
}

void cInifile::SetINISection(std::string_view)
{
    DeleteSection();
}

std::string cInifile::Sections() const
{
    IniDocument doc;
    if (!doc.Load(m_path).ok) return {};
    return NulList(doc.SectionNames());
}

void cInifile::EnumerateCurrentSection(std::vector<std::string>& names, long& count) const
{
    SplitNulList(INISection(), names, count);
}

void cInifile::EnumerateAllSections(std::vector<std::string>& names, long& count) const
{
    SplitNulList(Sections(), names, count);
}

void cInifile::SaveFormPosition(const FormGeometry& form)
{
    const std::string key = m_key;
    try {
        const int state = form.WindowState();
        if (state != FormGeometry::Minimised) {
            m_key = "Maximised";
            SetValue(state == FormGeometry::Maximised ? "1" : "0");
            if (state != FormGeometry::Maximised) {
                m_key = "Left";
                SetValue(std::to_string(form.Left()));
                m_key = "Top";
                SetValue(std::to_string(form.Top()));
                m_key = "Width";
                SetValue(std::to_string(form.Width()));
                m_key = "Height";
                SetValue(std::to_string(form.Height()));
            }
        }
    } catch (const std::exception&) {
        m_lastReturnCode = 0;
    }
    m_key = key;
}

void cInifile::LoadFormPosition(FormGeometry& form, long minWidth, long minHeight,
                                const ScreenMetrics& screen)
{
    const std::string key = m_key;
    const std::string defaultText = m_default;
    try {
        m_default = "FAIL";
        m_key = "Left";
        long left = CLngDefault(Value(), form.Left());
        m_key = "Top";
        long top = CLngDefault(Value(), form.Top());
        m_key = "Width";
        long width = CLngDefault(Value(), form.Width());
        if (width < minWidth) width = minWidth;
        m_key = "Height";
        long height = CLngDefault(Value(), form.Height());
        if (height < minHeight) height = minHeight;

        // Keep the window on the screen, four pixels from each edge.
        auto fit = [](long& pos, long& size, long screenSize, long margin) {
            if (pos < margin) pos = margin;
            const long limit = Add32(screenSize, -margin);
            if (Add32(pos, size) > limit) {
                pos = Add32(limit, -size);
                if (pos < margin) pos = margin;
                if (Add32(pos, size) > limit) size = Add32(Add32(screenSize, -pos), -margin);
            }
        };
        fit(left, width, screen.WidthTwips(), 4 * screen.TwipsPerPixelX());
        fit(top, height, screen.HeightTwips(), 4 * screen.TwipsPerPixelY());

        if (width >= minWidth && height >= minHeight) form.Move(left, top, width, height);
        m_key = "Maximised";
        if (CLngDefault(Value(), 0) != 0) form.SetWindowState(FormGeometry::Maximised);
    } catch (const std::exception&) {
        m_lastReturnCode = 0;
    }
    m_key = key;
    m_default = defaultText;
}

long cInifile::CLngDefault(std::string_view text, long defaultValue) const
{
    const LongConversion r = ToLong(text);
    return r.ok ? r.value : defaultValue;
}

} // namespace scrivo

#include "tools/table/TableTool.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/Commands.h"
#include "engine/FormatCash.h"
#include "engine/Table.h"
#include "platform/Paths.h"
#include "platform/Random.h"
#include "settings/Language.h"
#include "settings/Settings.h"

namespace scrivo::tool {

bool Options::Parse(int argc, char** argv, const std::vector<std::string>& valued,
                    const std::vector<std::string>& flags, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (std::find(flags.begin(), flags.end(), arg) != flags.end()) {
            m_values[arg] = "";
        } else if (std::find(valued.begin(), valued.end(), arg) != valued.end()) {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return false;
            }
            m_values[arg] = argv[++i];
        } else {
            error = "unknown option " + arg;
            return false;
        }
    }
    return true;
}

std::string Options::Get(const std::string& name, const std::string& fallback) const
{
    const auto it = m_values.find(name);
    return it == m_values.end() ? fallback : it->second;
}

bool Options::GetInt(const std::string& name, long long fallback, long long min, long long max,
                     long long& out, std::string& error) const
{
    out = fallback;
    if (!Has(name)) return true;
    const std::string text = Get(name);
    try {
        std::size_t used = 0;
        out = std::stoll(text, &used);
        if (used != text.size()) throw std::invalid_argument(text);
    } catch (const std::exception&) {
        error = name + " wants a whole number, not \"" + text + "\"";
        return false;
    }
    if (out < min || out > max) {
        error = name + " must lie between " + std::to_string(min) + " and " + std::to_string(max);
        return false;
    }
    return true;
}

bool LoadLanguage(Language& language, Settings& settings)
{
    const std::string english = JoinPath(ProgramFolder(), "Lang_English.ini");
    if (FolderExists(english)) {
        language.ReadLanguageFile(english, settings);
        return true;
    }
    language.ScanLanguageFiles(settings);
    if (language.LangFiles.size() < 2) return false;
    language.ReadLanguageFile(language.LangFiles[1], settings);
    return true;
}

std::string ServerDirectoryOf(const std::string& dir)
{
    std::string d = dir;
    while (d.size() > 1 && d.back() == PathSeparator)
        d.pop_back();
    return d + PathSeparator;
}

bool Policy::Set(const std::string& text, std::string& error)
{
    if (text == "random" || text == "call") {
        m_kind = text;
        return true;
    }
    if (text.rfind("script:", 0) == 0) {
        m_kind = "script";
        m_script.clear();
        std::string rest = text.substr(7);
        std::size_t start = 0;
        while (start <= rest.size()) {
            const std::size_t comma = rest.find(',', start);
            const std::string item =
                rest.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
            if (!item.empty()) m_script.push_back(item);
            if (comma == std::string::npos) break;
            start = comma + 1;
        }
        if (m_script.empty()) {
            error = "the script names no command";
            return false;
        }
        return true;
    }
    error = "unknown policy " + text + " (random, call or script:C,B20,F,A)";
    return false;
}

namespace {

// A bet or raise that the limits of the game allow, as it would be typed.
std::string PickBet(const BetLimits& l, Random& random)
{
    const Currency call = l.minBet > l.myBet ? l.minBet - l.myBet : Currency();
    Currency amount;
    if (l.gameType == "THLI") {
        amount = l.bigBet ? l.bigBlind * 2 : l.bigBlind;
    } else {
        const Currency step = l.lastRaise > l.bigBlind ? l.lastRaise : l.bigBlind;
        const Currency low = call + step;
        Currency high = l.gameType == "THPL" ? l.pot : l.myCash;
        if (high > l.myCash) high = l.myCash;
        if (high < low) high = low;
        const double span = std::floor((high - low).ToDouble() * random.Next());
        amount = low + Currency::FromDouble(span);
    }
    return FormatCash(amount, "");
}

} // namespace

bool Policy::Act(Table& table)
{
    if (!table.MyTurn()) return false;
    const BetLimits limits = LimitsOf(table);
    const Language& language = table.Texts();
    Random& random = ProgramRandom();
    CommandOutcome out;
    std::string command = "C";
    if (m_kind == "script") {
        command = m_script[m_next % m_script.size()];
        ++m_next;
    } else if (m_kind == "random") {
        const double x = random.Next();
        command = x < 0.08 ? "F" : x < 0.12 ? "A" : x < 0.34 ? "B" : "C";
    }
    switch (command[0]) {
    case 'F':
        out = Fold(language);
        break;
    case 'A':
        out = AllIn(limits, language);
        break;
    case 'B':
        out = EnterAmount(command.size() > 1 ? command.substr(1) : PickBet(limits, random), limits, language);
        break;
    default:
        out = CheckOrCall(limits, language);
        break;
    }
    // What the checks refuse, a player follows with a call, and when even
    // the call is out of reach, with all in or a fold.
    if (!out.accepted) out = CheckOrCall(limits, language);
    if (!out.accepted)
        out = m_kind == "random" && random.Below(2) == 0 ? Fold(language) : AllIn(limits, language);
    return WriteRequest(table, out);
}

std::string EscapeLine(const std::string& line)
{
    std::string out;
    out.reserve(line.size());
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\r') {
            out += "\\n";
            if (i + 1 < line.size() && line[i + 1] == '\n') ++i;
        } else if (line[i] == '\n') {
            out += "\\n";
        } else {
            out += line[i];
        }
    }
    return out;
}

void PrintingView::LogLines(const std::vector<LogLine>& lines)
{
    for (const LogLine& l : lines) {
        if (!l.VisibleTo(m_playerNo)) continue;
        ++linesSeen;
        if (!m_quiet) std::printf("#%ld %s\n", l.recordNo, EscapeLine(l.line).c_str());
    }
}

} // namespace scrivo::tool

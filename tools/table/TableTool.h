#pragma once

#include <map>
#include <string>
#include <vector>

#include "engine/TableView.h"

namespace scrivo {

class Language;
struct Settings;
class Table;

namespace tool {

// Command-line options "--name value" and bare flags; unknown names are
// refused so that a misspelt option never passes silently.
class Options {
public:
    // valued: options that take a value; flags: options that do not.
    bool Parse(int argc, char** argv, const std::vector<std::string>& valued,
               const std::vector<std::string>& flags, std::string& error);
    bool Has(const std::string& name) const { return m_values.count(name) > 0; }
    std::string Get(const std::string& name, const std::string& fallback = {}) const;
    // A whole number; false (with error) when the text is not one in [min, max].
    bool GetInt(const std::string& name, long long fallback, long long min, long long max, long long& out,
                std::string& error) const;

private:
    std::map<std::string, std::string> m_values;
};

// Loads the English language file beside the program (or the first one
// found). False when there is none.
bool LoadLanguage(Language& language, Settings& settings);

// The server directory with its one trailing separator.
std::string ServerDirectoryOf(const std::string& dir);

// How a headless seat plays when it has the turn: "random" (seeded),
// "call" (check or call, all in when short) or "script:C,B20,F,A" (the
// commands in turn, over and over; an amount after B is typed into the
// amount box).
class Policy {
public:
    bool Set(const std::string& text, std::string& error);
    // Plays one turn through command entry. True when a request was written.
    bool Act(Table& table);

private:
    std::string m_kind = "random";
    std::vector<std::string> m_script;
    std::size_t m_next = 0;
};

// Prints each line this seat may see, one per line: "#<record> <line>",
// with line breaks inside a line shown as "\n".
class PrintingView : public HeadlessView {
public:
    explicit PrintingView(int playerNo, bool quiet) : m_playerNo(playerNo), m_quiet(quiet) {}
    bool DrawsSeats() const override { return false; }
    void LogLines(const std::vector<LogLine>& lines) override;

    long linesSeen = 0;

private:
    int m_playerNo;
    bool m_quiet;
};

std::string EscapeLine(const std::string& line);

} // namespace tool
} // namespace scrivo

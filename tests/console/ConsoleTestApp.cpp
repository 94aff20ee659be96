#include "tests/console/ConsoleTestApp.h"

#include <cstdlib>
#include <stdexcept>

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextFragment>

#include "console/QtPlatform.h"
#include "settings/Language.h"
#include "settings/Settings.h"

// Font configuration keeps caches the leak checker cannot see being freed.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

namespace scrivo::test {

QApplication& ConsoleApp()
{
    static int argc = 1;
    static char name[] = "console-tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
        return new QApplication(argc, argv);
    }();
    return *app;
}

void ResetDisplaySettings()
{
    ServerDelay = 1500;
    FontName = "Arial";
    FontSize = 10;
    ColourText = true;
    BoldText = true;
    Symbols = true;
    CardText = false;
    ShortText = true;
    Animated = false;
    StatusBar = true;
    ScrivoMode = false;
    LangText.fill({});
    AppText.fill({});
    const char* suits[] = {"Hearts", "Diamonds", "Spades", "Clubs"};
    for (int i = 0; i < 4; ++i)
        LangText[52 + i] = suits[i];
    const char* faces[] = {"Two",  "Three", "Four", "Five",  "Six",  "Seven", "Eight",
                           "Nine", "Ten",   "Jack", "Queen", "King", "Ace"};
    for (int i = 0; i < 13; ++i)
        LangText[56 + i] = faces[i];
    LangText[93] = "% of $";
}

namespace {

void Push(std::vector<StyledRun>& runs, StyledRun run)
{
    if (run.text.empty()) return;
    if (!runs.empty()) {
        StyledRun& last = runs.back();
        if (last.colour == run.colour && last.bold == run.bold && last.italic == run.italic &&
            last.family == run.family && last.points == run.points) {
            last.text += run.text;
            return;
        }
    }
    runs.push_back(std::move(run));
}

} // namespace

std::vector<StyledRun> RunsOf(const QTextEdit& pane)
{
    std::vector<StyledRun> runs;
    const QTextDocument* doc = pane.document();
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        if (b != doc->begin()) {
            StyledRun br;
            br.colour = QColor(Qt::black);
            br.text = "\n";
            Push(runs, br);
        }
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            StyledRun r;
            r.text = FromQ(it.fragment().text());
            r.colour = f.foreground().style() == Qt::NoBrush ? QColor(Qt::black) : f.foreground().color();
            r.bold = f.fontWeight() >= QFont::DemiBold;
            r.italic = f.fontItalic();
            const QStringList fam = f.fontFamilies().toStringList();
            r.family = fam.isEmpty() ? std::string() : FromQ(fam.front());
            r.points = f.fontPointSize();
            Push(runs, r);
        }
    }
    return runs;
}

std::vector<StyledRun> ParseRtf(const std::string& rtf)
{
    struct State {
        int colour = 0;
        bool bold = false;
        bool italic = false;
        int font = 0;
        int halfPoints = 24;
        int skip = 0; // 1 font table, 2 colour table
    };
    std::vector<StyledRun> runs;
    std::vector<QColor> colours; // entry 0 is the "auto" colour
    std::vector<std::string> fonts;
    std::string fontName;
    int red = 0, green = 0, blue = 0;
    std::vector<State> stack{State{}};
    size_t i = 0;
    auto put = [&](const std::string& text) {
        const State& s = stack.back();
        if (s.skip == 1) {
            fontName += text;
            return;
        }
        if (s.skip) return;
        StyledRun r;
        r.text = text;
        r.colour = s.colour < static_cast<int>(colours.size()) ? colours[s.colour] : QColor(Qt::black);
        r.bold = s.bold;
        r.italic = s.italic;
        r.family = s.font < static_cast<int>(fonts.size()) ? fonts[s.font] : std::string();
        r.points = s.halfPoints / 2.0;
        Push(runs, r);
    };
    if (rtf.rfind("{\\rtf1", 0) != 0) throw std::runtime_error("not rich text");
    while (i < rtf.size()) {
        const char c = rtf[i];
        if (c == '{') {
            stack.push_back(stack.back());
            ++i;
        } else if (c == '}') {
            if (stack.back().skip == 1 && !fontName.empty()) {
                if (fontName.back() == ';') fontName.pop_back();
                fonts.push_back(fontName);
                fontName.clear();
            }
            stack.pop_back();
            if (stack.empty()) throw std::runtime_error("unbalanced groups");
            ++i;
        } else if (c == '\\') {
            ++i;
            if (i >= rtf.size()) throw std::runtime_error("cut short");
            const char n = rtf[i];
            if (n == '\\' || n == '{' || n == '}') {
                put(std::string(1, n));
                ++i;
                continue;
            }
            std::string word;
            while (i < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[i])))
                word += rtf[i++];
            std::string num;
            if (i < rtf.size() && (rtf[i] == '-' || std::isdigit(static_cast<unsigned char>(rtf[i])))) {
                num += rtf[i++];
                while (i < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[i])))
                    num += rtf[i++];
            }
            if (i < rtf.size() && rtf[i] == ' ') ++i;
            const bool hasNum = !num.empty();
            const int value = hasNum ? std::stoi(num) : 1;
            State& s = stack.back();
            if (word == "fonttbl")
                s.skip = 1;
            else if (word == "colortbl")
                s.skip = 2;
            else if (word == "red")
                red = value;
            else if (word == "green")
                green = value;
            else if (word == "blue")
                blue = value;
            else if (word == "par" || word == "line")
                put("\n");
            else if (word == "tab")
                put("\t");
            else if (word == "b")
                s.bold = value != 0;
            else if (word == "i")
                s.italic = value != 0;
            else if (word == "cf")
                s.colour = value;
            else if (word == "f" && s.skip != 1)
                s.font = value;
            else if (word == "fs")
                s.halfPoints = value;
            else if (word == "plain") {
                s.bold = false;
                s.italic = false;
            } else if (word == "u") {
                const char16_t u = static_cast<char16_t>(static_cast<std::int16_t>(value));
                put(FromQ(QString(QChar(u))));
                if (i < rtf.size()) ++i; // the "?" for readers without Unicode
            }
        } else if (c == ';' && stack.back().skip == 2) {
            colours.push_back(QColor(red, green, blue));
            red = green = blue = 0;
            ++i;
        } else if (c == '\n' || c == '\r') {
            ++i;
        } else {
            put(std::string(1, c));
            ++i;
        }
    }
    if (stack.size() != 1) throw std::runtime_error("unbalanced groups");
    return runs;
}

StyledRun RunWith(const std::vector<StyledRun>& runs, const std::string& piece)
{
    for (const auto& r : runs)
        if (r.text.find(piece) != std::string::npos) return r;
    ADD_FAILURE() << "no run holds \"" << piece << "\"";
    static const StyledRun none;
    return none;
}

std::string TextOf(const std::vector<StyledRun>& runs)
{
    std::string s;
    for (const auto& r : runs)
        s += r.text;
    return s;
}

std::string SaveScreenshot(QWidget& widget, const std::string& name)
{
    // Tests run in <build>/bin; the pictures go beside it.
    QDir dir(QCoreApplication::applicationDirPath());
    dir.cdUp();
    dir.mkpath(QStringLiteral("screenshots"));
    const QString path = dir.filePath(QStringLiteral("screenshots/") + ToQ(name) + QStringLiteral(".png"));
    widget.grab().save(path);
    return FromQ(path);
}

} // namespace scrivo::test

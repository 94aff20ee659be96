// The table window: its log pane and the export, its looks and layout, and
// hands played through real windows on a real game folder with bots.
#include "console/MainForm.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <numeric>
#include <regex>
#include <stdexcept>
#include <thread>
#include <tuple>

#include <gtest/gtest.h>

#include <QAction>
#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QMessageBox>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QTimer>

#include "console/QtPlatform.h"
#include "engine/Commands.h"
#include "engine/Table.h"
#include "engine/Lobby.h"
#include "gamefolder/Directory.h"
#include "gamefolder/RecordFile.h"
#include "platform/Paths.h"
#include "platform/Random.h"
#include "platform/Text.h"
#include "settings/Language.h"
#include "settings/Settings.h"
#include "testsupport/EngineFixtures.h"
#include "testsupport/ProcessState.h"
#include "testsupport/RecordingMessageBox.h"
#include "testsupport/TempDir.h"

// Font configuration keeps caches the leak checker cannot see being freed.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

namespace scrivo {
namespace {

// One run of text with its looks, as read from a pane or an RTF file.
struct StyledRun {
    std::string text;
    QColor colour;
    bool bold = false;
    bool italic = false;
    std::string family;
    double points = 0;
};

void Push(std::vector<StyledRun>& runs, StyledRun run)
{
    auto looks = [](const StyledRun& r) { return std::tie(r.colour, r.bold, r.italic, r.family, r.points); };
    if (!runs.empty() && looks(runs.back()) == looks(run))
        runs.back().text += run.text;
    else if (!run.text.empty())
        runs.push_back(std::move(run));
}

std::vector<StyledRun> RunsOf(const QTextEdit* pane)
{
    std::vector<StyledRun> runs;
    for (QTextBlock b = pane->document()->begin(); b.isValid(); b = b.next()) {
        if (b != pane->document()->begin()) Push(runs, {"\n", Qt::black, false, false, "", 0});
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            Push(runs, {FromQ(it.fragment().text()),
                        f.foreground().style() == Qt::NoBrush ? QColor(Qt::black) : f.foreground().color(),
                        f.fontWeight() >= QFont::DemiBold, f.fontItalic(),
                        FromQ(f.fontFamilies().toStringList().value(0)), f.fontPointSize()});
        }
    }
    return runs;
}

// Just enough of a reader for the RTF this program writes: text, the colour
// table, \cf and \b. Throws on unbalanced groups.
std::vector<StyledRun> ParseRtf(const std::string& rtf)
{
    struct State {
        int colour = 0;
        bool bold = false;
        int table = 0; // 1 fonts, 2 colours
    };
    std::vector<StyledRun> runs;
    std::vector<QColor> colours;
    std::map<std::string, int> value;
    std::vector<State> stack{State{}};
    bool afterUnicode = false; // skip the "?" that follows \uN for readers without Unicode
    // A control word and its number, an escaped sign, a group mark or ";", or text.
    static const std::regex token(R"(\\([a-z]+)(-?\d*) ?|\\(.)|([{};])|([^\\{};\r\n]+))");
    for (std::sregex_iterator it(rtf.begin(), rtf.end(), token), end; it != end; ++it) {
        const std::smatch& m = *it;
        std::string text = m[3].str() + m[5].str().substr(afterUnicode && m[5].length() ? 1 : 0);
        afterUnicode = false;
        if (m[4] == "{") stack.push_back(stack.back());
        if (m[4] == "}") stack.pop_back();
        if (stack.empty()) throw std::runtime_error("unbalanced groups");
        State& s = stack.back();
        if (m[4] == ";" && s.table == 2) colours.emplace_back(value["red"], value["green"], value["blue"]);
        if (m[4] == ";" && s.table != 2) text = ";";
        const std::string word = m[1];
        const int n = value[word] = m[2].length() ? std::stoi(m[2]) : 1;
        if (word == "fonttbl" || word == "colortbl") s.table = word == "fonttbl" ? 1 : 2;
        if (word == "b") s.bold = n;
        if (word == "cf") s.colour = n;
        if (word == "par" || word == "line") text = "\n";
        if (word == "u") {
            text = FromQ(QString(QChar(char16_t(std::int16_t(n)))));
            afterUnicode = true;
        }
        if (!text.empty() && !s.table)
            Push(runs, {text, s.colour < int(colours.size()) ? colours[s.colour] : Qt::black, s.bold, false,
                        "", 0});
    }
    if (stack.size() != 1) throw std::runtime_error("unbalanced groups");
    return runs;
}

StyledRun RunWith(const std::vector<StyledRun>& runs, const std::string& piece)
{
    for (const auto& r : runs)
        if (r.text.find(piece) != std::string::npos) return r;
    ADD_FAILURE() << "no run holds \"" << piece << "\"";
    return {};
}

// Runs the windows' events until the condition holds; false if it never did.
bool RunUntil(const std::function<bool()>& done, int rounds = 6000)
{
    for (int i = 0; i < rounds && !done(); ++i) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return done();
}
void Key(QWidget* target, int key, const QString& text = {}, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(target, &press);
}
void Type(QWidget* target, const std::string& letters)
{
    for (char c : letters)
        Key(target, QChar::fromLatin1(c).toUpper().unicode(), QString(QChar::fromLatin1(c)));
}

// Every fixture starts from the default looks, with the one application
// object, before any window of the fixture is made.
class ConsoleTest : public ::testing::Test {
protected:
    ConsoleTest()
    {
        static int argc = 1;
        static char* argv[] = {const_cast<char*>("console-tests"), nullptr};
        if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
        if (!QApplication::instance()) new QApplication(argc, argv);
        settings.ColourText = settings.BoldText = settings.Symbols = settings.ShortText = settings.StatusBar =
            true;
        settings.CardText = settings.Animated = settings.ScrivoMode = false;
        language.LangText.fill({});
        language.AppText.fill({});
        const QStringList names = QStringLiteral("Hearts Diamonds Spades Clubs Two Three Four Five Six Seven "
                                                 "Eight Nine Ten Jack Queen King Ace")
                                      .split(' ');
        for (int i = 0; i < names.size(); ++i)
            language.LangText[Msg::SuitFirst + i] = FromQ(names[i]);
        language.LangText[Msg::CardName] = "% of $";
    }

    template <typename T = QWidget> static T* Child(const QWidget& w, const std::string& name)
    {
        T* c = w.findChild<T*>(ToQ(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    // A child's text (or other property), whatever its class.
    static std::string Text(const QWidget& w, const std::string& name, const char* property = "text")
    {
        return FromQ(Child<QObject>(w, name)->property(property).toString());
    }
    static std::string LogOf(const QWidget& w) { return Text(w, "RTB2", "plainText"); }

    test::FreshProcessState fresh;
    test::RecordingMessageBox boxes;
    test::TempDir dir;
    Settings settings;
    Language language;
};

// ---- The log pane and its export.

// Answers the save dialog with a chosen name.
class SavingForm : public MainForm {
public:
    SavingForm(Settings& settings, const Language& language) : MainForm(settings, language)
    {
        SetPauseScale(0);
    }
    QString chosen;
    QString ShowSave() override { return chosen; }
};

class LogPaneTest : public ConsoleTest {
protected:
    SavingForm form{settings, language};
    QTextEdit* pane = Child<QTextEdit>(form, "RTB2");
};

enum Options { NoColour = 1, NoBold = 2, NoSymbols = 4, Words = 8, NoShort = 16, Disguise = 32 };

struct LookCase {
    const char* lines; // logged one by one, split at "|"
    int options;
    const char* text;  // the whole pane
    const char* piece; // the run looked at; null: every run
    const char* looks; // colour, bold, italic, size
    friend void PrintTo(const LookCase& c, std::ostream* os) { *os << c.lines << ' ' << c.looks; }
};

std::string LooksOf(const StyledRun& r)
{
    return FromQ(r.colour.name()) + (r.bold ? " bold" : "") + (r.italic ? " italic" : "") + " " +
           FromQ(QString::number(r.points));
}

class LogLookTest : public LogPaneTest, public ::testing::WithParamInterface<LookCase> {};

TEST_P(LogLookTest, EachLineHasItsLook)
{
    const LookCase& c = GetParam();
    settings.ColourText = !(c.options & NoColour);
    settings.BoldText = !(c.options & NoBold);
    settings.Symbols = !(c.options & NoSymbols);
    settings.CardText = c.options & Words;
    settings.ShortText = !(c.options & NoShort);
    settings.ScrivoMode = c.options & Disguise;
    for (const QString& line : QString::fromUtf8(c.lines).split(QLatin1Char('|')))
        form.LogText(FromQ(line) + "\r\n");
    EXPECT_EQ(LogOf(form), c.text);
    const std::vector<StyledRun> runs = RunsOf(pane);
    for (const StyledRun& r : c.piece ? std::vector<StyledRun>{RunWith(runs, c.piece)} : runs) {
        if (r.text == "\n") continue;
        EXPECT_EQ(LooksOf(r), c.looks) << r.text;
        // The disguise mode writes everything in one fixed-width font.
        EXPECT_EQ(r.family, settings.ScrivoMode ? runs.front().family : "Arial") << r.text;
        EXPECT_TRUE(!settings.ScrivoMode || r.family != "Arial");
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Lines, LogLookTest, ::testing::Values(
    LookCase{"pLine", 0, "Line\n", "Line", "#0000ff 10"},
    LookCase{"tLine", 0, "Line\n", "Line", "#000000 italic 10"},
    LookCase{"dLine", 0, "Line\n", "Line", "#0000ff bold 10"},
    LookCase{"wLine", 0, "Line\n", "Line", "#ff0000 bold 10"},
    LookCase{"zLine", 0, "Line\n", "Line", "#000000 10"},
    LookCase{"wLine", NoColour, "Line\n", "Line", "#000000 bold 10"},
    LookCase{"wLine", NoColour | NoBold, "Line\n", "Line", "#000000 10"},
    LookCase{"tSlant", NoBold, "Slant\n", "Slant", "#000000 italic 10"},
    // A name line goes on in the colour in force, without bold.
    LookCase{"dDeal|nAnn: |tFull house", 0, "Deal\nAnn: Full house\n", "Ann: ", "#0000ff 10"},
    LookCase{"c0_12,2_8", 0, "A\u2665   10\u2660   \n", "\u2665", "#ff0000 12"},
    LookCase{"c0_12,2_8", 0, "A\u2665   10\u2660   \n", "\u2660", "#000000 12"},
    // Card lines leave the colour at black even after a red card.
    LookCase{"c3_3,1_4|nBob: ", 0, "5\u2663   6\u2666   \nBob: ", "Bob: ", "#000000 10"},
    // A name line as the message file gives it back, without its blank.
    LookCase{"nBob:|c3_3,1_4", 0, "Bob: 5\u2663   6\u2666   \n", "Bob:", "#000000 10"},
    LookCase{"c1_9,3_0", NoSymbols | NoColour | Words, "Jd   2c   \nJack of Diamonds, Two of Clubs\n", "d   ",
             "#000000 12"},
    LookCase{"c1_9,3_0", NoShort, "", nullptr, ""},
    // Card names are plain, in the log's font, whatever line came before.
    LookCase{"dThe flop:|c0_12,2_8", Words, "The flop:\nA\u2665   10\u2660   \nAce of Hearts, Ten of Spades\n",
             "Ace of Hearts", "#000000 10"},
    LookCase{"dThe flop:|c0_12", NoShort | Words, "The flop:\nAce of Hearts\n", "Ace of Hearts", "#000000 10"},
    LookCase{"wFolds|tDescribed|c0_12,1_3", Disguise | Words,
             "Folds\nDescribed\nAh   5d   \nAce of Hearts, Five of Diamonds\n", nullptr, "#000000 10"}));
// clang-format on

TEST_F(LogPaneTest, BadCardIsReportedAndEndsTheLine)
{
    form.LogText("c7_2\r\n");
    EXPECT_EQ(boxes.LastText(), "Error displaying card symbol.");
}

TEST_F(LogPaneTest, SavedRichTextReopensWithTheSameTextColoursAndBold)
{
    for (const char* line : {"dDealing\r\n", "c0_12,2_8\r\n", "mAnn: hi {there} \\o/\r\n"})
        form.LogText(line);
    form.chosen = ToQ(dir.File("log.rtf"));
    Child<QAction>(form, "mSave")->trigger();
    const std::string rtf = test::TempDir::Read(dir.File("log.rtf"));
    EXPECT_TRUE(std::all_of(rtf.begin(), rtf.end(), [](unsigned char ch) { return ch < 0x80; }));
    const std::vector<StyledRun> saved = ParseRtf(rtf);
    EXPECT_EQ(std::accumulate(saved.begin(), saved.end(), std::string(),
                              [](const std::string& t, const StyledRun& r) { return t + r.text; }),
              LogOf(form));
    for (const char* piece : {"Dealing", "\u2665", "\u2660", "Ann: hi"}) {
        EXPECT_EQ(RunWith(saved, piece).colour, RunWith(RunsOf(pane), piece).colour) << piece;
        EXPECT_EQ(RunWith(saved, piece).bold, RunWith(RunsOf(pane), piece).bold) << piece;
    }
}

TEST_F(LogPaneTest, PlainFilesHoldTheTextAnEmptyLogIsNotExportedAndAFailureIsReported)
{
    Child<QAction>(form, "mSave")->trigger();
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Nothing to Export."});
    form.LogText("iHand 1\r\n");
    for (const char* name : {"log.RTF", "log.txt"}) {
        ASSERT_TRUE(form.SaveLogTo(dir.File(name)));
        EXPECT_EQ(test::TempDir::Read(dir.File(name)), "Hand 1\n") << name;
    }
    EXPECT_FALSE(form.SaveLogTo(dir.File("missing/log.txt")));
    EXPECT_EQ(boxes.LastText().rfind("Error saving text: ", 0), 0u);
}

// ---- The window's looks and layout, and hands played through it.

class WindowLooksTest : public ConsoleTest {
protected:
    void SetUp() override { form.show(); }
    // Resizes the client so that the layout sees the given outer size in twips.
    void ResizeTo(double w, double h)
    {
        form.resize(form.width() + TwipsToPixelsX(w - form.LayoutWidth()),
                    form.height() + TwipsToPixelsY(h - form.LayoutHeight()));
        QApplication::processEvents();
    }
    void Drag(const char* handle, QPoint by, Qt::MouseButton button)
    {
        QWidget* h = Child(form, handle);
        const QPointF from(5, 5), to = from + by;
        auto send = [&](QEvent::Type type, QPointF at, Qt::MouseButtons held) {
            QMouseEvent e(type, at, h->mapToGlobal(at), button, held, Qt::NoModifier);
            QApplication::sendEvent(h, &e);
        };
        send(QEvent::MouseButtonPress, from, button);
        send(QEvent::MouseMove, to, button);
        send(QEvent::MouseButtonRelease, to, Qt::NoButton);
    }

    MainForm form{settings, language};
};

TEST_F(WindowLooksTest, PaneKeysAreCommandsButShortcutsStayTheEditors)
{
    QWidget* log = Child(form, "RTB2");
    Key(log, Qt::Key_N, QStringLiteral("\x0e"), Qt::ControlModifier);
    EXPECT_FALSE(settings.ScrivoMode);
    QWidget* box = Child(form, "ToolBox");
    Type(log, "t");
    EXPECT_FALSE(box->isVisible() || Child<QAction>(form, "mToolHide")->isChecked());
    // The disguise hides the tool box, the hand line and the status bar.
    Type(log, "tn");
    EXPECT_FALSE(box->isVisible() || settings.StatusBar || Child(form, "RTB1")->isVisible());
    EXPECT_TRUE(settings.ScrivoMode && Child<QAction>(form, "mScrivo")->isChecked());
    Type(log, "n");
    EXPECT_TRUE(box->isVisible() && settings.StatusBar && Child<QAction>(form, "mSbar")->isChecked());
    EXPECT_EQ(LogOf(form), "") << "typing never edits the pane";
}

// The seat rows keep a margin on both sides of the tool box: the fold and
// all-in mark never touches its right edge.
TEST_F(WindowLooksTest, SeatMarksKeepTheMarginOfTheNames)
{
    QFrame* box = Child<QFrame>(form, "ToolBox");
    const QRect inside = box->contentsRect();
    const int leftMargin = Child(form, "PlayersLbl0")->x() - inside.left();
    ASSERT_GT(leftMargin, 0);
    for (int i = 0; i < 9; ++i) {
        const QRect mark = Child(form, "StateLbl" + std::to_string(i))->geometry();
        EXPECT_GE(inside.right() - mark.right(), leftMargin) << i;
        EXPECT_LT(Child(form, "BlindsLbl" + std::to_string(i))->geometry().right(), mark.left()) << i;
        EXPECT_GE(Child(form, "DealerLbl" + std::to_string(i))->x() -
                      Child(form, "BetLbl" + std::to_string(i))->geometry().right(),
                  4)
            << "the bet keeps clear of the dealer's mark " << i;
    }
}

// With each language file shipped, every caption of the table window fits
// its control, and the tool box keeps its margins.
TEST_F(WindowLooksTest, EveryShippedLanguageFitsItsCaptions)
{
    for (const char* file : {"Lang_English.ini", "Lang_Deutsch.ini"}) {
        const std::string path = JoinPath(ProgramFolder(), file);
        ASSERT_TRUE(FolderExists(path)) << path;
        language.ReadLanguageFile(path, settings);
        form.ApplyLang();
        int checked = 0;
        for (const QWidget* w : form.findChildren<QWidget*>()) {
            const QString text = w->property("text").toString();
            if (!qobject_cast<const QLabel*>(w) && !qobject_cast<const QAbstractButton*>(w)) continue;
            if (text.isEmpty()) continue;
            ++checked;
            EXPECT_LE(w->sizeHint().width(), w->width())
                << file << ' ' << FromQ(w->objectName()) << ' ' << FromQ(text);
        }
        EXPECT_GE(checked, 7) << file;
        QFrame* box = Child<QFrame>(form, "ToolBox");
        for (const char* name : {"B_Button", "M_Button", "StartRoundBtn", "StateLbl0"})
            EXPECT_LE(Child(form, name)->geometry().right(), box->contentsRect().right())
                << file << ' ' << name;
        // An amount never touches its caption.
        for (const char* money : {"Cash", "Pot", "Call"}) {
            const QWidget* caption = Child(form, std::string(money) + "Caption");
            EXPECT_GE(
                Child(form, std::string(money) + "Lbl")->x() - caption->x() - caption->sizeHint().width(), 4)
                << file << ' ' << money;
        }
    }
}

// At the common screen sizes the tool box opens beside the log, hiding none
// of its text; where the player drags it, it stays, and is kept inside the
// window when the window shrinks.
TEST_F(WindowLooksTest, ToolBoxOpensBesideTheLogAndStaysWhereDragged)
{
    QWidget *box = Child(form, "ToolBox"), *log = Child(form, "RTB2");
    auto inside = [&] { return form.centralWidget()->rect().contains(box->geometry()); };
    for (const QSize screen : {QSize(1024, 768), QSize(1920, 1080)}) {
        form.resize(screen);
        QApplication::processEvents();
        EXPECT_FALSE(box->geometry().intersects(log->geometry())) << screen.width();
        EXPECT_TRUE(inside()) << screen.width();
        EXPECT_GT(log->width(), form.centralWidget()->width() / 2) << screen.width();
        EXPECT_LT(form.ToolBoxLeft(), 0) << "docked";
    }

    // Dragged by either handle with the left button only.
    const QPoint docked = box->pos();
    Drag("ToolHandle", {-300, 40}, Qt::RightButton);
    EXPECT_EQ(box->pos(), docked);
    Drag("PlayerLbl", {-300, 40}, Qt::LeftButton);
    const QPoint dropped = box->pos();
    EXPECT_EQ(dropped, docked + QPoint(-300, 40));
    EXPECT_FALSE(box->geometry().intersects(log->geometry())) << "the moved box covers no text";
    Drag("ToolHandle", {-dropped.x() + 10, 0}, Qt::LeftButton);
    EXPECT_FALSE(box->geometry().intersects(log->geometry())) << "the log keeps to the wider side";
    Drag("ToolHandle", {dropped.x() - box->x(), 0}, Qt::LeftButton);
    EXPECT_EQ(form.ToolBoxLeft(), PixelsToTwipsX(dropped.x()));
    form.resize(form.width() + 40, form.height());
    QApplication::processEvents();
    EXPECT_EQ(box->pos(), dropped) << "a dragged box stays put";
    form.resize(QSize(500, 400));
    QApplication::processEvents();
    EXPECT_TRUE(inside());
    Drag("ToolHandle", {5000, 5000}, Qt::LeftButton);
    EXPECT_EQ(box->geometry().bottomRight(), form.centralWidget()->rect().bottomRight()) << "never out";

    // The stored place opens the next window there; a negative left docks it.
    MainForm next{settings, language};
    next.show();
    next.resize(QSize(1024, 768));
    next.SetToolBoxLeft(1500);
    next.SetToolBoxTop(900);
    EXPECT_EQ(Child(next, "ToolBox")->pos(), QPoint(TwipsToPixelsX(1500), TwipsToPixelsY(900)));
    next.SetToolBoxLeft(-1);
    EXPECT_FALSE(Child(next, "ToolBox")->geometry().intersects(Child(next, "RTB2")->geometry()));
}

// On a small screen and on a large one, in every look, the hand line and the
// entry line sit right under the log, and nothing overlaps or leaves the window.
TEST_F(WindowLooksTest, HandAndStatusLinesStayWithTheLogOnEveryScreen)
{
    QWidget *log = Child(form, "RTB2"), *hand = Child(form, "RTB1"), *status = Child(form, "StatusMsg"),
            *box = Child(form, "ToolBox"), *call = Child(form, "C_Button");
    const double designHand = hand->height(), designCall = call->font().pointSizeF();
    // The font size reaches the hand line and the tool box as well as the log.
    for (const auto& [screen, size] : {std::pair{QSize(1024, 768), 10L},
                                       {QSize(1920, 1080), 10L},
                                       {QSize(1920, 1080), 20L},
                                       {QSize(1024, 768), 10L}}) {
        settings.FontSize = size;
        form.MsgRefresh();
        EXPECT_NEAR(hand->height(), designHand * size / 10, 2) << size;
        EXPECT_NEAR(call->font().pointSizeF(), designCall * size / 10, 0.1) << size;
        for (const char* look : {"", "U", "T", "N"}) {
            form.resize(screen);
            if (*look) form.DoCommand(look);
            QApplication::processEvents();
            const std::string at = std::to_string(screen.width()) + " " + std::to_string(size) + " " + look;
            const QRect area = form.centralWidget()->rect();
            const QWidget* above = hand->isVisible() ? hand : log;
            if (hand->isVisible()) {
                EXPECT_GE(hand->y(), log->geometry().bottom()) << at;
                EXPECT_LE(hand->y() - log->geometry().bottom(), 8) << at;
            }
            EXPECT_GE(status->y(), above->geometry().bottom()) << at;
            EXPECT_LE(status->y() - above->geometry().bottom(), 8) << at;
            EXPECT_LE(area.bottom() - status->geometry().bottom(), 8) << at << " no gap under the entry line";
            for (const QWidget* w : {log, hand, status}) {
                if (w->isVisible()) {
                    EXPECT_TRUE(area.contains(w->geometry())) << at << FromQ(w->objectName());
                }
            }
            if (box->isVisible()) {
                EXPECT_FALSE(box->geometry().intersects(log->geometry())) << at;
                EXPECT_TRUE(area.contains(box->geometry())) << at;
            } else {
                EXPECT_GE(log->width(), area.width() - 16) << at << " the log takes the box's room";
            }
            if (*look) form.DoCommand(look);
        }
    }
}

// The log shows its newest line after the window is resized or the tool box
// is switched, as it did before.
TEST_F(WindowLooksTest, TheNewestLineStaysInSightAfterAResizeOrT)
{
    ResizeTo(9600, 7200);
    for (int i = 0; i < 150; ++i)
        form.LogText("pLine " + std::to_string(i) + " with words enough to wrap in a narrow window\r\n");
    QScrollBar* bar = Child<QTextEdit>(form, "RTB2")->verticalScrollBar();
    for (const char* step : {"narrower", "T", "T", "wider"}) {
        ASSERT_EQ(bar->value(), bar->maximum()) << step;
        if (*step == 'T')
            form.DoCommand("T");
        else
            ResizeTo(*step == 'n' ? 6000 : 14000, 6000);
        QApplication::processEvents();
        EXPECT_EQ(bar->value(), bar->maximum()) << step;
    }
}

using QtPlatformTest = ConsoleTest;

TEST_F(QtPlatformTest, MessageBoxesShowTheButtonsAndIconAskedForAndReturnThePress)
{
    using B = QMessageBox;
    const std::tuple<MsgButtons, MsgIcon, int, int, B::StandardButton, MsgAnswer> cases[] = {
        {MsgButtons::Ok, MsgIcon::None, B::Ok, B::NoIcon, B::Ok, MsgAnswer::Ok},
        {MsgButtons::YesNo, MsgIcon::Question, B::Yes | B::No, B::Question, B::No, MsgAnswer::No},
        {MsgButtons::RetryCancel, MsgIcon::Exclamation, B::Retry | B::Cancel, B::Warning, B::Retry,
         MsgAnswer::Retry},
        {MsgButtons::OkCancel, MsgIcon::Information, B::Ok | B::Cancel, B::Information, B::Cancel,
         MsgAnswer::Cancel}};
    for (const auto& [buttons, icon, qtButtons, qtIcon, press, answer] : cases) {
        QString seen;
        QTimer::singleShot(0, [&seen, press = press] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            seen = box->windowTitle() + QLatin1Char('|') + box->text() +
                   QStringLiteral("|%1|%2").arg(box->standardButtons()).arg(box->icon()) +
                   (box->textFormat() == Qt::PlainText ? QStringLiteral("|plain") : QString());
            box->button(press)->click();
        });
        // A name in a message is shown as it stands, markup and all.
        EXPECT_EQ(QtMessageBoxService().Show({"<b>Gone</b>", buttons, icon, ""}), answer);
        EXPECT_EQ(seen, QStringLiteral("Scrivo Poker|<b>Gone</b>|%1|%2|plain").arg(qtButtons).arg(qtIcon));
    }
}

// A box over a window near a screen edge stays whole on the screen.
TEST_F(QtPlatformTest, AMessageBoxOverAWindowAtTheScreenEdgeStaysOnScreen)
{
    QWidget window;
    window.resize(300, 200);
    window.show();
    const QRect area = window.screen()->availableGeometry();
    for (const QPoint centre : {area.topLeft(), area.bottomRight(), QPoint(area.right(), area.top())}) {
        window.move(centre - QPoint(150, 100));
        QApplication::setActiveWindow(&window);
        QRect placed;
        // Looked at once the box is up and settled.
        QTimer::singleShot(0, [&placed] {
            QTimer::singleShot(0, [&placed] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (!box) return;
                placed = box->frameGeometry();
                box->button(QMessageBox::Ok)->click();
            });
        });
        // A file's path is one long word.
        QtMessageBoxService().Show(
            {"Cannot open /" + std::string(120, 'x') + "/" + std::string(90, 'y') + "/gam.spk",
             MsgButtons::Ok, MsgIcon::Exclamation, ""});
        EXPECT_FALSE(placed.isEmpty());
        EXPECT_TRUE(area.contains(placed)) << centre.x() << "," << centre.y() << ": " << placed.x() << ","
                                           << placed.y() << " " << placed.width() << "x" << placed.height();
    }
}

class TableWindowTest : public ConsoleTest {
protected:
    void SetUp() override
    {
        // Recognisable texts: every message shows its number and arguments.
        for (int n = 0; n < TextTable<MsgId>::Count; ++n) {
            std::string& message = language.LangText[MsgId(n)];
            if (message.empty()) message = "M" + std::to_string(n) + "[%|$|*]";
            if (n) language.AppText[CapId(n)] = "A" + std::to_string(n);
            if (n && n <= 8) language.BotNames[n] = "Bot" + std::to_string(n);
        }
        language.BotChat.assign(1, std::string());
        settings.ServerDelay = 15;
        settings.ServerDirectory = dir.Path() + "/";
        settings.LastPlayer = "Ann";
    }
    void Open(MainForm& form, const char* bots, int turnSeconds = 0)
    {
        const BrowserOutcome made =
            lobby.CreateButton({"Test table", "500", "5", "10", "$", bots, 2, turnSeconds});
        ASSERT_TRUE(made.openTable);
        folder = made.session.GameFolder;
        ProgramRandom().Seed(11);
        form.SetPauseScale(0);
        form.resize(TwipsToPixelsX(9600), TwipsToPixelsY(7200));
        form.Init(made.session);
        form.show();
        QApplication::setActiveWindow(&form);
    }
    // Bea takes a seat at the table opened last.
    void JoinAsBea(MainForm& form)
    {
        settings.LastPlayer = "Bea";
        const BrowserOutcome joined = lobby.JoinGame(folder.substr(folder.find_last_of('/') + 1));
        ASSERT_TRUE(joined.openTable);
        form.SetPauseScale(0);
        form.Init(joined.session);
        form.show();
    }

    static QLabel* Seat(const QWidget& w, const char* kind, int p)
    {
        return Child<QLabel>(w, kind + std::to_string(p - 1));
    }
    static bool Shows(const QWidget& w, const char* kind, int p, const char* text)
    {
        return Seat(w, kind, p)->isVisibleTo(&w) && Seat(w, kind, p)->text() == QLatin1String(text);
    }
    static bool FoldedRed(const QWidget& w, int p)
    {
        return Seat(w, "PlayersLbl", p)->palette().color(QPalette::WindowText) == QColor(0xC0, 0, 0);
    }
    std::string ActionOf(int player) const { return ReadPlayerRecord(folder, player).value; }
    static int SuitSigns(const QString& text)
    {
        return int(std::count_if(text.begin(), text.end(),
                                 [](QChar c) { return c >= QChar(0x2660) && c <= QChar(0x2666); }));
    }

    Lobby lobby{settings, language};
    std::string folder;
};

TEST_F(TableWindowTest, AHandIsPlayedThroughTheWindow)
{
    MainForm form{settings, language};
    Open(form, "2");
    Table& table = *form.Engine();
    QWidget* log = Child(form, "RTB2");
    QWidget* amountBox = Child(form, "EnterBox");
    auto status = [&] { return Text(form, "StatusMsg"); };
    auto handLine = [&] { return ToQ(Text(form, "RTB1", "plainText")); };

    // Seats: three shown.
    EXPECT_TRUE(Shows(form, "PlayersLbl", 1, "Ann") && Shows(form, "PlayersCash", 1, "$500"));
    EXPECT_TRUE(Seat(form, "PlayersLbl", 3)->isVisibleTo(&form) &&
                !Seat(form, "PlayersLbl", 4)->isVisibleTo(&form));
    EXPECT_EQ(Text(form, "PlayerLbl"), "Ann A7");
    EXPECT_NE(LogOf(form).find("M1[Ann|$|*]"), std::string::npos);

    // With bots at the table the host is told how to deal; S starts the
    // round and the hint gives way.
    const std::string hint = " " + language.FormatText(Msg::PressStartRound, "A46");
    ASSERT_TRUE(RunUntil([&] { return status() == hint; })) << status();
    Type(log, "s");
    EXPECT_NE(status(), hint);
    ASSERT_TRUE(RunUntil([&] { return table.MyTurn(); }));
    EXPECT_TRUE(Shows(form, "BlindsLbl", 2, "SB") && Shows(form, "BlindsLbl", 3, "BB"));
    EXPECT_TRUE(!Seat(form, "BlindsLbl", 1)->isVisibleTo(&form) &&
                Seat(form, "PlayersLbl", 1)->font().underline());
    EXPECT_TRUE(handLine().contains(QLatin1String("M38")) && SuitSigns(handLine()) == 2) << FromQ(handLine());
    EXPECT_EQ(status(), " " + language.LangText[Msg::YourTurn]);
    EXPECT_TRUE(Child(form, "C_Button")->isEnabled());

    // Amounts typed into the open box; a command key meanwhile does nothing.
    auto bet = [&](const std::string& typed) {
        Type(log, "b");
        EXPECT_EQ(QApplication::focusWidget(), amountBox);
        Type(QApplication::focusWidget(), typed);
        Type(log, "f");
        EXPECT_EQ(Text(form, "EnterBox"), typed);
        Key(amountBox, Qt::Key_Return, QStringLiteral("\r"));
        EXPECT_FALSE(amountBox->isVisible());
    };
    // Refused (command entry's checks have their own table): the reason, nothing written.
    bet("600");
    EXPECT_EQ(status(), " " + language.FormatText(Msg::BetAboveCash, "$500"));
    EXPECT_EQ(ActionOf(1), "-");
    bet("30");
    EXPECT_EQ(ActionOf(1), "R30");
    EXPECT_EQ(status(), " " + language.FormatText(Msg::YouBet, "$30"));
    EXPECT_FALSE(table.MyTurn());
    // The buttons wait for the host's answer: no caption from a turn that has gone.
    EXPECT_FALSE(Child(form, "C_Button")->isEnabled());

    // The host moves on: a bot gets the turn and its label is underlined.
    ASSERT_TRUE(RunUntil([&] { return Seat(form, "PlayersLbl", 2)->font().underline(); }));
    EXPECT_FALSE(Child(form, "B_Button")->isEnabled() || Seat(form, "PlayersLbl", 1)->font().underline());
    EXPECT_TRUE(Shows(form, "PlayersCash", 1, "$470"));

    // Then C, F and (in a later hand) A, whenever the turn comes back.
    const char plan[] = {'c', 'f', 'a'};
    size_t step = 0;
    bool sawBoard = false;
    for (int guard = 0; step < std::size(plan) && guard < 200; ++guard) {
        ASSERT_TRUE(RunUntil([&] {
            if (!Trim(table.Board().Card1).empty() && table.MyTurn()) {
                sawBoard = true;
                EXPECT_TRUE(handLine().contains(QLatin1String("M39")));
            }
            for (int p = 2; p <= 3; ++p)
                EXPECT_TRUE(!Shows(form, "StateLbl", p, "F") || FoldedRed(form, p));
            if (table.CanStartRound()) Type(log, "s");
            return table.MyTurn() && !amountBox->isVisible();
        })) << step;
        if (plan[step] == 'a' && table.State().HandNo < 2) {
            Type(log, "f"); // the all in is for the next hand
            continue;
        }
        const BetLimits limits = LimitsOf(table);
        Type(log, std::string(1, plan[step]));
        if (plan[step] == 'c') {
            const Currency toCall = limits.minBet - limits.myBet;
            EXPECT_EQ(ActionOf(1), toCall > Currency() ? "R" + toCall.ToString() : std::string("C"));
            EXPECT_EQ(status(), " " + (toCall > Currency() ? language.LangText[Msg::YouCall]
                                                           : language.LangText[Msg::YouCheck]));
        } else if (plan[step] == 'f') {
            EXPECT_EQ(ActionOf(1), "F");
            EXPECT_EQ(status(), " " + language.LangText[Msg::YouFold]);
            ASSERT_TRUE(RunUntil([&] { return Shows(form, "StateLbl", 1, "F"); }));
            EXPECT_TRUE(FoldedRed(form, 1));
        } else {
            EXPECT_EQ(ActionOf(1), "R" + limits.myCash.ToString());
            EXPECT_EQ(status(), " " + language.FormatText(Msg::YouAllIn, form.FormatCash(limits.myCash)));
            ASSERT_TRUE(RunUntil([&] { return Shows(form, "StateLbl", 1, "A"); }));
        }
        EXPECT_FALSE(table.MyTurn());
        ++step;
    }
    EXPECT_EQ(step, std::size(plan));
    EXPECT_TRUE(sawBoard) << "the board never showed on my turn";

    // The log rebuilt from its lines reads as before.
    const std::string before = LogOf(form);
    form.MsgRefresh();
    EXPECT_EQ(LogOf(form), before);
    EXPECT_TRUE(boxes.Texts().empty()) << boxes.LastText();
}

// The tool box tells what to call, each seat's bet in the hand and who
// deals; between hands it shows no bets and an empty pot.
TEST_F(TableWindowTest, ToolBoxShowsWhatToCallTheBetsTheDealerAndThisHandsPot)
{
    MainForm form{settings, language};
    Open(form, "2");
    Table& table = *form.Engine();
    QWidget* log = Child(form, "RTB2");
    auto dealers = [&] {
        std::string marked;
        for (int p = 1; p <= 3; ++p)
            if (Seat(form, "DealerLbl", p)->isVisibleTo(&form)) marked += std::to_string(p);
        return marked;
    };
    Type(log, "s");
    ASSERT_TRUE(RunUntil([&] { return table.MyTurn(); }));
    EXPECT_EQ(Text(form, "CallLbl"), "$10");
    EXPECT_EQ(Text(form, "PotLbl"), "$15");
    EXPECT_TRUE(Shows(form, "BetLbl", 2, "$5") && Shows(form, "BetLbl", 3, "$10"));
    EXPECT_FALSE(Seat(form, "BetLbl", 1)->isVisibleTo(&form));
    EXPECT_EQ(dealers(), "1");

    Type(log, "c");
    ASSERT_TRUE(RunUntil([&] { return Shows(form, "BetLbl", 1, "$10"); }));
    ASSERT_TRUE(RunUntil([&] {
        if (table.MyTurn()) {
            EXPECT_EQ(Text(form, "CallLbl"), form.FormatCash(table.State().MinBet - table.State().MyBet));
            Type(log, "f");
        }
        return table.CanStartRound();
    }));
    // The paid pot is gone at once; the bets go with the end of the hand.
    const auto betsShown = [&] {
        int shown = 0;
        for (int p = 1; p <= 3; ++p)
            shown += Seat(form, "BetLbl", p)->isVisibleTo(&form) ? 1 : 0;
        return shown;
    };
    EXPECT_TRUE(RunUntil([&] { return Text(form, "PotLbl") == "$0" && betsShown() == 0; }, 300))
        << Text(form, "PotLbl");
    EXPECT_EQ(Text(form, "CallLbl"), "");

    // The button passes on with the next hand.
    Type(log, "s");
    ASSERT_TRUE(RunUntil([&] { return dealers() == "2"; })) << dealers();
    EXPECT_TRUE(boxes.Texts().empty()) << boxes.LastText();
}

// A game whose record cannot be read (a negative blind, a start cash beyond
// every limit) is reported, the window goes, and the seat taken is given up.
TEST_F(TableWindowTest, AGameThatCannotBeOpenedIsReportedLeftAndItsSeatGivenUp)
{
    const std::pair<const char*, void (*)(GameRecord&)> faults[] = {
        {"blind", [](GameRecord& g) { g.SmallBlind = Currency::FromWhole(-5); }},
        {"cash", [](GameRecord& g) { g.StartCash = MaxRecordAmount + Currency::FromWhole(1); }}};
    for (const auto& [name, spoil] : faults) {
        SCOPED_TRACE(name);
        settings.LastPlayer = "Ann";
        const BrowserOutcome made = lobby.CreateButton({name, "500", "5", "10", "$", "0", 2});
        ASSERT_TRUE(made.openTable);
        folder = made.session.GameFolder;
        settings.LastPlayer = "Bea";
        const BrowserOutcome joined = lobby.JoinGame(folder.substr(folder.find_last_of('/') + 1));
        ASSERT_TRUE(joined.openTable);
        {
            auto gam = OpenRecordFile(GameFilePath(folder), GameRecordLength);
            ASSERT_TRUE(gam);
            GameRecord g = *gam->ReadGame();
            spoil(g);
            ASSERT_TRUE(gam->WriteGame(g));
        }
        boxes.shown.clear();
        MainForm form{settings, language};
        form.SetPauseScale(0);
        form.Init(joined.session);
        ASSERT_EQ(boxes.Texts().size(), 1u);
        EXPECT_EQ(boxes.LastText().rfind("Error Initialising Game: gam.spk", 0), 0u) << boxes.LastText();
        EXPECT_TRUE(form.HasLeft());
        EXPECT_EQ(ActionOf(2), "D") << "the seat stays taken";
    }
}

// At the showdown every hand shown has its two hole cards on the player's
// line and the best five on the next.
TEST_F(TableWindowTest, EachShownHandHasItsHoleCardsThenTheBestFive)
{
    MainForm form{settings, language};
    Open(form, "2");
    Table& table = *form.Engine();
    QWidget* log = Child(form, "RTB2");
    const std::string heading = language.FormatText(Msg::ShowdownMainPot);
    ASSERT_TRUE(RunUntil(
        [&] {
            if (!table.CanStartRound()) {
                if (table.MyTurn()) Type(log, "c");
                return false;
            }
            if (LogOf(form).find(heading) != std::string::npos) return true;
            Type(log, "s");
            return false;
        },
        30000));
    const QStringList lines = ToQ(LogOf(form)).split('\n');
    qsizetype from = lines.size();
    while (from > 0 && !lines[from - 1].contains(ToQ(heading)))
        --from;
    int shown = 0;
    for (qsizetype i = from; i + 1 < lines.size(); ++i) {
        for (const char* who : {"Ann: ", "Bot"}) {
            if (lines[i].startsWith(QLatin1String(who)) && lines[i].contains(QLatin1String(": "))) {
                EXPECT_EQ(SuitSigns(lines[i]), 2) << FromQ(lines[i]);
                EXPECT_EQ(SuitSigns(lines[i + 1]), 5) << FromQ(lines[i + 1]);
                ++shown;
            }
        }
    }
    EXPECT_GE(shown, 2) << LogOf(form);
}

// The first hand is the host's to deal; the next ones come by themselves
// only with the option, and the hint stays for the manual way.
TEST_F(TableWindowTest, TheNextHandIsDealtByItselfOnlyWithTheOption)
{
    MainForm form{settings, language};
    Open(form, "2");
    Table& table = *form.Engine();
    QWidget* log = Child(form, "RTB2");
    const std::string hint = " " + language.FormatText(Msg::PressStartRound, "A46");
    for (const bool autoDeal : {false, true}) {
        settings.AutoDeal = autoDeal;
        if (table.State().HandNo == 1) Type(log, "s");
        ASSERT_TRUE(RunUntil([&] {
            if (table.MyTurn()) Type(log, "f");
            return table.State().HandNo == 2;
        }));
        RunUntil([] { return false; }, 100);
        EXPECT_EQ(table.State().HandNo > 2 || !table.CanStartRound(), autoDeal);
        EXPECT_TRUE(autoDeal || Text(form, "StatusMsg") == hint) << Text(form, "StatusMsg");
    }
}

class GameEndTest : public TableWindowTest {
protected:
    // The status line says the game is over and no control offers a move.
    static void ExpectEnded(const MainForm& form, const std::string& status)
    {
        EXPECT_EQ(Text(form, "StatusMsg"), status);
        for (const char* button : {"C_Button", "B_Button", "F_Button", "M_Button"})
            EXPECT_FALSE(Child(form, button)->isEnabled()) << button;
        EXPECT_FALSE(Child(form, "StartRoundBtn")->isVisibleTo(&form));
        for (const char* item : {"mChkCall", "mBet", "mFold", "mAllIn", "mMsg", "mStartRound"})
            EXPECT_FALSE(Child<QAction>(form, item)->isEnabled()) << item;
    }
};

TEST_F(GameEndTest, TheHostLeavingEndsTheGameOnTheGuestsTurn)
{
    MainForm ann{settings, language}, bea{settings, language};
    Open(ann, "0");
    ASSERT_NO_FATAL_FAILURE(JoinAsBea(bea));
    ASSERT_TRUE(RunUntil([&] { return Shows(ann, "PlayersLbl", 2, "Bea"); }));
    Type(Child(ann, "RTB2"), "s");
    // Heads-up Ann on the button posts the small blind and acts first.
    ASSERT_TRUE(RunUntil([&] { return ann.Engine()->MyTurn(); }));
    Type(Child(ann, "RTB2"), "c");
    ASSERT_TRUE(RunUntil([&] { return bea.Engine()->MyTurn(); }));
    ASSERT_TRUE(RunUntil([&] { return Text(bea, "StatusMsg") == " " + language.LangText[Msg::YourTurn]; }));

    boxes.defaultAnswer = MsgAnswer::Yes;
    ann.close();
    ASSERT_TRUE(
        RunUntil([&] { return Text(bea, "StatusMsg") != " " + language.LangText[Msg::YourTurn]; }, 500));
    ExpectEnded(bea, " " + language.LangText[Msg::GameEnded]);
    // The keys offer nothing either.
    const std::string action = ActionOf(2);
    Type(Child(bea, "RTB2"), "cm");
    EXPECT_FALSE(Child(bea, "EnterMsgBox")->isVisible());
    RunUntil([] { return false; }, 30);
    EXPECT_EQ(ActionOf(2), action);
    ExpectEnded(bea, " " + language.LangText[Msg::GameEnded]);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"A111"}) << "only the host's leave question";
}

TEST_F(GameEndTest, AGameFolderThatVanishesEndsTheGameWithoutErrors)
{
    MainForm form{settings, language};
    Open(form, "1");
    Type(Child(form, "RTB2"), "s");
    ASSERT_TRUE(RunUntil([&] { return form.Engine()->MyTurn() || form.Engine()->CanStartRound(); }));
    std::filesystem::remove_all(folder);
    ASSERT_TRUE(RunUntil(
        [&] { return Text(form, "StatusMsg") == " " + language.LangText[Msg::GameFolderGone]; }, 500))
        << Text(form, "StatusMsg");
    ExpectEnded(form, " " + language.LangText[Msg::GameFolderGone]);
    RunUntil([] { return false; }, 30);
    EXPECT_FALSE(Child<QTimer>(form, "Timer1")->isActive());
    EXPECT_TRUE(boxes.Texts().empty()) << boxes.LastText();
}

TEST_F(TableWindowTest, ClosingWhileALineHoldsTheGameLeavesOnceTheTickIsOver)
{
    MainForm form{settings, language};
    Open(form, "0");
    form.SetPauseScale(1);
    bool closed = false;
    QObject::connect(&form, &MainForm::tableClosed, [&] { closed = true; });
    boxes.defaultAnswer = MsgAnswer::Yes;
    ASSERT_TRUE(SendPlayerMessage(folder, "dThe dealer speaks").Ok());
    // The player closes the window while the dealer's line holds the game.
    QTimer player;
    QObject::connect(&player, &QTimer::timeout, [&] {
        if (form.isVisible() && LogOf(form).find("dealer speaks") != std::string::npos) form.close();
    });
    player.start(5);
    ASSERT_TRUE(RunUntil([&] { return closed; }));
    EXPECT_FALSE(FolderExists(folder));
    const long long ticks = form.Engine()->Counters().ticks;
    RunUntil([] { return false; }, 30);
    EXPECT_EQ(form.Engine()->Counters().ticks, ticks);
}

// Rebuilds while the reading wait after a dealer line holds the game and
// while the cards after it are animated: the log keeps each line once, and
// no letter stays enlarged.
TEST_F(TableWindowTest, ARebuildDuringAWaitShowsEachLineOnce)
{
    settings.Animated = true;
    MainForm form{settings, language};
    Open(form, "0");
    form.SetPauseScale(0.05);
    int rebuilds = 0;
    QTimer rebuilder;
    QObject::connect(&rebuilder, &QTimer::timeout, [&] {
        if (rebuilds < 8 && LogOf(form).find("The flop:") != std::string::npos) {
            ++rebuilds;
            form.MsgRefresh();
        }
    });
    rebuilder.start(0);
    ASSERT_TRUE(SendPlayerMessage(folder, "dThe flop:").Ok());
    ASSERT_TRUE(SendPlayerMessage(folder, "c3_2,0_12,2_3").Ok());
    ASSERT_TRUE(SendPlayerMessage(folder, "sAfter the flop").Ok());
    ASSERT_TRUE(RunUntil([&] { return LogOf(form).find("After the flop") != std::string::npos; }));
    rebuilder.stop();
    RunUntil([] { return false; }, 20);
    EXPECT_GE(rebuilds, 2);
    const std::string log = LogOf(form);
    EXPECT_EQ(SuitSigns(ToQ(log)), 3) << log;
    for (const char* line : {"The flop:", "After the flop"})
        EXPECT_EQ(log.find(line), log.rfind(line)) << line;
    for (const auto& run : RunsOf(Child<QTextEdit>(form, "RTB2")))
        EXPECT_LE(run.points, 12) << run.text;
}

// A held key (auto-repeat) restarts the poll timer with every press; the
// poll still comes when it falls due.
TEST_F(TableWindowTest, AHeldKeyDoesNotStopThePoll)
{
    settings.ServerDelay = 60;
    MainForm form{settings, language};
    Open(form, "0");
    QWidget* log = Child(form, "RTB2");
    const long long ticks = form.Engine()->Counters().ticks;
    for (int i = 0; i < 100; ++i) {
        Type(log, "z");
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_GT(form.Engine()->Counters().ticks, ticks);
}

// Names from the folder and captions from the language file are shown as
// they stand: markup in them is never read.
TEST_F(TableWindowTest, NamesAndCaptionsAreShownAsPlainText)
{
    settings.LastPlayer = "<font size=7>Ann</font>";
    language.AppText[Cap::MenuFold] = "<b>Fold</b>";
    MainForm form{settings, language};
    Open(form, "0");
    int named = 0;
    for (const QLabel* label : form.findChildren<QLabel*>()) {
        named += label->text().contains(QLatin1String("<font"));
        EXPECT_TRUE(label->textFormat() == Qt::PlainText || !Qt::mightBeRichText(label->text()))
            << FromQ(label->objectName());
    }
    EXPECT_GE(named, 2); // the own label and the seat
    const QString tip = Child(form, "F_Button")->toolTip();
    EXPECT_EQ(Qt::mightBeRichText(tip) ? QTextDocumentFragment::fromHtml(tip).toPlainText() : tip,
              QStringLiteral("<b>Fold</b>"));
}

// The host learns how to deal once somebody else sits at the table: one log
// line per newcomer, kept in its place by a rebuild, and the status line for
// as long as it waits. A guest never sees it.
TEST_F(TableWindowTest, TheHostWithCompanyIsToldHowToDeal)
{
    MainForm ann{settings, language}, bea{settings, language};
    Open(ann, "0");
    const std::string hint = language.FormatText(Msg::PressStartRound, "A46");
    auto count = [&](const MainForm& w) {
        const std::string log = LogOf(w);
        int n = 0;
        for (auto at = log.find(hint); at != std::string::npos; at = log.find(hint, at + 1))
            ++n;
        return n;
    };
    RunUntil([] { return false; }, 40);
    EXPECT_EQ(count(ann), 0) << "alone at the table";
    EXPECT_NE(Text(ann, "StatusMsg"), " " + hint);

    ASSERT_NO_FATAL_FAILURE(JoinAsBea(bea));
    ASSERT_TRUE(RunUntil([&] { return Text(ann, "StatusMsg") == " " + hint; })) << Text(ann, "StatusMsg");
    RunUntil([] { return false; }, 40);
    EXPECT_EQ(count(ann), 1) << "once, not every poll";
    EXPECT_LT(LogOf(ann).find(language.FormatText(Msg::PlayerJoined, "Bea")), LogOf(ann).find(hint))
        << LogOf(ann);
    EXPECT_EQ(count(bea), 0);
    EXPECT_NE(Text(bea, "StatusMsg"), " " + hint);

    // The disguise look and back rebuild the log: the line stays where it was.
    const std::string before = LogOf(ann);
    ann.DoCommand("N");
    ann.DoCommand("N");
    EXPECT_EQ(LogOf(ann), before);

    // A chat line's confirmation is seen, then the hint comes back.
    QApplication::setActiveWindow(&ann);
    Type(Child(ann, "RTB2"), "m");
    Type(QApplication::focusWidget(), "Ready?");
    Key(Child(ann, "EnterMsgBox"), Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_EQ(Text(ann, "StatusMsg"), " " + language.FormatText(Msg::MessageSent));
    ASSERT_TRUE(RunUntil([&] { return Text(ann, "StatusMsg") == " " + hint; }));

    Type(Child(ann, "RTB2"), "s");
    ASSERT_TRUE(RunUntil([&] { return bea.Engine()->MyTurn() || ann.Engine()->MyTurn(); }));
    RunUntil([] { return false; }, 20);
    EXPECT_NE(Text(ann, "StatusMsg"), " " + hint);
    EXPECT_EQ(count(ann), 1);
    EXPECT_EQ(count(bea), 0);
}

TEST_F(TableWindowTest, ChatReachesEveryWindowAndPrivateLinesOnlyTheirOwn)
{
    MainForm ann{settings, language}, bea{settings, language};
    Open(ann, "0");
    ASSERT_NO_FATAL_FAILURE(JoinAsBea(bea));
    ASSERT_TRUE(RunUntil([&] { return Shows(ann, "PlayersLbl", 2, "Bea"); }));

    QApplication::setActiveWindow(&bea);
    QWidget* log = Child(bea, "RTB2");
    QWidget* chat = Child(bea, "EnterMsgBox");
    Type(log, "m");
    EXPECT_EQ(Text(bea, "StatusMsg"), " " + language.LangText[Msg::TypeMessage]);
    EXPECT_EQ(QApplication::focusWidget(), chat);
    Type(QApplication::focusWidget(), "Call me");
    Type(log, "t"); // ignored while the box is open
    EXPECT_TRUE(Child(bea, "ToolBox")->isVisible());
    EXPECT_EQ(Text(bea, "EnterMsgBox"), "Call me");
    Key(chat, Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_FALSE(chat->isVisible());
    EXPECT_EQ(Text(bea, "StatusMsg"), " " + language.FormatText(Msg::MessageSent));

    ASSERT_TRUE(SendPlayerMessage(folder, "1sOnly for Ann").Ok());
    ASSERT_TRUE(SendPlayerMessage(folder, "2sOnly for Bea").Ok());
    ASSERT_TRUE(RunUntil([&] {
        return LogOf(ann).find("Only for Ann") != std::string::npos &&
               LogOf(bea).find("Only for Bea") != std::string::npos;
    }));
    const std::string line = language.FormatText(Msg::ChatLine, "Bea", "Call me");
    for (const MainForm* win : {&ann, &bea}) {
        EXPECT_NE(LogOf(*win).find(line), std::string::npos);
        EXPECT_EQ(LogOf(*win).find(line), LogOf(*win).rfind(line)) << "once";
    }
    EXPECT_EQ(LogOf(ann).find("Only for Bea"), std::string::npos);
    EXPECT_EQ(LogOf(bea).find("Only for Ann"), std::string::npos);

    // Leaving: the guest gives up the seat; the host's No keeps the table
    // running, Yes leaves and removes the game.
    boxes.answers = {MsgAnswer::Yes, MsgAnswer::No, MsgAnswer::Yes};
    bea.close();
    EXPECT_TRUE(ActionOf(2) == "D" && FolderExists(folder)) << ActionOf(2);
    ann.close();
    EXPECT_TRUE(ann.isVisible() && Child<QTimer>(ann, "Timer1")->isActive());
    ann.close();
    const MessageBoxRequest& question = boxes.shown.back();
    EXPECT_TRUE(question.text == "A111" && question.buttons == MsgButtons::YesNo &&
                question.icon == MsgIcon::Question);
    EXPECT_FALSE(ann.isVisible() || Child<QTimer>(ann, "Timer1")->isActive() || FolderExists(folder));
}

// Two turns let run out make Ann away: the log and status line say so, her
// seat carries the mark and "I'm back" shows; her turns still come to her
// window, and C in one of them plays it and brings her back.
TEST_F(TableWindowTest, AnAwayPlayerSeesHerTurnAndAnyActionKeyBringsHerBack)
{
    MainForm form{settings, language};
    Open(form, "1", 1);
    Table& table = *form.Engine();
    QWidget* log = Child(form, "RTB2");
    ASSERT_TRUE(RunUntil([&] { return table.CanStartRound(); }));
    Type(log, "s");
    ASSERT_TRUE(RunUntil(
        [&] {
            if (table.CanStartRound()) Type(log, "s");
            return table.IsAway(1);
        },
        30000));
    EXPECT_TRUE(Child(form, "BackBtn")->isVisibleTo(&form));
    EXPECT_EQ(Text(form, "PlayersLbl0"), "Ann \u00b7 A109");
    EXPECT_NE(LogOf(form).find(language.LangText[Msg::YouAreAway]), std::string::npos);
    // Her turn reaches her window although she is away.
    ASSERT_TRUE(RunUntil(
        [&] {
            if (table.CanStartRound()) Type(log, "s");
            return table.MyTurn() && Child(form, "C_Button")->isEnabled();
        },
        20000));
    Type(log, "c");
    EXPECT_FALSE(table.IsAway(1));
    EXPECT_FALSE(Child(form, "BackBtn")->isVisibleTo(&form));
    EXPECT_EQ(Text(form, "PlayersLbl0"), "Ann");
    EXPECT_NE(ActionOf(1), "-");
    const std::vector<std::string> lines = test::ReadAllMessages(folder);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "1b" + language.LangText[Msg::YouAreBack]), 1);
}

// A key out of turn says why nothing happened; a refused amount stays on the
// status line through the polls and is kept in the log.
TEST_F(TableWindowTest, KeysOutOfTurnAndRefusalsAreExplained)
{
    MainForm form{settings, language};
    Open(form, "1");
    Table& table = *form.Engine();
    QWidget* log = Child(form, "RTB2");
    Type(log, "c");
    EXPECT_EQ(Text(form, "StatusMsg"), " " + language.LangText[Msg::NotYourTurn]);
    Type(log, "s");
    ASSERT_TRUE(RunUntil([&] { return table.MyTurn(); }));
    EXPECT_EQ(Text(form, "C_Button"), language.FormatText(Msg::CallButton, "$5"));
    Type(log, "b");
    Type(QApplication::focusWidget(), "30abc");
    Key(Child(form, "EnterBox"), Qt::Key_Return, QStringLiteral("\r"));
    const std::string refused = " " + language.FormatText(Msg::AmountUnreadable, "30abc");
    EXPECT_EQ(Text(form, "StatusMsg"), refused);
    RunUntil([] { return false; }, 300);
    EXPECT_EQ(Text(form, "StatusMsg"), refused);
    EXPECT_NE(LogOf(form).find(refused.substr(1)), std::string::npos);
    // The pot button fills the amount box with the pot raise.
    Child<QAbstractButton>(form, "PotBtn")->click();
    EXPECT_EQ(Text(form, "EnterBox"), SuggestedBet(LimitsOf(table), BetSize::Pot).ToString());
}

// Disguised, the window is a text editor's and the hand line has no colour
// and no suit sign; the host's leave question says the game ends for all.
TEST_F(TableWindowTest, TheDisguiseHidesTheGameAndTheHostIsWarnedBeforeLeaving)
{
    MainForm form{settings, language};
    Open(form, "1");
    QWidget* log = Child(form, "RTB2");
    Type(log, "s");
    ASSERT_TRUE(RunUntil([&] { return form.Engine()->MyTurn(); }));
    Type(log, "n");
    Type(log, "u");
    EXPECT_EQ(form.windowTitle(), QStringLiteral("notes.txt - Text Editor"));
    EXPECT_EQ(SuitSigns(ToQ(Text(form, "RTB1", "plainText"))), 0);
    for (const auto& run : RunsOf(Child<QTextEdit>(form, "RTB1")))
        EXPECT_EQ(run.colour, Qt::black) << run.text;
    Type(log, "n");
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Test table"));
    boxes.defaultAnswer = MsgAnswer::No;
    form.close();
    EXPECT_EQ(boxes.LastText(), language.AppText[Cap::HostLeaveQuestion]);
    EXPECT_TRUE(form.isVisible());
}

} // namespace
} // namespace scrivo

// Plays through real table windows on a real game folder with bots.
#include "console/MainForm.h"

#include <functional>
#include <thread>

#include <gtest/gtest.h>

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTextEdit>
#include <QTimer>

#include "console/QtPlatform.h"
#include "engine/Commands.h"
#include "engine/Table.h"
#include "gamefolder/CurrentGame.h"
#include "gamefolder/Directory.h"
#include "gamefolder/RecordFile.h"
#include "platform/Paths.h"
#include "platform/Random.h"
#include "platform/Text.h"
#include "settings/Language.h"
#include "settings/Settings.h"
#include "tests/console/ConsoleTestApp.h"
#include "testsupport/RecordingMessageBox.h"
#include "testsupport/TempDir.h"

namespace scrivo {
namespace {

// Runs the windows' events until the condition holds; false if it never did.
bool RunUntil(const std::function<bool()>& done, int rounds = 6000)
{
    for (int i = 0; i < rounds; ++i) {
        if (done()) return true;
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return done();
}

void Key(QWidget* target, int key, const QString& text = {})
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
}

void Letter(QWidget* target, char c)
{
    const QChar q = QChar::fromLatin1(c);
    Key(target, q.toUpper().unicode(), QString(q));
}

void Type(QWidget* target, const std::string& text)
{
    for (char c : text)
        Letter(target, c);
}

std::string ActionOf(int player)
{
    const auto a = ReadPlayerRecord(GameFolder, player);
    return a ? *a : std::string("?");
}

struct Window {
    explicit Window(MainForm& f) : form(f) {}
    template <typename T> T* Find(const QString& name) const
    {
        T* w = form.findChild<T*>(name);
        EXPECT_NE(w, nullptr) << FromQ(name);
        return w;
    }
    QTextEdit* Log() const { return Find<QTextEdit>(QStringLiteral("RTB2")); }
    QTextEdit* HandLine() const { return Find<QTextEdit>(QStringLiteral("RTB1")); }
    QLineEdit* Amount() const { return Find<QLineEdit>(QStringLiteral("EnterBox")); }
    QLineEdit* Chat() const { return Find<QLineEdit>(QStringLiteral("EnterMsgBox")); }
    std::string Status() const { return FromQ(Find<QLineEdit>(QStringLiteral("StatusMsg"))->text()); }
    QLabel* Seat(const char* kind, int player) const
    {
        return Find<QLabel>(QString::fromLatin1(kind) + QString::number(player - 1));
    }
    std::string LogText() const { return FromQ(Log()->toPlainText()); }
    MainForm& form;
};

QColor TextColour(const QLabel* l)
{
    return l->palette().color(QPalette::WindowText);
}

int SuitSigns(const QString& text)
{
    int n = 0;
    for (QChar c : text)
        if (c == QChar(0x2665) || c == QChar(0x2666) || c == QChar(0x2660) || c == QChar(0x2663)) ++n;
    return n;
}

class TableWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::ConsoleApp();
        test::ResetDisplaySettings();
        // Recognisable texts: every message shows its number and arguments.
        for (int n = 0; n <= 100; ++n)
            if (LangText[n].empty()) LangText[n] = "M" + std::to_string(n) + "[%|$|*]";
        for (int n = 1; n <= 100; ++n)
            AppText[n] = "A" + std::to_string(n);
        for (int n = 1; n <= 8; ++n)
            BotNames[n] = "Bot" + std::to_string(n);
        BotChat.assign(1, std::string());
        ServerDelay = 15;
        MainForm::SetPauseScale(0);
        ProgramRandom().Seed(11);
        ServerDirectory = server.Path() + "/";
        LastPlayer = "Ann";
    }
    void TearDown() override
    {
        MainForm::SetPauseScale(1);
        GameFolder.clear();
        IsHost = false;
        test::ResetDisplaySettings();
    }

    void CreateTable(const char* bots)
    {
        BotCounter counter;
        CreateRequest request{"Test table", "500", "5", "10", "$", bots, 2};
        ASSERT_TRUE(CreateGame(request, counter).Ok());
        ProgramRandom().Seed(11);
    }

    test::TempDir server;
    test::RecordingMessageBox boxes;
};

TEST_F(TableWindowTest, AHandIsPlayedThroughTheWindow)
{
    CreateTable("2");
    const std::string folder = GameFolder;
    MainForm form;
    Window w(form);
    form.resize(TwipsToPixelsX(9600), TwipsToPixelsY(7200));
    form.Init();
    form.show();
    QApplication::setActiveWindow(&form);
    Table& table = *form.Engine();

    // Seats: three shown, the tool box ends below the third.
    EXPECT_EQ(FromQ(w.Seat("PlayersLbl", 1)->text()), "Ann");
    EXPECT_EQ(FromQ(w.Seat("PlayersCash", 1)->text()), "$500");
    EXPECT_TRUE(w.Seat("PlayersLbl", 3)->isVisibleTo(&form));
    EXPECT_FALSE(w.Seat("PlayersLbl", 4)->isVisibleTo(&form));
    const auto* box = w.Find<QFrame>(QStringLiteral("ToolBox"));
    EXPECT_NEAR(PixelsToTwipsY(box->height()), PixelsToTwipsY(w.Seat("PlayersLbl", 3)->y()) + 310, 20);
    EXPECT_EQ(FromQ(w.Find<QLabel>(QStringLiteral("PlayerLbl"))->text()), "Ann A19");
    EXPECT_NE(w.LogText().find("M1[Ann|$|*]"), std::string::npos);

    // S starts the round; the blinds and the hole cards appear.
    Letter(w.Log(), 's');
    ASSERT_TRUE(RunUntil([&] { return table.MyTurn(); }));
    EXPECT_EQ(FromQ(w.Seat("BlindsLbl", 2)->text()), "SB");
    EXPECT_EQ(FromQ(w.Seat("BlindsLbl", 3)->text()), "BB");
    EXPECT_TRUE(w.Seat("BlindsLbl", 3)->isVisibleTo(&form));
    EXPECT_FALSE(w.Seat("BlindsLbl", 1)->isVisibleTo(&form));
    EXPECT_TRUE(w.Seat("PlayersLbl", 1)->font().underline());
    EXPECT_NE(FromQ(w.HandLine()->toPlainText()).find("M38"), std::string::npos);
    EXPECT_EQ(SuitSigns(w.HandLine()->toPlainText()), 2);
    EXPECT_EQ(w.Status(), " " + LangText[40]);
    EXPECT_TRUE(w.Find<QWidget>(QStringLiteral("C_Button"))->isEnabled());

    // Refused amounts: the message of the last failing check, nothing written.
    auto amount = [&](const std::string& typed) {
        Letter(w.Log(), 'b');
        EXPECT_TRUE(w.Amount()->isVisible());
        EXPECT_EQ(QApplication::focusWidget(), w.Amount());
        Type(QApplication::focusWidget(), typed);
        Letter(w.Log(), 'f'); // a command key while the box is open does nothing
        EXPECT_EQ(FromQ(w.Amount()->text()), typed);
        Key(w.Amount(), Qt::Key_Return, QStringLiteral("\r"));
        EXPECT_FALSE(w.Amount()->isVisible());
    };
    amount("600");
    EXPECT_EQ(w.Status(), " " + FormatText(14, "$500"));
    amount("c"); // not a number: refused, and the call check has the last word
    EXPECT_EQ(w.Status(), " " + FormatText(17, "$10"));
    amount("12.5");
    EXPECT_EQ(w.Status(), " " + LangText[96]);
    EXPECT_EQ(ActionOf(1), "-");
    EXPECT_TRUE(table.MyTurn());

    amount("30");
    EXPECT_EQ(ActionOf(1), "R30");
    EXPECT_EQ(w.Status(), " " + FormatText(45, "$30"));
    EXPECT_FALSE(table.MyTurn());

    // The host moves on: a bot gets the turn and its label is underlined.
    ASSERT_TRUE(RunUntil([&] { return w.Seat("PlayersLbl", 2)->font().underline(); }));
    EXPECT_EQ(table.State().CurrentPlayer, 2);
    EXPECT_FALSE(w.Find<QWidget>(QStringLiteral("B_Button"))->isEnabled());
    EXPECT_FALSE(w.Seat("PlayersLbl", 1)->font().underline());
    EXPECT_EQ(FromQ(w.Seat("PlayersCash", 1)->text()), "$470");

    // Then C, F and (in a later hand) A, whenever the turn comes back.
    const char plan[] = {'c', 'f', 'a'};
    size_t step = 0;
    bool sawBoard = false;
    bool sawBotFold = false;
    auto watch = [&] {
        const PlayerRecord& board = table.Board();
        if (!Trim(board.Card1).empty() && table.MyTurn()) {
            sawBoard = true;
            EXPECT_NE(FromQ(w.HandLine()->toPlainText()).find("M39"), std::string::npos);
        }
        for (int p = 2; p <= 3; ++p)
            if (w.Seat("StateLbl", p)->isVisibleTo(&form) &&
                w.Seat("StateLbl", p)->text() == QStringLiteral("F")) {
                sawBotFold = true;
                EXPECT_EQ(TextColour(w.Seat("PlayersLbl", p)), QColor(0xC0, 0, 0));
            }
    };
    for (int guard = 0; step < std::size(plan) && guard < 200; ++guard) {
        ASSERT_TRUE(RunUntil([&] {
            watch();
            if (table.CanStartRound()) {
                Letter(w.Log(), 's');
                return false;
            }
            return table.MyTurn() && !w.Amount()->isVisible();
        })) << "step "
            << step;
        if (plan[step] == 'a' && table.State().HandNo < 2) {
            Letter(w.Log(), 'f'); // the all in is for the next hand
            continue;
        }
        const BetLimits limits = LimitsOf(table);
        Letter(w.Log(), plan[step]);
        const std::string written = ActionOf(1);
        if (plan[step] == 'c') {
            const Currency toCall = limits.minBet - limits.myBet;
            EXPECT_EQ(written, toCall > Currency() ? "R" + toCall.ToString() : std::string("C"));
            EXPECT_EQ(w.Status(), " " + (toCall > Currency() ? LangText[8] : LangText[9]));
        } else if (plan[step] == 'f') {
            EXPECT_EQ(written, "F");
            EXPECT_EQ(w.Status(), " " + LangText[10]);
            ASSERT_TRUE(RunUntil([&] { return w.Seat("StateLbl", 1)->isVisibleTo(&form); }));
            EXPECT_EQ(FromQ(w.Seat("StateLbl", 1)->text()), "F");
            EXPECT_EQ(TextColour(w.Seat("PlayersLbl", 1)), QColor(0xC0, 0, 0));
        } else {
            EXPECT_EQ(written, "R" + limits.myCash.ToString());
            EXPECT_EQ(w.Status(), " " + FormatText(11, form.FormatCash(limits.myCash)));
            ASSERT_TRUE(RunUntil([&] {
                return w.Seat("StateLbl", 1)->isVisibleTo(&form) &&
                       w.Seat("StateLbl", 1)->text() == QStringLiteral("A");
            }));
        }
        EXPECT_FALSE(table.MyTurn());
        ++step;
    }
    EXPECT_EQ(step, std::size(plan));
    EXPECT_TRUE(sawBoard) << "the board never showed on my turn";

    // The rebuilt log reads as before; the three looks are pictured.
    const std::string before = w.LogText();
    form.MsgRefresh();
    EXPECT_EQ(w.LogText(), before);
    EXPECT_EQ(test::RunsOf(*w.Log()).size() > 1, true);
    Letter(w.Log(), 'n');
    ASSERT_TRUE(ScrivoMode);
    for (const auto& run : test::RunsOf(*w.Log())) {
        ASSERT_EQ(run.colour, QColor(Qt::black)) << run.text;
        ASSERT_FALSE(run.bold) << run.text;
    }
    EXPECT_EQ(SuitSigns(w.Log()->toPlainText()), 0);
    Letter(w.Log(), 'n');
    EXPECT_FALSE(ScrivoMode);

    // Leaving: No keeps the table running, Yes leaves and removes the game.
    EXPECT_TRUE(boxes.Texts().empty()) << boxes.LastText();
    bool closed = false;
    QObject::connect(&form, &MainForm::tableClosed, [&] { closed = true; });
    boxes.answers = {MsgAnswer::No};
    form.close();
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(w.Find<QTimer>(QStringLiteral("Timer1"))->isActive());
    boxes.answers = {MsgAnswer::Yes};
    form.close();
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].text, "A60");
    EXPECT_EQ(boxes.shown[1].buttons, MsgButtons::YesNo);
    EXPECT_EQ(boxes.shown[1].icon, MsgIcon::Question);
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(w.Find<QTimer>(QStringLiteral("Timer1"))->isActive());
    ASSERT_TRUE(RunUntil([&] { return closed; }));
    EXPECT_FALSE(FolderExists(folder));
}

TEST_F(TableWindowTest, ClosingWhileALineHoldsTheGameLeavesOnceTheTickIsOver)
{
    CreateTable("0");
    const std::string folder = GameFolder;
    MainForm form;
    Window w(form);
    form.Init();
    form.show();
    MainForm::SetPauseScale(1);
    bool closed = false;
    QObject::connect(&form, &MainForm::tableClosed, [&] { closed = true; });
    boxes.defaultAnswer = MsgAnswer::Yes;
    ASSERT_TRUE(SendPlayerMessage(folder, "dThe dealer speaks").Ok());
    // The player closes the window while the dealer's line holds the game.
    QTimer player;
    QObject::connect(&player, &QTimer::timeout, [&] {
        if (form.isVisible() && w.LogText().find("The dealer speaks") != std::string::npos) form.close();
    });
    player.start(5);
    ASSERT_TRUE(RunUntil([&] { return closed; }));
    EXPECT_FALSE(FolderExists(folder));
    const long long ticks = form.Engine()->Counters().ticks;
    RunUntil([] { return false; }, 30);
    EXPECT_EQ(form.Engine()->Counters().ticks, ticks);
}

// Pictures of the three looks in the middle of a hand, with the shipped
// English texts, in <build>/screenshots.
TEST_F(TableWindowTest, TheThreeLooksArePictured)
{
    const std::string english = JoinPath(ProgramFolder(), "Lang_English.ini");
    if (FolderExists(english)) ReadLanguageFile(english);
    BotChat.assign(1, std::string());
    CreateTable("3");
    MainForm form;
    Window w(form);
    form.resize(TwipsToPixelsX(9600), TwipsToPixelsY(7200));
    form.Init();
    form.show();
    Table& table = *form.Engine();
    Letter(w.Log(), 's');
    for (int turn = 0; turn < 4 && Trim(table.Board().Card1).empty(); ++turn) {
        if (!RunUntil([&] { return table.MyTurn() || table.CanStartRound(); })) break;
        if (table.CanStartRound())
            Letter(w.Log(), 's');
        else
            Letter(w.Log(), 'c');
    }
    RunUntil([&] { return table.MyTurn(); }, 1500);
    test::SaveScreenshot(form, "table-full");
    Letter(w.Log(), 't');
    test::SaveScreenshot(form, "table-no-toolbox");
    Letter(w.Log(), 't');
    Letter(w.Log(), 'n');
    test::SaveScreenshot(form, "table-disguise");
    Letter(w.Log(), 'n');
    boxes.defaultAnswer = MsgAnswer::Yes;
    form.close();
    EXPECT_FALSE(form.isVisible());
}

TEST_F(TableWindowTest, ChatReachesEveryWindowAndPrivateLinesOnlyTheirOwn)
{
    CreateTable("0");
    const std::string folder = GameFolder;
    MainForm ann;
    ann.Init();
    ann.show();
    LastPlayer = "Bea";
    const std::string id = folder.substr(folder.find_last_of('/') + 1);
    ASSERT_TRUE(JoinGame(id).openTable);
    ASSERT_EQ(MyPlayerNo, 2);
    MainForm bea;
    bea.Init();
    bea.show();
    MyPlayerNo = 1;
    IsHost = true;
    Window a(ann);
    Window b(bea);
    ASSERT_TRUE(RunUntil([&] { return a.Seat("PlayersLbl", 2)->isVisibleTo(&ann); }));
    EXPECT_EQ(FromQ(a.Seat("PlayersLbl", 2)->text()), "Bea");

    QApplication::setActiveWindow(&bea);
    Letter(b.Log(), 'm');
    ASSERT_TRUE(b.Chat()->isVisible());
    EXPECT_EQ(b.Status(), " " + LangText[12]);
    EXPECT_EQ(QApplication::focusWidget(), b.Chat());
    Type(QApplication::focusWidget(), "Call me");
    EXPECT_EQ(FromQ(b.Chat()->text()), "Call me");
    Key(b.Chat(), Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_FALSE(b.Chat()->isVisible());
    EXPECT_EQ(b.Status(), " " + FormatText(19));

    // Only blanks: nothing is sent and the status line is cleared.
    Letter(b.Log(), 'm');
    Type(b.Chat(), "   ");
    Key(b.Chat(), Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_EQ(b.Status(), " ");

    ASSERT_TRUE(SendPlayerMessage(folder, "1sOnly for Ann").Ok());
    ASSERT_TRUE(SendPlayerMessage(folder, "2sOnly for Bea").Ok());
    const std::string chat = FormatText(18, "Bea", "Call me");
    ASSERT_TRUE(RunUntil([&] {
        return a.LogText().find("Only for Ann") != std::string::npos &&
               b.LogText().find("Only for Bea") != std::string::npos;
    }));
    for (const Window* win : {&a, &b}) {
        const std::string log = win->LogText();
        EXPECT_EQ(log.find(chat), log.rfind(chat)) << "once";
        EXPECT_NE(log.find(chat), std::string::npos);
        EXPECT_EQ(test::RunWith(test::RunsOf(*win->Log()), "Call me").colour, QColor(0, 0x6F, 0x37));
    }
    EXPECT_EQ(a.LogText().find("Only for Bea"), std::string::npos);
    EXPECT_EQ(b.LogText().find("Only for Ann"), std::string::npos);
    const auto& lines = ann.Engine()->MsgLines();
    EXPECT_EQ(
        std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind('m', 0) == 0; }),
        1);

    boxes.defaultAnswer = MsgAnswer::Yes;
    MyPlayerNo = 2;
    IsHost = false;
    bea.close();
    EXPECT_EQ(ActionOf(2), "D");
    EXPECT_TRUE(FolderExists(folder));
    MyPlayerNo = 1;
    IsHost = true;
    ann.close();
    EXPECT_FALSE(FolderExists(folder));
}

} // namespace
} // namespace scrivo

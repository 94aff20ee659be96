#include "console/MainForm.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QTextEdit>

#include "console/QtPlatform.h"
#include "gamefolder/CurrentGame.h"
#include "settings/Settings.h"
#include "tests/console/ConsoleTestApp.h"
#include "testsupport/FakeClock.h"
#include "testsupport/RecordingMessageBox.h"
#include "testsupport/TempDir.h"

namespace scrivo {
namespace {

using test::RunWith;
using test::StyledRun;

const QColor Blue(0, 0, 255);
const QColor Red(255, 0, 0);

class SavingForm : public MainForm {
public:
    QString chosen;
    int dialogs = 0;

protected:
    QString ShowSave() override
    {
        ++dialogs;
        return chosen;
    }
};

class LogPaneTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::ConsoleApp();
        test::ResetDisplaySettings();
        MainForm::SetPauseScale(0);
        MyPlayerNo = 1;
        form = std::make_unique<SavingForm>();
        pane = form->findChild<QTextEdit*>(QStringLiteral("RTB2"));
        ASSERT_NE(pane, nullptr);
    }
    void TearDown() override
    {
        form.reset();
        MainForm::SetPauseScale(1);
        test::ResetDisplaySettings();
    }
    std::string Text() const { return FromQ(pane->toPlainText()); }
    std::vector<StyledRun> Runs() const { return test::RunsOf(*pane); }

    std::unique_ptr<SavingForm> form;
    QTextEdit* pane = nullptr;
};

struct KindCase {
    char kind;
    QColor colour;
    bool bold;
    bool italic;
};

void PrintTo(const KindCase& k, std::ostream* os)
{
    *os << "kind " << k.kind;
}

class LogKindTest : public LogPaneTest, public ::testing::WithParamInterface<KindCase> {};

TEST_P(LogKindTest, EachKindHasItsLook)
{
    const KindCase k = GetParam();
    form->LogText(std::string(1, k.kind) + "Line of its kind\r\n");
    EXPECT_EQ(Text(), "Line of its kind\n");
    const StyledRun& r = RunWith(Runs(), "Line of its kind");
    EXPECT_EQ(r.colour, k.colour) << k.kind;
    EXPECT_EQ(r.bold, k.bold) << k.kind;
    EXPECT_EQ(r.italic, k.italic) << k.kind;
    EXPECT_EQ(r.family, "Arial");
    EXPECT_EQ(r.points, 10);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, LogKindTest,
    ::testing::Values(KindCase{'s', Qt::black, false, false}, KindCase{'p', Blue, false, false},
                      KindCase{'t', Qt::black, false, true}, KindCase{'d', Blue, true, false},
                      KindCase{'m', QColor(0, 0x6F, 0x37), false, false}, KindCase{'w', Red, true, false},
                      KindCase{'i', Qt::black, true, false},
                      KindCase{'b', QColor(0xA8, 0x10, 0x25), true, false},
                      KindCase{'z', Qt::black, false, false}),
    [](const ::testing::TestParamInfo<KindCase>& info) { return std::string(1, info.param.kind); });

TEST_F(LogPaneTest, ColourAndBoldOptionsStripTheLooks)
{
    ColourText = false;
    form->LogText("wFolds\r\n");
    EXPECT_EQ(RunWith(Runs(), "Folds").colour, QColor(Qt::black));
    EXPECT_TRUE(RunWith(Runs(), "Folds").bold);
    BoldText = false;
    form->LogText("wWins\r\n");
    form->LogText("tStays italic\r\n");
    EXPECT_FALSE(RunWith(Runs(), "Wins").bold);
    EXPECT_TRUE(RunWith(Runs(), "Stays italic").italic);
}

TEST_F(LogPaneTest, PrivateLinesShowOnlyOnTheirPlayersWindow)
{
    MyPlayerNo = 3;
    form->LogText("3sHello three\r\n");
    form->LogText("2sHello two\r\n");
    form->LogText("3");
    EXPECT_EQ(Text(), "Hello three\n");
    EXPECT_EQ(RunWith(Runs(), "Hello three").colour, QColor(Qt::black));
}

TEST_F(LogPaneTest, NameLineContinuesOnTheSameLineInTheColourInForce)
{
    form->LogText("pJoined\r\n");
    form->LogText("nAnn: \r\n");
    form->LogText("tFull house\r\n");
    EXPECT_EQ(Text(), "Joined\nAnn: Full house\n");
    const StyledRun& name = RunWith(Runs(), "Ann: ");
    EXPECT_EQ(name.colour, Blue);
    EXPECT_FALSE(name.bold);
}

TEST_F(LogPaneTest, CardLinesShowSignsNamesBothOrNothing)
{
    form->LogText("c0_12,2_8\r\n");
    EXPECT_EQ(Text(), "A\u2665   10\u2660   \n");
    EXPECT_EQ(RunWith(Runs(), "\u2665").colour, Red);
    EXPECT_EQ(RunWith(Runs(), "\u2665").points, 12);
    EXPECT_EQ(RunWith(Runs(), "\u2660").colour, QColor(Qt::black));
    form->LogText("c3_3,1_4\r\n"); // ends on a red card
    form->LogText("nBob: \r\n");
    EXPECT_EQ(RunWith(Runs(), "Bob: ").colour, QColor(Qt::black));

    pane->clear();
    Symbols = false;
    ColourText = false;
    CardText = true;
    form->LogText("c1_9,3_0\r\n");
    EXPECT_EQ(Text(), "Jd   2c   \nJack of Diamonds, Two of Clubs\n");
    EXPECT_EQ(RunWith(Runs(), "d   ").colour, QColor(Qt::black));

    pane->clear();
    ShortText = false;
    CardText = false;
    form->LogText("c1_9,3_0\r\n");
    EXPECT_EQ(Text(), "");
}

TEST_F(LogPaneTest, AnimatedCardsGrowBackToTheirSizeStepByStep)
{
    test::ScopedFakeClock fake;
    MainForm::SetPauseScale(1);
    Animated = true;
    form->LogText("c0_12,2_8\r\n");
    // A tall spacer first; each card and then the spacer shrink in 16 steps
    // of 10 ms.
    EXPECT_EQ(Text(), " A\u2665   10\u2660   \n");
    EXPECT_EQ(fake.clock.Sleeps(), 48);
    EXPECT_EQ(fake.clock.Slept(), std::chrono::milliseconds(480));
    for (const StyledRun& r : Runs()) {
        if (r.text != "\n") {
            EXPECT_EQ(r.points, 12) << r.text;
        }
    }
}

TEST_F(LogPaneTest, BadCardIsReportedAndEndsTheLine)
{
    test::RecordingMessageBox boxes;
    form->LogText("c7_2\r\n");
    EXPECT_EQ(boxes.LastText(), "Error displaying card symbol.");
}

TEST_F(LogPaneTest, DisguiseModeDrawsEverythingPlain)
{
    ScrivoMode = true;
    CardText = true;
    form->LogText("wFolds\r\n");
    form->LogText("tDescribed\r\n");
    form->LogText("c0_12,1_3\r\n");
    EXPECT_EQ(Text(), "Folds\nDescribed\nAh   5d   \nAce of Hearts, Five of Diamonds\n");
    const std::string family = RunWith(Runs(), "Folds").family;
    for (const StyledRun& r : Runs()) {
        if (r.text == "\n") continue;
        EXPECT_EQ(r.colour, QColor(Qt::black)) << r.text;
        EXPECT_FALSE(r.bold) << r.text;
        EXPECT_FALSE(r.italic) << r.text;
        EXPECT_EQ(r.points, 10) << r.text;
        EXPECT_EQ(r.family, family) << r.text;
    }
}

TEST_F(LogPaneTest, SavedRichTextReopensWithTheSameTextColoursAndBold)
{
    test::TempDir dir;
    form->LogText("dDealing\r\n");
    form->LogText("c0_12,2_8\r\n");
    form->LogText("mAnn: hi {there} \\o/\r\n");
    form->chosen = ToQ(dir.File("log.rtf"));
    form->findChild<QAction*>(QStringLiteral("mSave"))->trigger();
    EXPECT_EQ(form->dialogs, 1);
    const std::vector<StyledRun> saved = test::ParseRtf(test::TempDir::Read(dir.File("log.rtf")));
    EXPECT_EQ(test::TextOf(saved), Text());
    for (const char* piece : {"Dealing", "\u2665", "\u2660", "Ann: hi"}) {
        const StyledRun& a = RunWith(Runs(), piece);
        const StyledRun& b = RunWith(saved, piece);
        EXPECT_EQ(a.colour, b.colour) << piece;
        EXPECT_EQ(a.bold, b.bold) << piece;
        EXPECT_EQ(a.points, b.points) << piece;
    }
}

TEST_F(LogPaneTest, OnlyALowerCaseRtfEndingGivesRichText)
{
    test::TempDir dir;
    form->LogText("iHand 1\r\n");
    for (const char* name : {"log.RTF", "log.txt"}) {
        ASSERT_TRUE(form->SaveLogTo(dir.File(name)));
        EXPECT_EQ(test::TempDir::Read(dir.File(name)), "Hand 1\n") << name;
    }
    ASSERT_TRUE(form->SaveLogTo(dir.File("log.rtf")));
    EXPECT_EQ(test::TempDir::Read(dir.File("log.rtf")).rfind("{\\rtf1", 0), 0u);
}

TEST_F(LogPaneTest, SaveFailureIsReportedAndLeavesNoFile)
{
    test::RecordingMessageBox boxes;
    test::TempDir dir;
    form->LogText("iHand 1\r\n");
    EXPECT_FALSE(form->SaveLogTo(dir.File("missing/log.txt")));
    EXPECT_EQ(boxes.LastText().rfind("Error saving text: ", 0), 0u);
}

TEST_F(LogPaneTest, EmptyLogHasNothingToExport)
{
    test::RecordingMessageBox boxes;
    form->findChild<QAction*>(QStringLiteral("mSave"))->trigger();
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Nothing to Export."});
    EXPECT_EQ(boxes.shown.at(0).buttons, MsgButtons::Ok);
    EXPECT_EQ(form->dialogs, 0);
}

} // namespace
} // namespace scrivo

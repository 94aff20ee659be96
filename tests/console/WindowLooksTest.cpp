#include "console/MainForm.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QTextEdit>

#include "console/QtPlatform.h"
#include "settings/Language.h"
#include "settings/Settings.h"
#include "tests/console/ConsoleTestApp.h"

namespace scrivo {
namespace {

class WindowLooksTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::ConsoleApp();
        test::ResetDisplaySettings();
        form = std::make_unique<MainForm>();
        form->show();
    }
    void TearDown() override
    {
        form.reset();
        test::ResetDisplaySettings();
    }
    template <typename T> T* Find(const char* name) const
    {
        T* w = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    // Resizes the client so that the layout sees the given outer size.
    void ResizeTo(double w, double h)
    {
        QWidget* client = form->centralWidget();
        const int dw = TwipsToPixelsX(w - form->LayoutWidth());
        const int dh = TwipsToPixelsY(h - form->LayoutHeight());
        form->resize(form->width() + dw, form->height() + dh);
        QApplication::processEvents();
        (void)client;
    }
    static int Px(double t) { return TwipsToPixelsX(t); }
    static int Py(double t) { return TwipsToPixelsY(t); }

    std::unique_ptr<MainForm> form;
};

TEST_F(WindowLooksTest, MenusComeInTheirOrderWithDesignCaptions)
{
    std::vector<std::string> seen;
    for (QAction* top : form->menuBar()->actions()) {
        seen.push_back(FromQ(top->text()));
        for (QAction* item : top->menu()->actions())
            seen.push_back(item->isSeparator() ? "-" : FromQ(item->text()));
    }
    const std::vector<std::string> expected = {"&File",
                                               "Save Text...",
                                               "-",
                                               "Speech",
                                               "-",
                                               "E&xit",
                                               "&View",
                                               "Info Pane [T]",
                                               "Status Bar [U]",
                                               "-",
                                               "Scrivo Mode! [N]",
                                               "Tools",
                                               "Check / Call [C]",
                                               "Bet / Raise [B]",
                                               "Fold [F]",
                                               "All In [A]",
                                               "-",
                                               "Message [M]",
                                               "Start Round [S]",
                                               "-",
                                               "Options...",
                                               "&Help",
                                               "Instructions",
                                               "About..."};
    EXPECT_EQ(seen, expected);
    EXPECT_FALSE(Find<QAction>("mSpeech")->isEnabled());
    EXPECT_TRUE(Find<QAction>("mToolHide")->isChecked());
    EXPECT_EQ(FromQ(Find<QPushButton>("C_Button")->text()), "C/C");
    EXPECT_EQ(FromQ(Find<QPushButton>("M_Button")->toolTip()), "Message");
}

TEST_F(WindowLooksTest, LanguageCaptionsKeepTheShortcutSuffix)
{
    for (int i = 1; i <= 60; ++i)
        AppText[i] = "Cap" + std::to_string(i);
    form->ApplyLang();
    EXPECT_EQ(FromQ(Find<QAction>("mChkCall")->text()), "Cap41 [C]");
    EXPECT_EQ(FromQ(Find<QAction>("mStartRound")->text()), "Cap46 [S]");
    EXPECT_EQ(FromQ(Find<QAction>("mScrivo")->text()), "Cap40 [N]");
    EXPECT_EQ(FromQ(Find<QAction>("mVOpt")->text()), "Cap48");
    EXPECT_EQ(FromQ(Find<QMenu>("mTools")->title()), "Cap33");
    EXPECT_EQ(FromQ(Find<QPushButton>("B_Button")->text()), "Cap28");
    EXPECT_EQ(FromQ(Find<QPushButton>("B_Button")->toolTip()), "Cap42");
    EXPECT_EQ(FromQ(Find<QLabel>("PotCaption")->text()), "Cap30");

    // Without captions in the language file the design captions stand.
    MainForm plain;
    AppText[1].clear();
    plain.ApplyLang();
    EXPECT_EQ(FromQ(plain.findChild<QAction*>(QStringLiteral("mChkCall"))->text()), "Check / Call [C]");
}

TEST_F(WindowLooksTest, LayoutFollowsTheWindowSizeInTwips)
{
    // Laid out as soon as it is shown: the entry line closes the window.
    const auto* entry = Find<QLineEdit>("StatusMsg");
    EXPECT_NEAR(entry->y() + entry->height(), form->centralWidget()->height(), 2);
    ResizeTo(9000, 7000);
    const double w = form->LayoutWidth();
    const double h = form->LayoutHeight();
    auto* rtb1 = Find<QTextEdit>("RTB1");
    auto* rtb2 = Find<QTextEdit>("RTB2");
    auto* status = Find<QLineEdit>("StatusMsg");
    EXPECT_EQ(rtb1->y(), Py(h - 1365));
    EXPECT_EQ(status->y(), Py(h - 1065));
    EXPECT_EQ(Find<QLineEdit>("EnterBox")->y(), Py(h - 1065));
    EXPECT_EQ(rtb2->height(), Py(h - 1400));
    EXPECT_EQ(rtb2->width(), Px(w - 140));
    EXPECT_EQ(rtb1->width(), Px(w + 10));
    EXPECT_EQ(status->width(), Px(w));

    // Small windows keep the last widths and heights; the tops follow.
    const int rtb2Width = rtb2->width();
    const int rtb2Height = rtb2->height();
    ResizeTo(2400, 3900);
    EXPECT_EQ(rtb2->width(), rtb2Width);
    EXPECT_EQ(rtb2->height(), rtb2Height);
    EXPECT_EQ(rtb1->y(), Py(form->LayoutHeight() - 1365));
}

TEST_F(WindowLooksTest, StatusBarSwitchLetsTheLogCoverTheHandLine)
{
    ResizeTo(9000, 7000);
    auto* rtb2 = Find<QTextEdit>("RTB2");
    form->DoCommand("U");
    EXPECT_FALSE(StatusBar);
    EXPECT_FALSE(Find<QAction>("mSbar")->isChecked());
    EXPECT_EQ(rtb2->height(), Py(form->LayoutHeight() - 1100));
    EXPECT_FALSE(Find<QTextEdit>("RTB1")->isVisible());
    form->DoCommand("U");
    EXPECT_TRUE(StatusBar);
    EXPECT_EQ(rtb2->height(), Py(form->LayoutHeight() - 1400));
}

TEST_F(WindowLooksTest, ToolBoxSwitchAndDisguiseModeGoTogether)
{
    auto* box = Find<QFrame>("ToolBox");
    form->DoCommand("T");
    EXPECT_FALSE(box->isVisible());
    EXPECT_FALSE(Find<QAction>("mToolHide")->isChecked());
    form->DoCommand("T");
    EXPECT_TRUE(box->isVisible());

    form->DoCommand("N");
    EXPECT_TRUE(ScrivoMode);
    EXPECT_TRUE(Find<QAction>("mScrivo")->isChecked());
    EXPECT_FALSE(box->isVisible());
    EXPECT_FALSE(StatusBar);
    form->DoCommand("T"); // the tool box may still be called up
    form->DoCommand("U");
    form->DoCommand("N");
    EXPECT_FALSE(ScrivoMode);
    EXPECT_TRUE(box->isVisible());
    EXPECT_TRUE(StatusBar);
    EXPECT_TRUE(Find<QAction>("mSbar")->isChecked());
}

TEST_F(WindowLooksTest, ToolBoxIsPulledBackInsideASmallerWindow)
{
    ResizeTo(9600, 7200);
    auto* box = Find<QFrame>("ToolBox");
    form->SetToolBoxLeft(8000);
    form->SetToolBoxTop(4000);
    ResizeTo(6000, 5000);
    const double boxW = PixelsToTwipsX(box->width());
    const double boxH = PixelsToTwipsY(box->height());
    EXPECT_NEAR(form->ToolBoxLeft(), form->LayoutWidth() - boxW, 30);
    EXPECT_NEAR(form->ToolBoxTop(), form->LayoutHeight() - (boxH + 500), 30);
    form->SetToolBoxTop(0);
    ResizeTo(6000, 5200);
    EXPECT_NEAR(form->ToolBoxTop(), 50, 20);
}

void Key(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {})
{
    QKeyEvent e(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(target, &e);
}

TEST_F(WindowLooksTest, PaneKeysAreCommandsButShortcutsStayTheEditors)
{
    auto* log = Find<QTextEdit>("RTB2");
    Key(log, Qt::Key_N, Qt::ControlModifier, QStringLiteral("\x0e"));
    EXPECT_FALSE(ScrivoMode);
    Key(log, Qt::Key_N, Qt::NoModifier, QStringLiteral("n"));
    EXPECT_TRUE(ScrivoMode);
    EXPECT_TRUE(log->toPlainText().isEmpty()) << "typing never edits the pane";
}

TEST_F(WindowLooksTest, EscapeGivesUpTheChatLine)
{
    auto* chat = Find<QLineEdit>("EnterMsgBox");
    form->DoCommand("M");
    ASSERT_TRUE(chat->isVisible());
    chat->setText(QStringLiteral("half a thought"));
    form->DoCommand("T"); // ignored while the box is open
    EXPECT_TRUE(Find<QFrame>("ToolBox")->isVisible());
    Key(chat, Qt::Key_Escape);
    EXPECT_FALSE(chat->isVisible());
    EXPECT_TRUE(chat->text().isEmpty());
    EXPECT_EQ(FromQ(Find<QLineEdit>("StatusMsg")->text()), " ");
}

TEST_F(WindowLooksTest, SavedToolBoxPlaceSurvivesUntilTheWindowIsShown)
{
    MainForm hidden;
    hidden.resize(TwipsToPixelsX(9600), TwipsToPixelsY(7200));
    hidden.SetToolBoxLeft(4000);
    hidden.SetToolBoxTop(2000);
    hidden.show();
    QApplication::processEvents();
    EXPECT_NEAR(hidden.ToolBoxLeft(), 4000, 30);
    EXPECT_NEAR(hidden.ToolBoxTop(), 2000, 30);
}

void Mouse(QWidget* target, QEvent::Type type, QPoint local, Qt::MouseButton button)
{
    const QPointF global = target->mapToGlobal(QPointF(local));
    QMouseEvent e(type, QPointF(local), global, button,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button),
                  Qt::NoModifier);
    QApplication::sendEvent(target, &e);
}

TEST_F(WindowLooksTest, ToolBoxIsDraggedByItsHandlesWithTheLeftButtonOnly)
{
    ResizeTo(9600, 7200);
    auto* box = Find<QFrame>("ToolBox");
    form->SetToolBoxLeft(1500);
    form->SetToolBoxTop(300);
    for (const char* handle : {"ToolHandle", "PlayerLbl"}) {
        auto* h = Find<QLabel>(handle);
        const QPoint before = box->pos();
        Mouse(h, QEvent::MouseButtonPress, {5, 5}, Qt::RightButton);
        Mouse(h, QEvent::MouseMove, {45, 35}, Qt::RightButton);
        Mouse(h, QEvent::MouseButtonRelease, {45, 35}, Qt::RightButton);
        EXPECT_EQ(box->pos(), before) << handle;

        Mouse(h, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton);
        Mouse(h, QEvent::MouseMove, {45, 35}, Qt::LeftButton);
        Mouse(h, QEvent::MouseButtonRelease, {45, 35}, Qt::LeftButton);
        EXPECT_EQ(box->pos(), before + QPoint(40, 30)) << handle;
    }
    // Dragged far away, it stops at the window's edge.
    auto* h = Find<QLabel>("ToolHandle");
    Mouse(h, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton);
    Mouse(h, QEvent::MouseMove, {5000, 5000}, Qt::LeftButton);
    Mouse(h, QEvent::MouseButtonRelease, {5000, 5000}, Qt::LeftButton);
    EXPECT_EQ(box->x() + box->width(), form->centralWidget()->width());
    EXPECT_EQ(box->y() + box->height(), form->centralWidget()->height());
}

} // namespace
} // namespace scrivo

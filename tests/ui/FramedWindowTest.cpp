// Window positions and sizes on a real X display with a window manager,
// where windows have frames: a window opened with a saved position and size
// is where and as large as it was, and the browser's heights count its
// frame. The suite starts its own Xvfb and openbox and skips when either is
// missing.
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QStandardPaths>

#include <QAbstractButton>
#include <QAction>
#include <QDialog>
#include <QTimer>

#include "console/MainForm.h"
#include "console/QtPlatform.h"
#include "engine/Lobby.h"
#include "engine/Table.h"
#include "gamefolder/RecordFile.h"
#include "testsupport/RecordingMessageBox.h"
#include "testsupport/TempDir.h"
#include "settings/Language.h"
#include "settings/Settings.h"
#include "ui/ConnectFrm.h"
#include "ui/SettingsLink.h"
#include "ui/UiCommon.h"

extern char** environ;

// Font configuration keeps caches the leak checker cannot see being freed.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\nleak:libxcb\nleak:libX11\n";
}

namespace scrivo {
namespace {

pid_t Spawn(const std::vector<std::string>& args)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

void Stop(pid_t& pid)
{
    if (pid <= 0) return;
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    pid = -1;
}

// A virtual display of our own with openbox on it, and the one application
// object on that display; or the reason there is none.
struct FramedDisplay {
    pid_t xvfb = -1;
    pid_t wm = -1;
    std::string missing;

    FramedDisplay()
    {
        const std::string xvfbPath = FromQ(QStandardPaths::findExecutable(QStringLiteral("Xvfb"))),
                          wmPath = FromQ(QStandardPaths::findExecutable(QStringLiteral("openbox")));
        if (xvfbPath.empty() || wmPath.empty()) {
            missing = "Xvfb and openbox are needed (scripts/setup installs them)";
            return;
        }
        int fds[2];
        if (::pipe(fds) != 0) {
            missing = "no pipe";
            return;
        }
        // Xvfb picks a free display and writes its number to the pipe.
        xvfb = Spawn({xvfbPath, "-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x1024x24",
                      "-nolisten", "tcp"});
        ::close(fds[1]);
        std::string number;
        pollfd p{fds[0], POLLIN, 0};
        char c = 0;
        while (xvfb > 0 && ::poll(&p, 1, 10000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        ::close(fds[0]);
        if (number.empty()) {
            missing = "Xvfb did not start";
            Stop(xvfb);
            return;
        }
        setenv("DISPLAY", (":" + number).c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        wm = Spawn({wmPath});
        static int argc = 1;
        static char* argv[] = {const_cast<char*>("ui_framed_tests"), nullptr};
        new QApplication(argc, argv);
        // The window manager is up once it frames a new window; a window
        // shown before it started stays unframed, so each try is a new one.
        bool framed = false;
        for (int attempt = 0; attempt < 30 && !framed; ++attempt) {
            QWidget probe;
            probe.resize(100, 100);
            probe.show();
            const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
            while (!(framed = probe.frameGeometry().size() != probe.size()) &&
                   std::chrono::steady_clock::now() < end) {
                QApplication::processEvents(QEventLoop::AllEvents, 10);
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        }
        if (!framed) missing = "openbox put no frame on a window";
    }
    ~FramedDisplay()
    {
        Stop(wm);
        Stop(xvfb);
    }
};

FramedDisplay& Display()
{
    static FramedDisplay display;
    return display;
}

bool RunUntil(const std::function<bool()>& done, int milliseconds = 5000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!done() && std::chrono::steady_clock::now() < end) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return done();
}

// Lets the window manager finish whatever it does to a new window.
void Settle()
{
    RunUntil([] { return false; }, 400);
}

bool Framed(const QWidget& w)
{
    return w.isVisible() && w.frameGeometry().size() != w.size();
}

class FramedWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!Display().missing.empty()) GTEST_SKIP() << Display().missing;
        settings.FontName = "Arial";
        settings.FontSize = 10;
    }

    // Shows a window and waits for its frame; false when none came.
    static bool ShowFramed(QWidget& w)
    {
        w.show();
        const bool framed = RunUntil([&] { return Framed(w); });
        Settle();
        return framed;
    }

    Settings settings;
    Language language;
};

struct Placement {
    long left, top, width, height;
};

Placement Of(const FormGeometry& g)
{
    return {g.Left(), g.Top(), g.Width(), g.Height()};
}

// Saved from one window, opened in the next, saved again: unchanged, for
// the table window and the browser alike.
TEST_F(FramedWindowTest, AWindowOpensWhereAndAsLargeAsItWasSaved)
{
    const long slack = 2 * 1440 / 72; // two pixels at the coarsest density we meet
    auto check = [&](const char* name, const std::function<std::unique_ptr<QWidget>()>& make) {
        SCOPED_TRACE(name);
        Placement saved{};
        {
            const std::unique_ptr<QWidget> first = make();
            WidgetGeometry g(first.get());
            g.Move(1500, 1200, 8400, 6300);
            ASSERT_TRUE(ShowFramed(*first));
            saved = Of(g);
        }
        for (int start = 0; start < 3; ++start) {
            const std::unique_ptr<QWidget> next = make();
            WidgetGeometry g(next.get());
            g.Move(saved.left, saved.top, saved.width, saved.height); // while hidden, as at start-up
            ASSERT_TRUE(ShowFramed(*next));
            const Placement now = Of(g);
            EXPECT_NEAR(now.left, saved.left, slack) << start;
            EXPECT_NEAR(now.top, saved.top, slack) << start;
            EXPECT_NEAR(now.width, saved.width, slack) << start;
            EXPECT_NEAR(now.height, saved.height, slack) << start;
            saved = now;
        }
    };
    check("table window", [&] { return std::make_unique<MainForm>(settings, language); });
    check("browser", [&] { return std::make_unique<ConnectFrm>(settings, language); });
}

// The browser's heights are outer heights, when first shown and after the
// create pane is closed alike.
TEST_F(FramedWindowTest, BrowserHeightsCountTheFrame)
{
    ConnectFrm frm(settings, language);
    ASSERT_TRUE(ShowFramed(frm));
    // Laid out for 1024x768, taller on a larger screen.
    const double scale = ScreenScale(frm.screen());
    EXPECT_NEAR(frm.frameGeometry().height(), TwipsToPixelsY(3230, frm.screen()) * scale, 1);
    frm.CreateClick();
    Settle();
    frm.HideClick();
    Settle();
    EXPECT_NEAR(frm.frameGeometry().height(), TwipsToPixelsY(3210, frm.screen()) * scale, 1);
}

// Without a saved place a window opens centred and as much larger than its
// design as the screen is; a second copy of the program opens a step
// further on, first time and with the place the settings file holds alike.
TEST_F(FramedWindowTest, WindowsOpenCentredInProportionAndASecondCopyBesideTheFirst)
{
    const test::TempDir locks;
    std::optional<CopySlot> first(std::in_place, ToQ(locks.Path()));
    const CopySlot second(ToQ(locks.Path()));
    EXPECT_EQ(first->Number(), 0);
    EXPECT_EQ(second.Number(), 1);
    first.reset();
    EXPECT_EQ(CopySlot(ToQ(locks.Path())).Number(), 0) << "a slot given up is taken again";

    const QSize design(TwipsToPixelsX(9600), TwipsToPixelsY(7200));
    for (const int copy : {0, 1}) {
        SCOPED_TRACE(copy);
        MainForm form(settings, language);
        PlaceFirstShow(&form, design, copy);
        ASSERT_TRUE(ShowFramed(form));
        const QRect free = form.screen()->availableGeometry(), outer = form.frameGeometry();
        const double scale = ScreenScale(form.screen());
        EXPECT_GT(scale, 1.2); // the framed screen is 1280x1024
        EXPECT_NEAR(outer.width(), design.width() * scale, 2);
        EXPECT_NEAR(outer.height(), design.height() * scale, 2);
        EXPECT_NEAR(outer.center().x(), free.center().x() + CopyStepPixels * copy, 2);
        EXPECT_NEAR(outer.center().y(), free.center().y() + CopyStepPixels * copy, 2);
        // The saved place is the first copy's: shown a step on, saved without it.
        WidgetGeometry window(&form);
        CopyGeometry saved(window, std::lround(PixelsToTwipsX(CopyStepPixels * copy)),
                           std::lround(PixelsToTwipsY(CopyStepPixels * copy)));
        saved.Move(1500, 1200, 8400, 6300);
        Settle();
        EXPECT_NEAR(form.frameGeometry().x(), TwipsToPixelsX(1500) + CopyStepPixels * copy, 2);
        EXPECT_NEAR(saved.Left(), 1500, 30);
        EXPECT_NEAR(saved.Top(), 1200, 30);
    }
}

// A host's table with bots, played in a window of its own.
class LiveTableTest : public FramedWindowTest {
protected:
    void SetUp() override
    {
        FramedWindowTest::SetUp();
        if (IsSkipped()) return;
        for (int n = 1; n < TextTable<MsgId>::Count; ++n)
            language.LangText[MsgId(n)] = "M" + std::to_string(n) + "[%|$|*]";
        for (int n = 1; n <= 8; ++n)
            language.BotNames[static_cast<std::size_t>(n)] = "Bot" + std::to_string(n);
        settings.ServerDirectory = dir.Path() + "/";
        settings.LastPlayer = "Ann";
        settings.StatusBar = true;
    }
    void Open(MainForm& form, const char* bots)
    {
        const BrowserOutcome made = lobby.CreateButton({"Live table", "500", "5", "10", "$", bots, 2});
        ASSERT_TRUE(made.openTable);
        folder = made.session.GameFolder;
        form.SetPauseScale(0);
        form.Init(made.session);
        ASSERT_TRUE(ShowFramed(form));
    }
    static void Press(MainForm& form, char letter) { form.DoCommand(std::string(1, letter)); }

    test::RecordingMessageBox boxes;
    test::TempDir dir;
    Lobby lobby{settings, language};
    std::string folder;
};

// The Options dialog open on the host: the bots play on meanwhile.
TEST_F(LiveTableTest, TheHostsTableKeepsPlayingWhileADialogIsOpen)
{
    settings.ServerDelay = 50;
    MainForm form{settings, language};
    ASSERT_NO_FATAL_FAILURE(Open(form, "3"));
    Table& table = *form.Engine();
    Press(form, 'S');
    ASSERT_TRUE(RunUntil([&] { return table.MyTurn(); }, 10000));
    Press(form, 'F'); // the bots play the rest of the hand
    long long during = -1;
    QObject::connect(&form, &MainForm::optionsRequested, &form, [&] {
        QDialog dialog(&form);
        const long long before = table.Counters().actionsProcessed;
        QTimer::singleShot(3000, &dialog, &QDialog::accept);
        dialog.exec();
        during = table.Counters().actionsProcessed - before;
    });
    form.findChild<QAction*>(QStringLiteral("mVOpt"))->trigger();
    EXPECT_GT(during, 0);
}

// The host's own turn is shown by the poll that gives it, not one later.
TEST_F(LiveTableTest, TheOwnTurnIsShownByThePollThatGivesIt)
{
    settings.ServerDelay = 300;
    MainForm form{settings, language};
    ASSERT_NO_FATAL_FAILURE(Open(form, "2"));
    Table& table = *form.Engine();
    Press(form, 'S');
    ASSERT_TRUE(RunUntil(
        [&] { return table.State().CurrentPlayer == 1 && table.Hand().toAct == 1 && !table.Hand().over; },
        10000));
    EXPECT_TRUE(table.MyTurn());
    EXPECT_TRUE(form.findChild<QAbstractButton*>(QStringLiteral("C_Button"))->isEnabled());
}

// Another client holds gam.spk's lock for a while: the window answers, its
// timers run, and the status line names the file it waits for.
TEST_F(LiveTableTest, AWindowWaitingForALockStaysLive)
{
    WindowClock clock;
    SetProgramClock(&clock);
    settings.ServerDelay = 100;
    MainForm form{settings, language};
    ASSERT_NO_FATAL_FAILURE(Open(form, "0"));
    const std::string game = GameFilePath(folder);
    const int fd = ::open(game.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    ASSERT_EQ(::fcntl(fd, F_OFD_SETLK, &lock), 0);
    int beats = 0;
    bool toldWhy = false;
    QTimer beat;
    QObject::connect(&beat, &QTimer::timeout, &form, [&] {
        ++beats;
        const auto* status = form.findChild<QWidget*>(QStringLiteral("StatusMsg"));
        toldWhy = toldWhy || (FileWaitRunning() && status->property("text").toString().contains(ToQ(game)));
    });
    beat.start(100);
    bool released = false;
    QTimer::singleShot(2500, &form, [&] {
        lock.l_type = F_UNLCK;
        ::fcntl(fd, F_OFD_SETLK, &lock);
        released = true;
    });
    const long long ticks = form.Engine()->Counters().ticks;
    RunUntil([&] { return released && form.Engine()->Counters().ticks > ticks + 2; }, 8000);
    ::close(fd);
    SetProgramClock(nullptr);
    EXPECT_TRUE(toldWhy);
    EXPECT_GE(beats, 15); // the timer ran all through the wait
    EXPECT_GT(form.Engine()->Counters().ticks, ticks + 2);
}

} // namespace
} // namespace scrivo

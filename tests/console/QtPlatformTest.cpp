#include "console/QtPlatform.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QScreen>
#include <QWidget>

#include "tests/console/ConsoleTestApp.h"

namespace scrivo {
namespace {

class QtPlatformTest : public ::testing::Test {
protected:
    void SetUp() override { test::ConsoleApp(); }
};

TEST_F(QtPlatformTest, TwipsFollowTheScreensPixelsPerInch)
{
    const double dpi = DotsPerInchX(nullptr);
    ASSERT_GT(dpi, 0);
    EXPECT_EQ(TwipsToPixelsX(1440), static_cast<int>(std::lround(dpi)));
    EXPECT_NEAR(PixelsToTwipsX(TwipsToPixelsX(4800)), 4800, 1440 / dpi);
    QtScreenMetrics metrics;
    EXPECT_EQ(metrics.TwipsPerPixelX(), std::lround(1440 / dpi));
    const QScreen* s = QGuiApplication::primaryScreen();
    ASSERT_NE(s, nullptr);
    EXPECT_NEAR(metrics.WidthTwips(), s->geometry().width() * 1440 / dpi, 1);
}

TEST_F(QtPlatformTest, WindowGeometryRoundTripsInTwips)
{
    QWidget w;
    WidgetGeometry g(&w);
    g.Move(1500, 1200, 6000, 4500);
    const long slack = 2 * std::lround(1440 / DotsPerInchX(nullptr));
    EXPECT_NEAR(g.Left(), 1500, slack);
    EXPECT_NEAR(g.Top(), 1200, slack);
    EXPECT_NEAR(g.Width(), 6000, slack);
    EXPECT_NEAR(g.Height(), 4500, slack);
    EXPECT_EQ(g.WindowState(), FormGeometry::Normal);
    g.SetWindowState(FormGeometry::Maximised);
    EXPECT_EQ(g.WindowState(), FormGeometry::Maximised);
}

struct BoxCase {
    MsgButtons buttons;
    MsgIcon icon;
    QMessageBox::StandardButtons qtButtons;
    QMessageBox::Icon qtIcon;
    QMessageBox::StandardButton press;
    MsgAnswer answer;
};

void PrintTo(const BoxCase& c, std::ostream* os)
{
    *os << "buttons " << static_cast<int>(c.buttons);
}

class QtMessageBoxTest : public QtPlatformTest, public ::testing::WithParamInterface<BoxCase> {};

TEST_P(QtMessageBoxTest, ShowsTheButtonsAndIconAskedForAndReturnsThePress)
{
    const BoxCase c = GetParam();
    QMessageBox::StandardButtons seenButtons;
    QMessageBox::Icon seenIcon = QMessageBox::NoIcon;
    QString seenTitle, seenText;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seenButtons = box->standardButtons();
        seenIcon = box->icon();
        seenTitle = box->windowTitle();
        seenText = box->text();
        box->button(c.press)->click();
    });
    QtMessageBoxService service;
    EXPECT_EQ(service.Show({"File/Connection problem - gone", c.buttons, c.icon, ""}), c.answer);
    EXPECT_EQ(seenButtons, c.qtButtons);
    EXPECT_EQ(seenIcon, c.qtIcon);
    EXPECT_EQ(seenTitle, QStringLiteral("Scrivo Poker"));
    EXPECT_EQ(seenText, QStringLiteral("File/Connection problem - gone"));
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, QtMessageBoxTest,
    ::testing::Values(BoxCase{MsgButtons::Ok, MsgIcon::None, QMessageBox::Ok, QMessageBox::NoIcon,
                              QMessageBox::Ok, MsgAnswer::Ok},
                      BoxCase{MsgButtons::YesNo, MsgIcon::Question, QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::Question, QMessageBox::No, MsgAnswer::No},
                      BoxCase{MsgButtons::RetryCancel, MsgIcon::Exclamation,
                              QMessageBox::Retry | QMessageBox::Cancel, QMessageBox::Warning,
                              QMessageBox::Retry, MsgAnswer::Retry},
                      BoxCase{MsgButtons::OkCancel, MsgIcon::Information,
                              QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Information,
                              QMessageBox::Cancel, MsgAnswer::Cancel}),
    [](const ::testing::TestParamInfo<BoxCase>& info) { return "Case" + std::to_string(info.index); });

} // namespace
} // namespace scrivo

#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "settings/cInifile.h"
#include "testsupport/SettingsFakes.h"
#include "testsupport/TempDir.h"

namespace scrivo {
namespace {

using test::FakeForm;
using test::FakeScreen;
using test::TempDir;

constexpr long kMargin = 60; // four pixels of 15 twips

class FormPositionTest : public ::testing::Test {
protected:
    FormPositionTest()
    {
        ini.SetPath(dir.File("SPK.ini"));
        ini.SetSection("MainForm");
        ini.SetKey("Current");
        ini.SetDefault("keep");
    }

    void Saved(const std::string& body) { dir.Write("SPK.ini", "[MainForm]\n" + body); }
    void Load(FakeForm& form, long minW = 3000, long minH = 3000)
    {
        ini.LoadFormPosition(form, minW, minH, screen);
    }
    void ExpectGeometry(const FakeForm& f, long l, long t, long w, long h)
    {
        EXPECT_EQ(f.left, l);
        EXPECT_EQ(f.top, t);
        EXPECT_EQ(f.width, w);
        EXPECT_EQ(f.height, h);
    }
    void ExpectKeyAndDefaultRestored()
    {
        EXPECT_EQ(ini.Key(), "Current");
        EXPECT_EQ(ini.Default(), "keep");
    }

    TempDir dir;
    cInifile ini;
    FakeScreen screen{19200, 14400};
};

TEST_F(FormPositionTest, SavedPositionIsRestored)
{
    Saved("Maximised=0\nLeft=1000\nTop=800\nWidth=9000\nHeight=7000\n");
    FakeForm form(0, 0, 4000, 4000);
    Load(form);
    ExpectGeometry(form, 1000, 800, 9000, 7000);
    EXPECT_EQ(form.state, FormGeometry::Normal);
    ExpectKeyAndDefaultRestored();
}

TEST_F(FormPositionTest, EmptySectionPullsTheFormInsideAndUpToTheMinimum)
{
    FakeForm form(0, 20, 2000, 2500);
    Load(form);
    ExpectGeometry(form, kMargin, kMargin, 3000, 3000);
    EXPECT_EQ(form.moves, 1);
    EXPECT_EQ(form.state, FormGeometry::Normal);
    ExpectKeyAndDefaultRestored();
}

TEST_F(FormPositionTest, FarLeftAndTooWideAreFittedToTheScreen)
{
    Saved("Left=-5000\nTop=-1\nWidth=50000\nHeight=5000\n");
    FakeForm form;
    Load(form);
    ExpectGeometry(form, kMargin, kMargin, 19200 - 2 * kMargin, 5000);
}

TEST_F(FormPositionTest, OffTheBottomRightMovesBackOnScreen)
{
    Saved("Left=18000\nTop=14000\nWidth=4000\nHeight=3000\n");
    FakeForm form;
    Load(form);
    ExpectGeometry(form, 19200 - kMargin - 4000, 14400 - kMargin - 3000, 4000, 3000);
}

TEST_F(FormPositionTest, ValuesThatAreNotNumbersKeepTheFormsOwn)
{
    Saved("Left=abc\nTop=\nWidth=5000.5\nHeight=4000\n");
    FakeForm form(700, 900, 3500, 3500);
    Load(form);
    ExpectGeometry(form, 700, 900, 5000, 4000);
}

TEST_F(FormPositionTest, ScreenTooSmallForTheMinimumLeavesTheFormButStillMaximises)
{
    screen = FakeScreen(2000, 2000);
    Saved("Maximised=1\nLeft=0\nTop=0\nWidth=4000\nHeight=4000\n");
    FakeForm form(10, 10, 500, 500);
    Load(form);
    EXPECT_EQ(form.moves, 0);
    ExpectGeometry(form, 10, 10, 500, 500);
    EXPECT_EQ(form.state, FormGeometry::Maximised);
}

TEST_F(FormPositionTest, OverflowingSumFailsQuietly)
{
    Saved("Left=2147483000\nWidth=2000\n");
    FakeForm form(100, 100, 4000, 4000);
    ini.SetDefault("keep");
    Load(form);
    EXPECT_EQ(form.moves, 0);
    EXPECT_EQ(ini.LastReturnCode(), 0);
    ExpectKeyAndDefaultRestored();
}

TEST_F(FormPositionTest, SaveWritesGeometryOfANormalWindow)
{
    FakeForm form(120, 240, 9000, 7000);
    ini.SaveFormPosition(form);
    EXPECT_TRUE(ini.Success());
    EXPECT_EQ(TempDir::Read(dir.File("SPK.ini")),
              "[MainForm]\nMaximised=0\nLeft=120\nTop=240\nWidth=9000\nHeight=7000\n");
    EXPECT_EQ(ini.Key(), "Current");
}

TEST_F(FormPositionTest, MinimisedSavesNothingAndMaximisedOnlyTheFlag)
{
    const std::string saved = "[MainForm]\nMaximised=0\nLeft=120\nTop=240\nWidth=9000\nHeight=7000\n";
    dir.Write("SPK.ini", saved);
    FakeForm form(1, 2, 3, 4);
    form.state = FormGeometry::Minimised;
    ini.SaveFormPosition(form);
    EXPECT_EQ(TempDir::Read(dir.File("SPK.ini")), saved);

    form.state = FormGeometry::Maximised;
    ini.SaveFormPosition(form);
    EXPECT_EQ(TempDir::Read(dir.File("SPK.ini")),
              "[MainForm]\nMaximised=1\nLeft=120\nTop=240\nWidth=9000\nHeight=7000\n");

    FakeForm restored(0, 0, 100, 100);
    Load(restored);
    ExpectGeometry(restored, 120, 240, 9000, 7000);
    EXPECT_EQ(restored.state, FormGeometry::Maximised);
}

class BrokenForm final : public FakeForm {
public:
    long Width() const override { throw std::runtime_error("no width"); }
};

TEST_F(FormPositionTest, FormErrorsAreSwallowedWithAZeroCode)
{
    BrokenForm form;
    ini.SaveFormPosition(form);
    EXPECT_EQ(ini.LastReturnCode(), 0);
    EXPECT_EQ(ini.Key(), "Current");
    Load(form);
    EXPECT_EQ(ini.LastReturnCode(), 0);
    EXPECT_EQ(form.moves, 0);
    ExpectKeyAndDefaultRestored();
}

} // namespace
} // namespace scrivo

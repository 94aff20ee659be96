#include "settings/Startup.h"

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "SettingsTestBase.h"
#include "testsupport/SettingsFakes.h"

namespace scrivo {
namespace {

class StartupTest : public test::SettingsTestBase {
protected:
    StartupTest()
    {
        dir.Write("Lang_English.ini", "[Info]\nLang_Name=English\n[Application]\n1=OK\n");
        std::filesystem::create_directory(dir.File("share"));
    }
    void Settings(const std::string& player, const std::string& folder, const std::string& language)
    {
        dir.Write("SPK.ini", "[System]\nServer Directory=" + folder + "\n[Game]\nLast Player=" + player +
                                 "\n[Options]\nLanguage=" + language + "\n");
    }
};

TEST_F(StartupTest, FirstRunOpensTheWizard)
{
    EXPECT_EQ(DecideStartWindow(), StartWindow::Wizard);
    EXPECT_EQ(Language, "");
    EXPECT_EQ(AppText[1], "");
    EXPECT_FALSE(std::filesystem::exists(IniPath()));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(StartupTest, EverythingKnownOpensTheBrowserWithTheLanguageLoaded)
{
    Settings("Ann", dir.File("share"), "English");
    test::FakeSettingsControls controls;
    EXPECT_EQ(DecideStartWindow(&controls), StartWindow::Browser);
    EXPECT_EQ(controls.playerCaption, "Ann");
    EXPECT_EQ(LanguageFile, dir.File("Lang_English.ini"));
    EXPECT_EQ(AppText[1], "OK");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(StartupTest, EachMissingConditionOpensTheWizard)
{
    Settings("", dir.File("share"), "English");
    EXPECT_EQ(DecideStartWindow(), StartWindow::Wizard);
    ResetGlobals();
    Settings("Ann", dir.File("gone"), "English");
    EXPECT_EQ(DecideStartWindow(), StartWindow::Wizard);
    ResetGlobals();
    Settings("Ann", dir.File("share"), "Klingon");
    EXPECT_EQ(DecideStartWindow(), StartWindow::Wizard);
    EXPECT_EQ(Language, "");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(StartupTest, PlainFileAsServerDirectoryStillPasses)
{
    dir.Write("plainfile", "x");
    Settings("Ann", dir.File("plainfile"), "English");
    EXPECT_EQ(DecideStartWindow(), StartWindow::Browser);
}

} // namespace
} // namespace scrivo

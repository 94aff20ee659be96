#include "settings/SettingsStore.h"

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "SettingsTestBase.h"
#include "testsupport/SettingsFakes.h"

namespace scrivo {
namespace {

using test::FakeSettingsControls;
using test::TempDir;
using Field = SettingsControls::Field;

class SettingsStoreTest : public test::SettingsTestBase {
protected:
    void WriteIni(const std::string& text) { dir.Write("SPK.ini", text); }
    std::string IniText() const { return TempDir::Read(IniPath()); }

    FakeSettingsControls controls;
};

TEST_F(SettingsStoreTest, NoFileGivesEveryDefault)
{
    LoadSettings(&controls);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(ServerDelay, 1500);
    EXPECT_EQ(ServerDirectory, dir.Path() + "/");
    EXPECT_EQ(LastPlayer, "");
    EXPECT_EQ(Language, "");
    EXPECT_EQ(FontName, "Arial");
    EXPECT_EQ(FontSize, 10);
    EXPECT_TRUE(ColourText && BoldText && Symbols && Animated && StatusBar && ShortText);
    EXPECT_FALSE(CardText || ScrivoMode);
    EXPECT_EQ(controls.playerCaption, "");
    EXPECT_EQ(controls.gameIndex, 0);
    EXPECT_EQ(controls.typeIndex, 2);
    EXPECT_EQ(controls.FieldText(Field::GameName), "");
    EXPECT_EQ(controls.FieldText(Field::StartCash), "500");
    EXPECT_EQ(controls.FieldText(Field::BigBlind), "10");
    EXPECT_EQ(controls.FieldText(Field::SmallBlind), "5");
    EXPECT_EQ(controls.FieldText(Field::Currency), "$");
    EXPECT_EQ(controls.FieldText(Field::Bots), "2");
    EXPECT_EQ(controls.toolLeft, 2700);
    EXPECT_EQ(controls.toolTop, 1620);
    EXPECT_EQ(controls.table.moves, 1); // kept on the screen
    EXPECT_FALSE(std::filesystem::exists(IniPath()));
}

TEST_F(SettingsStoreTest, EmptyValuesGiveTheDefaultToo)
{
    WriteIni("[System]\nServer Delay=\nServer Directory=\n[Options]\nFontName=\n");
    LoadSettings();
    EXPECT_EQ(ServerDelay, 1500);
    EXPECT_EQ(ServerDirectory, dir.Path() + "/");
    EXPECT_EQ(FontName, "Arial");
}

TEST_F(SettingsStoreTest, ServerDirectoryAlwaysEndsWithASeparator)
{
    WriteIni("[System]\nServer Directory=/srv/games\n");
    LoadSettings();
    EXPECT_EQ(ServerDirectory, "/srv/games/");
    WriteIni("[System]\nServer Directory=/srv/games/\n");
    LoadSettings();
    EXPECT_EQ(ServerDirectory, "/srv/games/");
    const std::string plain = dir.Write("plain", "x");
    WriteIni("[System]\nServer Directory=" + plain + "\n");
    LoadSettings();
    EXPECT_EQ(ServerDirectory, plain);
}

TEST_F(SettingsStoreTest, SavedSettingsLoadBackUnchanged)
{
    ServerDelay = 900;
    ServerDirectory = "/mnt/share/";
    LastPlayer = "J\xC3\xB6rg ";
    Language = "Deutsch";
    FontName = "DejaVu Sans Mono";
    FontSize = 14;
    ColourText = false;
    BoldText = true;
    Symbols = false;
    CardText = true;
    ShortText = false;
    Animated = false;
    StatusBar = true;
    ScrivoMode = true;
    controls.gameIndex = -1;
    controls.typeIndex = 1;
    controls.SetFieldText(Field::GameName, "Friday night");
    controls.SetFieldText(Field::StartCash, "abc");
    controls.SetFieldText(Field::Currency, "\xE2\x82\xAC");
    controls.toolLeft = 1234.5;
    controls.toolTop = 77;
    controls.table = test::FakeForm(500, 600, 8000, 6000);
    SaveSettings(&controls);
    EXPECT_TRUE(messages.shown.empty());

    ResetGlobals();
    FakeSettingsControls loaded;
    LoadSettings(&loaded);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(ServerDelay, 900);
    EXPECT_EQ(ServerDirectory, "/mnt/share/");
    EXPECT_EQ(LastPlayer, "J\xC3\xB6rg"); // the file keeps no blanks at the ends
    EXPECT_EQ(loaded.playerCaption, "J\xC3\xB6rg");
    EXPECT_EQ(Language, "Deutsch");
    EXPECT_EQ(FontName, "DejaVu Sans Mono");
    EXPECT_EQ(FontSize, 14);
    EXPECT_FALSE(ColourText);
    EXPECT_TRUE(BoldText);
    EXPECT_FALSE(Symbols);
    EXPECT_TRUE(CardText);
    EXPECT_FALSE(ShortText);
    EXPECT_FALSE(Animated);
    EXPECT_TRUE(StatusBar);
    EXPECT_TRUE(ScrivoMode);
    EXPECT_EQ(loaded.gameIndex, -1);
    EXPECT_EQ(loaded.typeIndex, 1);
    EXPECT_EQ(loaded.FieldText(Field::GameName), "Friday night");
    EXPECT_EQ(loaded.FieldText(Field::StartCash), "abc");
    EXPECT_EQ(loaded.FieldText(Field::Currency), "\xE2\x82\xAC");
    EXPECT_EQ(loaded.toolLeft, 1234.5);
    EXPECT_EQ(loaded.toolTop, 77);
    EXPECT_EQ(loaded.table.left, 500);
    EXPECT_EQ(loaded.table.height, 6000);
    EXPECT_EQ(loaded.browser.left, 300);
}

TEST_F(SettingsStoreTest, SaveWritesSectionsAndKeysInOrder)
{
    controls.withWindows = false;
    SaveSettings(&controls);
    const std::string text = IniText();
    std::size_t at = 0;
    for (const char* line : {"[System]",
                             "Server Delay=0",
                             "Server Directory=",
                             "[Game]",
                             "Last Player=",
                             "Game=0",
                             "Type=2",
                             "Name=",
                             "StartCash=50",
                             "BB=",
                             "SB=",
                             "Currency=",
                             "Bots=3",
                             "[Options]",
                             "Language=",
                             "FontName=",
                             "FontSize=0",
                             "Colour Text=False",
                             "Bold Text=False",
                             "Short Text=False",
                             "Card Text=False",
                             "Symbols=False",
                             "Animated=False",
                             "Status Bar=False",
                             "ScrivoMode=False",
                             "[Tool Window]",
                             "Left=0",
                             "Top=0"}) {
        const std::size_t found = text.find(std::string(line) + "\n", at);
        ASSERT_NE(found, std::string::npos) << line << " in\n" << text;
        at = found + 1;
    }
    EXPECT_EQ(text.find("[MainForm]"), std::string::npos);
}

TEST_F(SettingsStoreTest, SaveKeepsForeignLinesOfTheFile)
{
    WriteIni("; my notes\n[System]\nServer Delay=1500\nMine=keep me\n[Extra]\nx=1\n");
    ServerDelay = 2000;
    SaveSettings();
    const std::string text = IniText();
    EXPECT_EQ(text.rfind("; my notes\n[System]\nServer Delay=2000\n", 0), 0u) << text;
    EXPECT_NE(text.find("Mine=keep me\n"), std::string::npos);
    EXPECT_NE(text.find("[Extra]\nx=1\n"), std::string::npos);
}

TEST_F(SettingsStoreTest, BooleansReadWordsInAnyCaseAndNumbers)
{
    WriteIni("[Options]\nColour Text=FALSE\nBold Text=true\nSymbols=0\nAnimated=-1\nStatus Bar=0.0\n"
             "Card Text=2\nShort Text= False \nScrivoMode=tRUE\n");
    LoadSettings();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_FALSE(ColourText);
    EXPECT_TRUE(BoldText);
    EXPECT_FALSE(Symbols);
    EXPECT_TRUE(Animated);
    EXPECT_FALSE(StatusBar);
    EXPECT_TRUE(CardText);
    EXPECT_FALSE(ShortText);
    EXPECT_TRUE(ScrivoMode);
}

TEST_F(SettingsStoreTest, BadFontSizeStopsTheLoadThere)
{
    WriteIni("[Game]\nLast Player=Ann\n[Options]\nFontName=Courier\nFontSize=big\nColour Text=True\n"
             "[MainForm]\nLeft=5000\n[Tool Window]\nLeft=10\n");
    LoadSettings(&controls);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.LastText(), "Error loading settings from .ini file.\r\nType mismatch");
    EXPECT_EQ(LastPlayer, "Ann");
    EXPECT_EQ(FontName, "Courier");
    EXPECT_EQ(FontSize, 0);
    EXPECT_FALSE(ColourText || BoldText || Symbols || Animated || StatusBar || CardText || ShortText ||
                 ScrivoMode);
    EXPECT_EQ(controls.table.moves, 0);
    EXPECT_EQ(controls.toolLeft, 0);
}

struct BadValue {
    const char* ini;
    const char* message;
};

class SettingsBadValueTest : public SettingsStoreTest, public ::testing::WithParamInterface<BadValue> {};

TEST_P(SettingsBadValueTest, ShowsTheLoadErrorOnce)
{
    WriteIni(GetParam().ini);
    LoadSettings(&controls);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.LastText(),
              std::string("Error loading settings from .ini file.\r\n") + GetParam().message);
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::None);
}

INSTANTIATE_TEST_SUITE_P(Values, SettingsBadValueTest,
                         ::testing::Values(BadValue{"[System]\nServer Delay=fast\n", "Type mismatch"},
                                           BadValue{"[System]\nServer Delay=99999999999\n", "Overflow"},
                                           BadValue{"[Game]\nGame=3\n", "Invalid property value"},
                                           BadValue{"[Game]\nType=-2\n", "Invalid property value"},
                                           BadValue{"[Game]\nType=70000\n", "Overflow"},
                                           BadValue{"[Options]\nSymbols=yes\n", "Type mismatch"},
                                           BadValue{"[Tool Window]\nTop=up\n", "Type mismatch"}));

TEST_F(SettingsStoreTest, ComboOutOfRangeKeepsWhatTheBrowserHad)
{
    WriteIni("[Game]\nLast Player=Ann\nGame=3\nType=1\nBB=20\n");
    LoadSettings(&controls);
    EXPECT_EQ(controls.playerCaption, "Ann");
    EXPECT_EQ(controls.gameIndex, 0);
    EXPECT_EQ(controls.typeIndex, 2);
    EXPECT_EQ(controls.FieldText(Field::StartCash), "50");
    EXPECT_EQ(controls.FieldText(Field::BigBlind), "");
}

TEST_F(SettingsStoreTest, GarbageFileLoadsWhatItCanWithoutChangingTheFile)
{
    std::string garbage("\xFF\xFE\x00\x01 garbage\n", 13);
    garbage += std::string(1 << 20, 'x') + "\n";
    garbage += "[System]\nServer Delay=700\nServer Delay=800\n\x80\x81\x82=\x83\n[Game\nLast Player=Bea";
    WriteIni(garbage);
    LoadSettings(&controls);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(ServerDelay, 700);
    EXPECT_EQ(LastPlayer, "Bea");
    EXPECT_EQ(IniText(), garbage);
}

TEST_F(SettingsStoreTest, WithoutControlsOnlyTheGlobalsAreTouched)
{
    WriteIni("[Game]\nGame=3\nName=Keep\n[MainForm]\nLeft=1\n[Tool Window]\nLeft=5\nTop=6\n");
    LoadSettings(nullptr);
    EXPECT_TRUE(messages.shown.empty()); // no combo to check the position against
    EXPECT_EQ(FontName, "Arial");
    SaveSettings(nullptr);
    const std::string text = IniText();
    EXPECT_NE(text.find("Game=3\nName=Keep\n"), std::string::npos);
    EXPECT_NE(text.find("[MainForm]\nLeft=1\n"), std::string::npos);
    EXPECT_NE(text.find("[Tool Window]\nLeft=5\nTop=6\n"), std::string::npos);
}

TEST_F(SettingsStoreTest, FailedLastWriteIsReported)
{
    std::filesystem::create_directory(IniPath());
    SaveSettings(&controls);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.LastText(), "Ini file write error.");
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Information);
}

// Puts a folder in the file's place while the windows' values are read, and
// takes it away before the last writes.
class SabotagingControls final : public FakeSettingsControls {
public:
    explicit SabotagingControls(std::string path) : m_path(std::move(path)) {}
    FormGeometry* TableWindow() override
    {
        std::filesystem::remove(m_path);
        std::filesystem::create_directory(m_path);
        return FakeSettingsControls::TableWindow();
    }
    double ToolBoxLeft() const override
    {
        std::filesystem::remove(m_path);
        return 1;
    }

private:
    std::string m_path;
};

TEST_F(SettingsStoreTest, FailedEarlierWriteIsReportedToo)
{
    SabotagingControls sabotage(IniPath());
    SaveSettings(&sabotage);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.LastText(), "Ini file write error.");
    EXPECT_NE(IniText().find("[Tool Window]"), std::string::npos);
}

class ThrowingControls final : public FakeSettingsControls {
public:
    std::string FieldText(Field field) const override
    {
        if (field == Field::SmallBlind) throw std::runtime_error("Object required");
        return FakeSettingsControls::FieldText(field);
    }
};

TEST_F(SettingsStoreTest, SaveErrorKeepsWhatWasWritten)
{
    ThrowingControls throwing;
    LastPlayer = "Ann";
    SaveSettings(&throwing);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.LastText(), "Error saving settings to .ini file.\r\nObject required");
    const std::string text = IniText();
    EXPECT_NE(text.find("BB=\n"), std::string::npos);
    EXPECT_EQ(text.find("SB="), std::string::npos);
    EXPECT_EQ(text.find("[Options]"), std::string::npos);
}

TEST_F(SettingsStoreTest, ReadIniValueUsesTheCurrentSection)
{
    WriteIni("[Game]\nBots=4\nName=\n");
    SettingsIni().SetPath(IniPath());
    SettingsIni().SetSection("game");
    EXPECT_EQ(ReadIniValue("BOTS", "2"), "4");
    EXPECT_EQ(ReadIniValue("Name", "dflt"), "dflt");
    EXPECT_EQ(ReadIniValue("Missing", "dflt"), "dflt");
}

} // namespace
} // namespace scrivo

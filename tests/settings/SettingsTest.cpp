#include "settings/SettingsStore.h"

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Paths.h"
#include "settings/Convert.h"
#include "settings/Language.h"
#include "settings/Settings.h"
#include "settings/Startup.h"
#include "settings/cInifile.h"
#include "testsupport/RecordingMessageBox.h"
#include "testsupport/SettingsFakes.h"
#include "testsupport/TempDir.h"

namespace scrivo {
namespace {

namespace fs = std::filesystem;
using test::FakeForm;
using test::FakeScreen;
using Field = SettingsControls::Field;
using Strings = std::vector<std::string>;
using Rows = std::vector<Strings>;

// Every test runs in its own program folder, with the settings and texts as a
// fresh program start has them and every message recorded.
class SettingsTest : public ::testing::Test {
protected:
    SettingsTest() : m_previousFolder(ProgramFolder()) { Reset(); }
    ~SettingsTest() override { SetProgramFolder(m_previousFolder); }
    void Reset()
    {
        SetProgramFolder(dir.Path());
        messages.Clear();
        controls = test::FakeSettingsControls();
        settings = Settings();
        language = Language();
    }
    std::string IniPath() const { return dir.File("SPK.ini"); }
    std::string IniText() const { return test::TempDir::Read(IniPath()); }
    // The settings (booleans in the order they are read), then what the windows
    // were given, on one line; "~" is the program folder.
    std::string State() const
    {
        std::ostringstream s;
        s << settings.ServerDelay << '|' << settings.ServerDirectory << '|' << settings.LastPlayer << '|'
          << settings.Language << '|' << settings.FontName << '|' << settings.FontSize << '|';
        for (bool b :
             {settings.ColourText, settings.BoldText, settings.Symbols, settings.Animated, settings.StatusBar,
              settings.CardText, settings.ShortText, settings.ScrivoMode, settings.AutoDeal})
            s << (b ? 'T' : 'F');
        s << '|' << controls.playerCaption << '|' << controls.gameIndex << controls.typeIndex;
        for (const auto& field : controls.fields)
            s << '|' << field.second;
        s << '|' << controls.toolLeft << ',' << controls.toolTop << '|' << controls.table.moves;
        std::string text = s.str();
        if (const auto at = text.find(dir.Path()); at != std::string::npos)
            text.replace(at, dir.Path().size(), "~");
        return text;
    }

    test::TempDir dir;
    test::RecordingMessageBox messages;
    test::FakeSettingsControls controls;
    Settings settings;
    Language language;

private:
    std::string m_previousFolder;
};

TEST(ConvertTest, ToLongAndCLngDefaultRoundHalfToEvenOrSayWhy)
{
    // clang-format off
    const Rows rows = {{"  42  ", "42"}, {"2.5", "2"}, {"3.5", "4"}, {"-2.5", "-2"}, {"1e3", "1000"},
        {"&H10", "16"}, {"&HFFFFFFFF", "-1"}, {"&O17", "15"}, {"-2147483648", "-2147483648"},
        {"2147483648", kOverflow}, {"1e400", kOverflow}, {"abc", kTypeMismatch}, {"", kTypeMismatch},
        {"12abc", kTypeMismatch}, {"1 2", kTypeMismatch}};
    // clang-format on
    for (const auto& r : rows) {
        const LongConversion c = ToLong(r[0]);
        EXPECT_EQ(c.ok ? std::to_string(c.value) : c.error, r[1]) << r[0];
        EXPECT_EQ(cInifile().CLngDefault(r[0], 7), c.ok ? c.value : 7) << r[0];
    }
}

class IniFileTest : public SettingsTest {
protected:
    IniFileTest() { ini.SetPath(IniPath()); }
    cInifile& At(const std::string& section, const std::string& key)
    {
        ini.SetSection(section);
        ini.SetKey(key);
        return ini;
    }

    cInifile ini;
};

TEST_F(IniFileTest, ReadsTheFirstMatchIgnoringCaseOrTheDefault)
{
    ini.SetDefault("dflt");
    EXPECT_EQ(At("Game", "k").Value(), "dflt"); // no file
    std::string umlauts;
    for (int i = 0; i < 300; ++i)
        umlauts += "\xC3\xA4";
    dir.Write("SPK.ini",
              "[Game]\r\n Server Delay = 1500 \r\nk=first\r\nk=second\r\nb=\"quoted\"\r\nc='single'\r\n"
              "d=\"half\r\nPlayer=J\xF6rg\r\nlong=" +
                  std::string(300, 'x') + "\r\numl=" + umlauts + std::string("\r\nn=ab\0cd", 9) +
                  "\r\n[game]\r\nonly=later\r\n");
    // clang-format off
    const Rows rows = {{"GAME", "server delay", "1500"}, {"Game", "k", "first"}, {"Game", "b", "quoted"},
        {"Game", "c", "single"}, {"Game", "d", "\"half"}, {"Game", "Player", "J\xC3\xB6rg"},
        {"Game", "long", std::string(254, 'x')}, {"Game", "uml", umlauts.substr(0, 508)},
        {"Game", "n", "ab"}, {"Game", "only", "dflt"}, {"Nowhere", "k", "dflt"}, {"Game", "missing", "dflt"}};
    // clang-format on
    for (const auto& r : rows)
        EXPECT_EQ(At(r[0], r[1]).Value(), r[2]) << r[0] << "/" << r[1];
}

TEST_F(IniFileTest, EachChangeTouchesOnlyItsOwnLinesByteForByte)
{
    std::string garbage = "\x01\x02\xFF\xFE binary \x80\x81\n";
    garbage += std::string("nul\0inside\n", 11) + std::string(1 << 20, 'M') + "\n=no key\n]][[\n";
    const std::string crlf = "; settings\r\n[System]\r\nServer Delay = 1500\r\n; the shared folder\r\n"
                             "Server Directory=/srv/poker/\r\n\r\n[Game]\r\nLast Player=Ann\r\njunk line\r\n";
    std::string crlfAfter = crlf;
    crlfAfter.replace(crlf.find("Server Delay = 1500"), 19, "Server Delay=900");
    // before, section, key, value, after
    // clang-format off
    const Rows rows = {{crlf, "system", "server delay", "900", crlfAfter},
        {"[Game]\nLast Player=Ann\n", "game", "LAST PLAYER", "Bob", "[Game]\nLast Player=Bob\n"},
        {"[A]\nx=1\n\n; about B\n[B]\ny=2", "A", "z", "3", "[A]\nx=1\nz=3\n\n; about B\n[B]\ny=2"},
        {"[A]\nx=1\n[B]\ny=2\n\n[C]\n", "B", "v", "5", "[A]\nx=1\n[B]\ny=2\nv=5\n\n[C]\n"},
        {"[A]\nx=1\n", "C", "w", "4", "[A]\nx=1\n\n[C]\nw=4\n"},
        {"[S]\nk=first\nk=second\n[s]\nk=third\n", "S", "K", "new", "[S]\nk=new\nk=second\n[s]\nk=third\n"},
        {"[Game]\r\nName=J\xF6rg\r\n", "Game", "x", "1", "[Game]\r\nName=J\xF6rg\r\nx=1\r\n"},
        {garbage + "[S]\nk=1", "S", "k", "2", garbage + "[S]\nk=2\n"},
        {"", "S", "k", std::string("a\0b\0\0c", 6), "[S]\nk=abc\n"},
        {"", "S", "k", "one\r\n[Evil]\nx=1", "[S]\nk=one  [Evil] x=1\n"}};
    // clang-format on
    for (const auto& r : rows) {
        dir.Write("SPK.ini", r[0]);
        At(r[1], r[2]).SetValue(r[3]);
        EXPECT_TRUE(ini.Success());
        EXPECT_EQ(IniText(), r[4]) << r[0].substr(0, 40) << r[3];
    }
}

TEST_F(IniFileTest, WriteReplacesTheFileWholeOrNotAtAll)
{
    fs::create_symlink(IniPath(), IniPath()); // a link to itself cannot be read, so it is never replaced
    At("S", "k").SetValue("v");
    EXPECT_EQ(std::pair(ini.LastReturnCode(), ini.FailedWrites()), std::pair(0L, 1L));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
    EXPECT_TRUE(fs::is_symlink(IniPath()));

    fs::remove(IniPath());
    dir.Write("SPK.ini", "[S]\nk=1\n");
    fs::permissions(IniPath(), fs::perms(0640));
    fs::create_symlink(IniPath(), dir.File("link.ini"));
    ini.SetPath(dir.File("link.ini"));
    At("S", "k").SetValue("2");
    EXPECT_EQ(std::pair(ini.LastReturnCode(), ini.FailedWrites()), std::pair(1L, 1L));
    EXPECT_TRUE(fs::is_symlink(dir.File("link.ini")));
    EXPECT_EQ(IniText(), "[S]\nk=2\n");
    EXPECT_EQ(fs::status(IniPath()).permissions(), fs::perms(0640));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 2); // no temp file
}

TEST_F(IniFileTest, LoadFormPositionFitsTheSavedPositionOnTheScreen)
{
    const long m = 60; // four pixels of 15 twips
    // saved section, screen, form before, then left, top, width, height, moves, state, success
    // clang-format off
    const std::vector<std::tuple<const char*, FakeScreen, FakeForm, std::vector<long>>> rows = {
        {"Maximised=0\nLeft=1000\nTop=800\nWidth=9000\nHeight=7000\n", {}, {0, 0, 4000, 4000},
         {1000, 800, 9000, 7000, 1, 0, 1}}, {"", {}, {0, 20, 2000, 2500}, {m, m, 3000, 3000, 1, 0, 1}},
        {"Left=-5000\nTop=-1\nWidth=50000\nHeight=5000\n", {}, {}, {m, m, 19200 - 2 * m, 5000, 1, 0, 1}},
        {"Left=18000\nTop=14000\nWidth=4000\nHeight=3000\n", {}, {},
         {19200 - m - 4000, 14400 - m - 3000, 4000, 3000, 1, 0, 1}},
        {"Left=abc\nTop=\nWidth=5000.5\nHeight=4000\n", {}, {700, 900, 3500, 3500},
         {700, 900, 5000, 4000, 1, 0, 1}},
        {"Maximised=1\nLeft=0\nTop=0\nWidth=4000\nHeight=4000\n", {2000, 2000}, {10, 10, 500, 500},
         {10, 10, 500, 500, 0, FormGeometry::Maximised, 1}},
        {"Left=2147483000\nWidth=2000\n", {}, {100, 100, 4000, 4000}, {100, 100, 4000, 4000, 0, 0, 0}}};
    // clang-format on
    for (auto [saved, screen, form, expected] : rows) {
        dir.Write("SPK.ini", std::string("[Other]\n[MainForm]\n") + saved);
        At("Other", "x").SetValue("1"); // a successful write first, so a failure shows
        At("MainForm", "Current").SetDefault("keep");
        ini.LoadFormPosition(form, 3000, 3000, screen);
        const std::vector<long> got{form.left,  form.top,   form.width,   form.height,
                                    form.moves, form.state, ini.Success()};
        EXPECT_EQ(got, expected) << saved;
        EXPECT_EQ(ini.Key() + ini.Default(), "Currentkeep");
    }
}

class BrokenForm final : public FakeForm {
public:
    long Width() const override { throw std::runtime_error("no width"); }
};

TEST_F(IniFileTest, SaveFormPositionWritesNormalGeometryOnlyTheFlagWhenMaximisedNothingWhenMinimised)
{
    const std::string normal = "[MainForm]\nMaximised=0\nLeft=120\nTop=240\nWidth=9000\nHeight=7000\n";
    FakeForm form(120, 240, 9000, 7000);
    At("MainForm", "Current").SaveFormPosition(form);
    form = FakeForm(1, 2, 3, 4); // from here on no geometry is written
    form.state = FormGeometry::Minimised;
    ini.SaveFormPosition(form);
    EXPECT_EQ(IniText(), normal);
    form.state = FormGeometry::Maximised;
    ini.SaveFormPosition(form);
    EXPECT_EQ(IniText(), "[MainForm]\nMaximised=1" + normal.substr(22));
    BrokenForm broken; // a form's error is swallowed, with a zero code
    ini.SaveFormPosition(broken);
    EXPECT_EQ(std::pair(ini.LastReturnCode(), ini.Key()), std::pair(0L, std::string("Current")));
}

TEST_F(SettingsTest, LoadTakesWhatItCanAndStopsAtTheFirstBadValue)
{
    const std::string defaults = "400|~/|||Arial|10|TTTTTFTFF||02||500|10|5||2|-1,1620|1";
    // file ("<none>" for no file), message after "Error loading settings from .ini file.\r\n", state after
    // clang-format off
    const Rows rows = {{"<none>", "", defaults},
        {std::string("\xFF\xFE\x00\x01 garbage\n", 13) + std::string(1 << 20, 'x') + "\n[System]\n"
         "Server Delay=700\nServer Delay=800\n\x80\x81\x82=\x83\n[Game\nLast Player=Bea", "",
         "700|~/|Bea||Arial|10|TTTTTFTFF|Bea|02||500|10|5||2|-1,1620|1"},
        {"[System]\nServer Delay=\nServer Directory=\n[Options]\nFontName=\n", "", defaults},
        {"[Options]\nColour Text=FALSE\nBold Text=true\nSymbols=0\nAnimated=-1\nStatus Bar=0.0\nCard Text=2\n"
         "Short Text= False \nScrivoMode=tRUE\nAuto Deal=True\n", "",
         "400|~/|||Arial|10|FTFTFTFTT||02||500|10|5||2|-1,1620|1"},
        {"[System]\nServer Delay=fast\n", "Type mismatch", "0|||||0|FFFFFFFFF|PlayerName|02|50|3|0,0|0"},
        {"[Game]\nLast Player=Ann\nGame=1\nType=1\n", "Invalid property value",
         "400|~/|Ann|||0|FFFFFFFFF|Ann|02|50|3|0,0|0"},
        {"[Game]\nType=-2\n", "Invalid property value", "400|~/||||0|FFFFFFFFF||02|50|3|0,0|0"},
        {"[Game]\nType=70000\n", "Overflow", "400|~/||||0|FFFFFFFFF||02|50|3|0,0|0"},
        {"[Game]\nLast Player=Ann\n[Options]\nFontName=Mono\nFontSize=big\n[MainForm]\nLeft=5000\n",
         "Type mismatch", "400|~/|Ann||Mono|0|FFFFFFFFF|Ann|02||500|10|5||2|0,0|0"},
        {"[Options]\nSymbols=yes\n", "Type mismatch", "400|~/|||Arial|10|TTFFFFFFF||02||500|10|5||2|0,0|0"},
        {"[Tool Window]\nTop=up\n", "Type mismatch",
         "400|~/|||Arial|10|TTTTTFTFF||02||500|10|5||2|-1,0|1"}};
    // clang-format on
    for (const auto& r : rows) {
        Reset();
        if (r[0] != "<none>") dir.Write("SPK.ini", r[0]);
        LoadSettings(settings, &controls);
        EXPECT_EQ(messages.Texts(),
                  r[1].empty() ? Strings{} : Strings{"Error loading settings from .ini file.\r\n" + r[1]})
            << r[0].substr(0, 40);
        EXPECT_TRUE(r[1].empty() || messages.shown.at(0).icon == MsgIcon::None);
        EXPECT_EQ(State(), r[2]) << r[0].substr(0, 40);
        EXPECT_EQ(fs::exists(IniPath()) ? IniText() : "<none>", r[0]); // never written
    }
}

TEST_F(SettingsTest, SaveWritesEveryKeyInOrderKeepsOtherLinesAndLoadsBackUnchanged)
{
    dir.Write("SPK.ini", "; my notes\n[System]\nMine=keep me\n[Extra]\nx=1\n");
    std::tie(settings.ServerDelay, settings.ServerDirectory, settings.LastPlayer, settings.Language,
             settings.FontName, settings.FontSize) =
        std::tuple(900L, "/mnt/share/", "J\xC3\xB6rg", "Deutsch", "DejaVu Sans Mono", 14L);
    settings.BoldText = settings.CardText = settings.StatusBar = settings.ScrivoMode = settings.AutoDeal =
        settings.Protected = true;
    controls.gameIndex = -1;
    controls.typeIndex = 1;
    controls.levelIndex = 1;
    controls.fields = {
        {Field::GameName, "Friday"}, {Field::StartCash, "abc"}, {Field::Currency, "\xE2\x82\xAC"}};
    controls.toolLeft = 1234.567f;
    controls.table = FakeForm(500, 600, 8000, 6000);
    controls.browser.state = FormGeometry::Maximised;
    SaveSettings(settings, &controls);
    // clang-format off
    EXPECT_EQ(IniText(), "; my notes\n[System]\nMine=keep me\nServer Delay=900\n"
        "Server Directory=/mnt/share/\n[Extra]\nx=1\n\n[Game]\nLast Player=J\xC3\xB6rg\nTurn Time=60\nRules=standard\nProtected=True\nGame=-1\n"
        "Type=1\nBotLevel=1\nName=Friday\nStartCash=abc\nBB=\nSB=\nCurrency=\xE2\x82\xAC\nBots=\n\n[Options]\nLanguage=Deutsch\n"
        "FontName=DejaVu Sans Mono\nFontSize=14\nColour Text=False\nBold Text=True\nShort Text=False\n"
        "Card Text=True\nSymbols=False\nAnimated=False\nStatus Bar=True\nScrivoMode=True\nAuto Deal=True\n\n[MainForm]\n"
        "Maximised=0\nLeft=500\nTop=600\nWidth=8000\nHeight=6000\n\n[ConnectFrm]\nMaximised=1\n\n"
        "[Tool Window]\nLeft=1234.567\nTop=0\n");
    // clang-format on
    Reset();
    LoadSettings(settings, &controls);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(
        State(),
        "900|/mnt/share/|J\xC3\xB6rg|Deutsch|DejaVu Sans Mono|14|FTFFTTFTT|J\xC3\xB6rg|-11|Friday|abc|10|"
        "5|\xE2\x82\xAC|2|1234.57,0|1");
    EXPECT_EQ(std::tuple(controls.table.left, controls.table.height, controls.browser.state),
              std::tuple(500, 6000, FormGeometry::Maximised));
    EXPECT_EQ(controls.levelIndex, 1);
    EXPECT_TRUE(settings.Protected);
}

TEST_F(SettingsTest, AnUnknownBotLevelOrProtectedValueLoadsAsTheDefaultWithoutStoppingTheLoad)
{
    // The level as stored ("" for none), the level loaded.
    for (const auto& [stored, level] :
         std::vector<std::pair<std::string, int>>{{"1", 1}, {"2", 0}, {"-1", 0}, {"", 0}}) {
        const std::string text =
            "[Game]\nProtected=maybe\n" + (stored.empty() ? "" : "BotLevel=" + stored + "\n") + "Bots=4\n";
        Reset();
        controls.levelIndex = 1 - level;
        dir.Write("SPK.ini", text);
        LoadSettings(settings, &controls);
        EXPECT_TRUE(messages.shown.empty()) << text;
        EXPECT_EQ(controls.levelIndex, level) << text;
        EXPECT_EQ(controls.FieldText(Field::Bots), "4") << text; // read after the level
        EXPECT_FALSE(settings.Protected) << text;                // an unreadable choice is off
    }
}

// Fails while the settings are saved: either the table window cannot be
// reached, or the file is a folder while the windows' positions are written
// and a file again for the last writes.
class FailingControls final : public test::FakeSettingsControls {
public:
    FailingControls(std::string path, bool sabotage) : m_path(std::move(path)), m_sabotage(sabotage) {}
    FormGeometry* TableWindow() override
    {
        if (!m_sabotage) throw std::runtime_error("Object required");
        if (fs::remove(m_path)) fs::create_directory(m_path);
        return FakeSettingsControls::TableWindow();
    }
    double ToolBoxLeft() const override { return fs::remove(m_path); }

private:
    std::string m_path;
    bool m_sabotage;
};

TEST_F(SettingsTest, SaveReportsEveryFailedWriteAndKeepsWhatWasWritten)
{
    FailingControls sabotage(IniPath(), true); // only an earlier write fails
    SaveSettings(settings, &sabotage);
    ASSERT_EQ(messages.Texts(), Strings{"Ini file write error."});
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::Information);
    EXPECT_NE(IniText().find("[Tool Window]"), std::string::npos);

    Reset();
    fs::remove(IniPath());
    FailingControls throwing(IniPath(), false);
    SaveSettings(settings, &throwing);
    EXPECT_EQ(messages.Texts(), Strings{"Error saving settings to .ini file.\r\nObject required"});
    EXPECT_EQ(IniText().substr(IniText().find("Status Bar")),
              "Status Bar=False\nScrivoMode=False\nAuto Deal=False\n");
}

TEST_F(SettingsTest, StartWindowNeedsANameAReachableFolderAndAScannedLanguage)
{
    EXPECT_EQ(DecideStartWindow(settings, language), StartWindow::Wizard); // first run
    dir.Write("readme.txt", "[Info]\nLang_Name=No\n");
    dir.Write("Lang_x.txt", "[Info]\nLang_Name=No\n");
    dir.Write("Lang_B.ini", "[Info]\nLang_Name=Beta\n");
    dir.Write("Lang_A.ini", "Lang_Name=No\n[Info]\nLang_Name=Alpha\n");
    dir.Write("Lang_C.ini", "[Info]\nLang_Name=Gamma\nLang_Name=Gamma 2\n");
    dir.Write("Lang_D.ini", "[Text]\nLang_Name=NotInfo\n");
    dir.Write("LANG_e.INI", "[Info]\nLang_Name=Beta\n");
    fs::create_directory(dir.File("Lang_Dir.ini"));
    fs::create_directory(dir.File("share"));
    const std::string share = dir.File("share"), plain = dir.Write("plainfile", "x");
    // player, server directory, language; window, server directory and language file as loaded: the last
    // file of that name wins, a file's last name counts, a file without a name is never chosen
    // clang-format off
    const Rows rows = {{"Ann", share, "Beta", "B", share + "/", "Lang_B.ini"},
        {"Ann", share + "/", "Gamma 2", "B", share + "/", "Lang_C.ini"},
        {"Ann", plain, "Beta", "B", plain, "Lang_B.ini"}, // a file is no folder to add to
        {"", share, "Beta", "W", share + "/", "Lang_B.ini"},
        {"Ann", dir.File("gone"), "Beta", "W", dir.File("gone/"), "Lang_B.ini"},
        {"Ann", share, "Gamma", "W", share + "/", ""}, {"Ann", share, "gamma 2", "W", share + "/", ""},
        {"Ann", share, "", "W", share + "/", ""}};
    // clang-format on
    for (const auto& r : rows) {
        Reset();
        dir.Write("SPK.ini", "[System]\nServer Directory=" + r[1] + "\n[Game]\nLast Player=" + r[0] +
                                 "\nGame=3\n[Options]\nLanguage=" + r[2] + "\n");
        const char* window = DecideStartWindow(settings, language) == StartWindow::Browser ? "B" : "W";
        EXPECT_EQ(Strings({window, settings.ServerDirectory, settings.LanguageFile, settings.Language}),
                  Strings({r[3], r[4], r[5].empty() ? "" : dir.File(r[5]), r[5].empty() ? "" : r[2]}));
    }
    EXPECT_TRUE(messages.shown.empty()); // no combo to check the game type against
    EXPECT_EQ(language.LangNames, (Strings{"Beta", "Alpha", "Beta", "Gamma", "Gamma 2"}));
    EXPECT_EQ(language.LangFiles,
              (Strings{dir.File("LANG_e.INI"), dir.File("Lang_A.ini"), dir.File("Lang_B.ini"),
                       dir.File("Lang_C.ini"), dir.File("Lang_C.ini")}));

    fs::create_symlink(dir.File("nowhere"), dir.File("Lang_Bb.ini"));
    language.ScanLanguageFiles(settings);
    EXPECT_EQ(messages.Texts(), Strings{"Error getting headers from language files.\r\nFile not found"});
    EXPECT_EQ(language.LangNames, (Strings{"Beta", "Alpha", "Beta"}));
}

// A first start offers the language of the system: the shipped files name
// their codes, and anything unknown falls back on English, whatever the order
// of the files by name (Deutsch sorts first).
TEST_F(SettingsTest, FirstStartOffersTheSystemLanguageElseEnglish)
{
    for (const std::string name : {"English", "Deutsch"})
        fs::copy_file(std::string(SCRIVO_LANG_SOURCE_DIR) + "/Lang_" + name + ".ini",
                      dir.File("Lang_" + name + ".ini"));
    dir.Write("Lang_Zz.ini", "[Info]\nLang_Name=Nameless code\n");
    language.ScanLanguageFiles(settings);
    ASSERT_EQ(language.LangNames, (Strings{"Deutsch", "English", "Nameless code"}));
    const Strings english{"C.UTF-8", "C", "POSIX", "", "en_GB.UTF-8", "fr_FR.UTF-8"};
    for (const std::string& locale : english)
        EXPECT_EQ(language.LangNames[language.PreferredIndex(locale)], "English") << locale;
    for (const std::string locale : {"de_AT.UTF-8@euro", "DE", "de_DE"})
        EXPECT_EQ(language.LangNames[language.PreferredIndex(locale)], "Deutsch") << locale;

    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        ::unsetenv(name);
    ::setenv("LANG", "en_US.UTF-8", 1);
    ::setenv("LC_MESSAGES", "de_DE.UTF-8", 1);
    EXPECT_EQ(LocaleFromEnvironment(), "de_DE.UTF-8");
    ::setenv("LC_ALL", "C.UTF-8", 1);
    EXPECT_EQ(LocaleFromEnvironment(), "C.UTF-8");
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        ::unsetenv(name);
}

TEST_F(SettingsTest, ReadLanguageFileFillsEachTableFromItsExactSectionOrSaysWhyNot)
{
    const std::string info = "[Info]\nLang_Name=Test\n";
    static const char binary[] = "[Info]\nLang_Name=Bin\n[Text]\n\0\x01\x02\xFF\n";
    // file ("<none>": empty path, "<missing>", "<folder>"), message ("*": after the reading error's own
    // start), Language|tables after
    // clang-format off
    const Rows rows = {
        {"1=before any section\n[Info]\nLang_Name=Test\nlang_name=Other\n[Text]\n12=Hello=World\n7= Raise \n"
         " 3 =three\n2.5=even\nabc=zero\nno equals here\n4=four\n4=four again\n[text]\n5=lower\n[Text] \n"
         "6=blank\n[Other]\n8=other\n[Application]\n0=app zero\n1=OK\n100=last\n"
         "[Bots]\n1=Ann\n9=Sam\n0=Sam\n-1=Sam\n4.5=Dana\nmsg=Hi\nmsg=Hi\nMSG=no\nmsg=Hi=there\n", "",
         "Test|T0=zero T2=even T3=three T4=four again T7= Raise  T12=Hello A0=app zero A1=OK A100=last "
         "B1=Ann B4=Dana B5=b5 C1=Hi C2=Hi C3=Hi "},
        {std::string(binary, sizeof binary - 1) + std::string(1 << 20, '[') + "\n[Text]\n4=\xFF\xFE\xFD\n",
         "", "Bin|T0=z T4=\xC3\xBF\xC3\xBE\xC3\xBD B5=b5 "},
        {"\xEF\xBB\xBF[Info]\nLang_Name=Fran\xC3\xA7\x61is\n[Text]\n1=K\xC3\xB6nig\n", "",
         "Fran\xC3\xA7\x61is|T0=z T1=K\xC3\xB6nig B5=b5 "},
        {"[Info]\r\nLang_Name=Deutsch\r[Text]\n1=K\xF6nig \x80\r\n2=two", "",
         "Deutsch|T0=z T1=K\xC3\xB6nig \xE2\x82\xAC T2=two B5=b5 "},
        {info + "[Text]\n1=one\n200=x\n2=two\n", "*Subscript out of range", "Before|T0=z T1=one B5=b5 "},
        {info + "[Text]\n-1=x\n", "*Subscript out of range", "Before|T0=z B5=b5 "},
        {info + "[Application]\n199.6=x\n", "*Subscript out of range", "Before|T0=z B5=b5 "},
        {info + "[Text]\n1e300=x\n", "*Subscript out of range", "Before|T0=z B5=b5 "},
        {info + "[Bots]\n8.7=x\n", "*Subscript out of range", "Before|T0=z B5=b5 "},
        {"[Info]\nName=Test\n[Text]\n1=one\n", "Invalid language file.", "|T0=z T1=one B5=b5 "},
        {"<none>", "", "|T0=z T1=old B5=b5 C1=hi "},
        {"<missing>", "*File not found", "Before|T0=z B5=b5 "},
        {"<folder>", "*Path/File access error", "Before|T0=z B5=b5 "}};
    // clang-format on
    for (const auto& r : rows) {
        Reset();
        std::tie(settings.Language, language.LangText[MsgId(0)], language.LangText[Msg::Welcome],
                 language.BotNames[5], language.BotChat) =
            std::tuple("Before", "z", "old", "b5", Strings{"", "hi"});
        const std::string path = r[0] == "<none>" ? "" : dir.File("Lang_Bad.ini");
        fs::remove_all(dir.File("Lang_Bad.ini"));
        if (r[0] == "<folder>") fs::create_directory(path);
        if (r[0][0] != '<') dir.Write("Lang_Bad.ini", r[0]);
        language.ReadLanguageFile(path, settings);
        const std::string message =
            r[1][0] == '*' ? "Error reading Language file: " + path + "\r\n" + r[1].substr(1) : r[1];
        EXPECT_EQ(messages.Texts(), message.empty() ? Strings{} : Strings{message}) << r[0].substr(0, 40);
        const auto put = [](char tag, const auto& table) {
            std::string out;
            std::size_t i = 0;
            for (const std::string& text : table) {
                if (!text.empty()) out += tag + std::to_string(i) + "=" + text + " ";
                ++i;
            }
            return out;
        };
        const auto tables = put('T', language.LangText) + put('A', language.AppText) +
                            put('B', language.BotNames) + put('C', language.BotChat);
        EXPECT_EQ(settings.Language + "|" + tables, r[2]) << r[0].substr(0, 40);
    }
}

// Each table of texts takes its own id type only: a caption id, a message id
// or a plain number in the wrong place does not compile.
template <typename Table, typename Id, typename = void> struct Indexes : std::false_type {
};
template <typename Table, typename Id>
struct Indexes<Table, Id, std::void_t<decltype(std::declval<Table&>()[std::declval<Id>()])>>
    : std::true_type {
};
template <typename Id, typename = void> struct Formats : std::false_type {
};
template <typename Id>
struct Formats<Id, std::void_t<decltype(std::declval<const Language&>().FormatText(std::declval<Id>()))>>
    : std::true_type {
};

using Messages = decltype(Language::LangText);
using Captions = decltype(Language::AppText);
static_assert(Indexes<Messages, MsgId>::value && Indexes<Captions, CapId>::value);
static_assert(!Indexes<Messages, CapId>::value, "a caption id cannot pick a message");
static_assert(!Indexes<Captions, MsgId>::value, "a message id cannot pick a caption");
static_assert(!Indexes<Messages, int>::value && !Indexes<Captions, std::size_t>::value);
static_assert(Formats<MsgId>::value && !Formats<CapId>::value && !Formats<int>::value);

TEST_F(SettingsTest, FormatTextReplacesOnlyGivenPlaceholders)
{
    // clang-format off
    const Rows rows = {{"% bets $", "Ann", "50", "", "Ann bets 50"}, {"Pot: $", "", "", "", "Pot: $"},
        {"% bets $", "$5", "*50%", "x", "$5 bets *50%"}, {"Pot: $", "x", "", "", "Pot: $"},
        {"100% sure, $", "", "Bob", "", "100% sure, Bob"}, {"%%-$$-**", "a", "b", "c", "aa-bb-cc"},
        {"* then % then $", "1", "2", "*", "* then 1 then 2"},
        {"% raises to *", "Eve", "", "$*%", "Eve raises to $*%"},
        {"% of $", "K\xC3\xB6nig", "Herz", "", "K\xC3\xB6nig of Herz"}};
    // clang-format on
    const MsgId last(TextTable<MsgId>::Count - 1);
    for (const auto& r : rows) {
        language.LangText[last] = r[0];
        EXPECT_EQ(language.FormatText(last, r[1], r[2], r[3]), r[4]) << r[0];
    }
    EXPECT_EQ(language.FormatText(last + 1, "a") + language.FormatText(MsgId(-1)), "");
    EXPECT_EQ(messages.Texts(), Strings(2, "Error parsing and showing text: Subscript out of range"));
}

// Every text the game asks for is in the shipped files, each with a place for
// the values the game fills in ("18%$": message 18 takes "%" and "$"; a bare
// number takes none).
TEST_F(SettingsTest, ShippedLanguageFilesDefineEveryTextTheGameUses)
{
    const std::string uses =
        "1% 2% 3 4% 5 6% 7% 8 9 10 11% 12 13 14% 15% 16 17% 18%$ 19 20%$ 21%$ 22% 23% 24%$ "
        "25%$* 26%$ 27% 28% 29 30% 31% 32%$ 33 34 35 36 37 38 39 40 41% 45% 46% 48%$ 49%$* "
        "50%$ 51%$ 92% 93%$ 94% 95 96";
    for (const std::string name : {"English", "Deutsch"}) {
        SCOPED_TRACE(name);
        language.ReadLanguageFile(std::string(SCRIVO_LANG_SOURCE_DIR) + "/Lang_" + name + ".ini", settings);
        EXPECT_TRUE(messages.shown.empty()) << messages.LastText();
        EXPECT_EQ(settings.Language, name);
        for (int n = 1; n <= 96; ++n) {
            const bool cited = n <= 41 || n == 45 || n == 46 || (n >= 48 && n <= 81) || n >= 92;
            EXPECT_TRUE(!cited || !language.LangText[MsgId(n)].empty()) << "message " << n;
            EXPECT_TRUE(n > 75 || n == 7 || n == 47 || !language.AppText[CapId(n)].empty())
                << "caption " << n;
        }
        EXPECT_EQ(std::count(language.BotNames.begin() + 1, language.BotNames.end(), ""), 0);
        EXPECT_GE(language.BotChat.size(), 13u);
        EXPECT_EQ(std::count(language.BotChat.begin() + 1, language.BotChat.end(), ""), 0);
        std::istringstream in(uses);
        for (std::string use; in >> use;) {
            const int n = std::stoi(use);
            const std::string marks = use.substr(std::to_string(n).size()),
                              text = language.LangText[MsgId(n)];
            for (char mark : std::string("%$*"))
                EXPECT_EQ(text.find(mark) != std::string::npos, marks.find(mark) != std::string::npos)
                    << "message " << n << " and " << mark;
        }
    }
}

} // namespace
} // namespace scrivo

#include "settings/cInifile.h"

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <vector>

#include <gtest/gtest.h>

#include "testsupport/TempDir.h"

namespace scrivo {
namespace {

using test::TempDir;

class IniFileTest : public ::testing::Test {
protected:
    IniFileTest() { ini.SetPath(dir.File("test.ini")); }

    std::string Write(const std::string& bytes) { return dir.Write("test.ini", bytes); }
    std::string Contents() const { return TempDir::Read(dir.File("test.ini")); }
    std::string Get(const std::string& section, const std::string& key)
    {
        ini.SetSection(section);
        ini.SetKey(key);
        return ini.Value();
    }
    void Put(const std::string& section, const std::string& key, const std::string& value)
    {
        ini.SetSection(section);
        ini.SetKey(key);
        ini.SetValue(value);
    }
    std::vector<std::string> FilesInDir() const
    {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
            names.push_back(e.path().filename().string());
        return names;
    }

    TempDir dir;
    cInifile ini;
};

TEST_F(IniFileTest, MissingFileSectionOrKeyGivesTheDefault)
{
    ini.SetDefault("dflt");
    EXPECT_EQ(Get("System", "Server Delay"), "dflt");
    Write("[System]\nOther=1\n");
    EXPECT_EQ(Get("System", "Server Delay"), "dflt");
    EXPECT_EQ(Get("Nowhere", "Other"), "dflt");
    EXPECT_EQ(Get("System", "Other"), "1");
}

TEST_F(IniFileTest, WritesAndReadsBackIgnoringCaseOfNames)
{
    Put("Game", "Last Player", "Ann");
    EXPECT_TRUE(ini.Success());
    EXPECT_EQ(ini.LastReturnCode(), 1);
    EXPECT_EQ(Get("GAME", "last player"), "Ann");
    Put("game", "LAST PLAYER", "Bob");
    EXPECT_EQ(Contents(), "[Game]\nLast Player=Bob\n"); // the file's spelling stays
}

TEST_F(IniFileTest, ValueIsCutTo254CharactersWithoutSplittingACharacter)
{
    Put("S", "K", std::string(300, 'x'));
    EXPECT_EQ(Get("S", "K"), std::string(254, 'x'));
    std::string umlauts;
    for (int i = 0; i < 300; ++i)
        umlauts += "\xC3\xA4";
    Put("S", "K", umlauts);
    EXPECT_EQ(Get("S", "K"), umlauts.substr(0, 508));
    ini.SetDefault(std::string(300, 'd'));
    EXPECT_EQ(Get("S", "none"), std::string(254, 'd'));
}

TEST_F(IniFileTest, NulCharactersAreRemovedAndLineBreaksCannotAddLines)
{
    Put("S", "K", std::string("a\0b\0\0c", 6));
    EXPECT_EQ(Get("S", "K"), "abc");
    Put("S", "K", "one\r\n[Evil]\nx=1");
    EXPECT_EQ(Get("S", "K"), "one  [Evil] x=1");
    ini.SetSection("Evil");
    EXPECT_EQ(ini.INISection(), "");
}

TEST_F(IniFileTest, UpdatingOneKeyKeepsEveryOtherLineInPlace)
{
    const std::string before = "; settings\r\n"
                               "[System]\r\n"
                               "Server Delay = 1500\r\n"
                               "; the shared folder\r\n"
                               "Server Directory=/srv/poker/\r\n"
                               "\r\n"
                               "[Game]\r\n"
                               "Last Player=Ann\r\n"
                               "junk line without equals\r\n";
    Write(before);
    Put("system", "server delay", "900");
    std::string expected = before;
    expected.replace(expected.find("Server Delay = 1500"), 19, "Server Delay=900");
    EXPECT_EQ(Contents(), expected);
}

TEST_F(IniFileTest, NewKeyGoesAfterTheSectionsLastEntryAndNewSectionAtTheEnd)
{
    Write("[A]\nx=1\n\n; about B\n[B]\ny=2");
    Put("A", "z", "3");
    Put("C", "w", "4");
    EXPECT_EQ(Contents(), "[A]\nx=1\nz=3\n\n; about B\n[B]\ny=2\n\n[C]\nw=4\n");
    Put("B", "v", "5");
    EXPECT_EQ(Contents(), "[A]\nx=1\nz=3\n\n; about B\n[B]\ny=2\nv=5\n\n[C]\nw=4\n");
}

TEST_F(IniFileTest, DuplicateSectionsAndKeysUseTheFirst)
{
    Write("[S]\nk=first\nk=second\n[s]\nk=third\n");
    EXPECT_EQ(Get("S", "k"), "first");
    Put("S", "K", "new");
    EXPECT_EQ(Contents(), "[S]\nk=new\nk=second\n[s]\nk=third\n");
}

TEST_F(IniFileTest, ReadsTrimmedValuesWithoutQuotes)
{
    Write("[S]\n  a  =  spaced value  \nb=\"quoted\"\nc='single'\nd=\"half\n");
    EXPECT_EQ(Get("S", "a"), "spaced value");
    EXPECT_EQ(Get("S", "b"), "quoted");
    EXPECT_EQ(Get("S", "c"), "single");
    EXPECT_EQ(Get("S", "d"), "\"half");
}

TEST_F(IniFileTest, WindowsLatinLinesReadAsUtf8)
{
    Write("[Game]\r\nLast Player=J\xF6rg\r\n");
    EXPECT_EQ(Get("Game", "Last Player"), "J\xC3\xB6rg");
    Put("Game", "Other", "x");
    EXPECT_EQ(Contents(), "[Game]\r\nLast Player=J\xF6rg\r\nOther=x\r\n");
}

TEST_F(IniFileTest, GarbageLinesSurviveAnUpdateByteForByte)
{
    std::string garbage = "\x01\x02\xFF\xFE binary \x80\x81\n";
    garbage += std::string("nul\0inside\n", 11);
    garbage += std::string(1 << 20, 'M') + "\n";
    garbage += "=no key\n]][[\n";
    Write(garbage + "[S]\nk=1"); // no final line break
    Put("S", "k", "2");
    EXPECT_EQ(Contents(), garbage + "[S]\nk=2\n");
}

TEST_F(IniFileTest, DeleteKeyAndDeleteSection)
{
    Write("[A]\nx=1\ny=2\n[B]\nz=3\n; b's comment\n[C]\nw=4\n");
    ini.SetSection("a");
    ini.SetKey("X");
    ini.DeleteKey();
    EXPECT_TRUE(ini.Success());
    EXPECT_EQ(Contents(), "[A]\ny=2\n[B]\nz=3\n; b's comment\n[C]\nw=4\n");
    ini.SetSection("b");
    ini.DeleteSection();
    EXPECT_EQ(Contents(), "[A]\ny=2\n[C]\nw=4\n");
    ini.SetSection("C");
    ini.SetINISection("anything");
    EXPECT_TRUE(ini.Success());
    EXPECT_EQ(Contents(), "[A]\ny=2\n");
    ini.SetSection("missing");
    ini.DeleteSection();
    EXPECT_TRUE(ini.Success());
    EXPECT_EQ(Contents(), "[A]\ny=2\n");
}

TEST_F(IniFileTest, ListsAndEnumeratesNames)
{
    Write("[A]\nx=1\n; c\ny=2\n[B]\n[C]\nz=3\n");
    ini.SetSection("a");
    EXPECT_EQ(ini.INISection(), std::string("x\0y\0", 4));
    EXPECT_EQ(ini.Sections(), std::string("A\0B\0C\0", 6));
    std::vector<std::string> names{"stale"};
    long count = 99;
    ini.EnumerateCurrentSection(names, count);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(names, (std::vector<std::string>{"x", "y"}));
    ini.EnumerateAllSections(names, count);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(names, (std::vector<std::string>{"A", "B", "C"}));
    ini.SetSection("B");
    ini.EnumerateCurrentSection(names, count);
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(names.empty());
}

TEST_F(IniFileTest, LongNameListsAreCutAtTheListBuffer)
{
    std::string text = "[S]\n";
    for (int i = 0; i < 2000; ++i)
        text += "key" + std::to_string(i) + "=v\n";
    Write(text);
    ini.SetSection("S");
    EXPECT_EQ(ini.INISection().size(), 8190u);
}

TEST_F(IniFileTest, FailedWriteGivesZeroAndLeavesNothingBehind)
{
    ini.SetPath(dir.File("no-such-folder/test.ini"));
    Put("S", "k", "v");
    EXPECT_EQ(ini.LastReturnCode(), 0);
    EXPECT_FALSE(ini.Success());
    EXPECT_EQ(ini.FailedWrites(), 1);

    // A folder where the file should be: unreadable, so it is never replaced.
    std::filesystem::create_directory(dir.File("test.ini"));
    ini.SetPath(dir.File("test.ini"));
    Put("S", "k", "v");
    EXPECT_FALSE(ini.Success());
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("test.ini")));
    EXPECT_EQ(FilesInDir(), std::vector<std::string>{"test.ini"});

    std::filesystem::remove(dir.File("test.ini"));
    Put("S", "k", "v");
    EXPECT_TRUE(ini.Success());
    EXPECT_EQ(ini.FailedWrites(), 2);
}

TEST_F(IniFileTest, ReplacesTheFileWholeKeepingModeAndLinks)
{
    Write("[S]\nk=1\n");
    ::chmod(dir.File("test.ini").c_str(), 0640);
    std::filesystem::create_symlink(dir.File("test.ini"), dir.File("link.ini"));
    ini.SetPath(dir.File("link.ini"));
    Put("S", "k", "2");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.ini")));
    EXPECT_EQ(Contents(), "[S]\nk=2\n");
    struct stat st {};
    ::stat(dir.File("test.ini").c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(FilesInDir().size(), 2u); // no temporary file left
}

TEST(CLngDefaultTest, RoundsHalfToEvenOrGivesTheDefault)
{
    cInifile ini;
    EXPECT_EQ(ini.CLngDefault("2.5", 7), 2);
    EXPECT_EQ(ini.CLngDefault("abc", 7), 7);
    EXPECT_EQ(ini.CLngDefault("FAIL", -3), -3);
    EXPECT_EQ(ini.CLngDefault(" 1200 ", 7), 1200);
    EXPECT_EQ(ini.CLngDefault("99999999999", 7), 7);
    EXPECT_EQ(ini.CLngDefault("", 7), 7);
}

} // namespace
} // namespace scrivo

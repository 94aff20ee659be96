#include "settings/Language.h"

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "SettingsTestBase.h"

namespace scrivo {
namespace {

class LanguageTest : public test::SettingsTestBase {
protected:
    std::string File(const std::string& name, const std::string& body) { return dir.Write(name, body); }
    std::string Load(const std::string& body)
    {
        const std::string path = File("Lang_Test.ini", body);
        ReadLanguageFile(path);
        return path;
    }
};

TEST_F(LanguageTest, LinesAreSplitAtEqualsSignsWithoutTrimming)
{
    Load("[Info]\r\nLang_Name=Test\r\n[Text]\r\n12=Hello=World\r\n7= Raise \r\n 3 =three\r\n2.5=even\r\n"
         "abc=zero\r\nno equals here\r\n[Application]\r\n1=OK\r\n100=last\r\n");
    EXPECT_EQ(Language, "Test");
    EXPECT_EQ(LangText[12], "Hello");
    EXPECT_EQ(LangText[7], " Raise ");
    EXPECT_EQ(LangText[3], "three");
    EXPECT_EQ(LangText[2], "even");
    EXPECT_EQ(LangText[0], "zero");
    EXPECT_EQ(AppText[1], "OK");
    EXPECT_EQ(AppText[100], "last");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(LanguageTest, OnlyExactSectionHeadersCount)
{
    Load("1=before any section\n[Info]\nLang_Name=Test\nlang_name=Other\n[text]\n1=lower\n[Text] \n2=blank\n"
         "[Other]\n3=other\n[Text]\n4=four\n4=four again\n");
    EXPECT_EQ(Language, "Test");
    EXPECT_EQ(LangText[1], "");
    EXPECT_EQ(LangText[2], "");
    EXPECT_EQ(LangText[3], "");
    EXPECT_EQ(LangText[4], "four again");
}

TEST_F(LanguageTest, BotNamesAndChatLines)
{
    BotNames[5] = "kept from before";
    Load("[Info]\nLang_Name=Test\n[Bots]\n1=Ann\n9=Sam\n0=Sam\n-1=Sam\n4.5=Dana\nmsg=Hi\nmsg=Hi\nMSG=no\nmsg="
         "Hi=there\n");
    EXPECT_EQ(BotNames[1], "Ann");
    EXPECT_EQ(BotNames[0], "");
    EXPECT_EQ(BotNames[4], "Dana");
    EXPECT_EQ(BotNames[5], "kept from before");
    ASSERT_EQ(BotChat.size(), 4u);
    EXPECT_EQ(BotChat[0], "");
    EXPECT_EQ(BotChat[3], "Hi");
}

TEST_F(LanguageTest, ReloadingClearsTheTablesButNotEntryZeroOrBotNames)
{
    Load("[Info]\nLang_Name=One\n[Text]\n0=zero\n5=five\n[Application]\n0=app "
         "zero\n9=nine\n[Bots]\n2=Bob\nmsg=Hi\n");
    Load("[Info]\nLang_Name=Two\n[Text]\n6=six\n");
    EXPECT_EQ(Language, "Two");
    EXPECT_EQ(LangText[0], "zero");
    EXPECT_EQ(AppText[0], "app zero");
    EXPECT_EQ(LangText[5], "");
    EXPECT_EQ(AppText[9], "");
    EXPECT_EQ(LangText[6], "six");
    EXPECT_EQ(BotNames[2], "Bob");
    EXPECT_EQ(BotChat.size(), 1u);
}

TEST_F(LanguageTest, IndexOutOfRangeStopsReadingAndKeepsTheLanguage)
{
    Language = "Before";
    const std::string path = Load("[Info]\nLang_Name=Test\n[Text]\n1=one\n101=x\n2=two\n");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.LastText(), "Error reading Language file: " + path + "\r\nSubscript out of range");
    EXPECT_EQ(LangText[1], "one");
    EXPECT_EQ(LangText[2], "");
    EXPECT_EQ(Language, "Before");
}

class LanguageBadIndexTest : public LanguageTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(LanguageBadIndexTest, IsAReadingError)
{
    Load(std::string("[Info]\nLang_Name=Test\n") + GetParam());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.LastText().find("Subscript out of range"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Lines, LanguageBadIndexTest,
                         ::testing::Values("[Text]\n-1=x\n", "[Application]\n100.6=x\n", "[Text]\n1e300=x\n",
                                           "[Bots]\n8.7=x\n", "[Text]\n99999999999999999999=x\n"));

TEST_F(LanguageTest, NoLangNameIsAnInvalidFileButKeepsItsTexts)
{
    Language = "Before";
    Load("[Info]\nName=Test\n[Text]\n1=one\n");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.LastText(), "Invalid language file.");
    EXPECT_EQ(messages.shown[0].icon, MsgIcon::None);
    EXPECT_EQ(Language, "");
    EXPECT_EQ(LangText[1], "one");
}

TEST_F(LanguageTest, EmptyPathOnlyClearsTheLanguage)
{
    Language = "English";
    LangText[3] = "stays";
    ReadLanguageFile("");
    EXPECT_EQ(Language, "");
    EXPECT_EQ(LangText[3], "stays");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(LanguageTest, MissingFileIsReported)
{
    const std::string path = dir.File("Lang_Gone.ini");
    ReadLanguageFile(path);
    EXPECT_EQ(messages.LastText(), "Error reading Language file: " + path + "\r\nFile not found");
    std::filesystem::create_directory(dir.File("Lang_Dir.ini"));
    ReadLanguageFile(dir.File("Lang_Dir.ini"));
    EXPECT_EQ(messages.shown.size(), 2u);
}

TEST_F(LanguageTest, TextIsUtf8WhateverTheFileEncoding)
{
    Load("\xEF\xBB\xBF[Info]\nLang_Name=Fran\xC3\xA7\x61is\n[Text]\n1=K\xC3\xB6nig\n");
    EXPECT_EQ(Language, "Fran\xC3\xA7\x61is");
    EXPECT_EQ(LangText[1], "K\xC3\xB6nig");

    Load("[Info]\r\nLang_Name=Deutsch\r\n[Text]\r\n1=K\xF6nig \x80\r\n");
    EXPECT_EQ(LangText[1], "K\xC3\xB6nig \xE2\x82\xAC");
}

TEST_F(LanguageTest, AnyLineEndAndNoFinalLineBreak)
{
    Load("[Info]\rLang_Name=Mac\r[Text]\n1=one\r\n2=two");
    EXPECT_EQ(Language, "Mac");
    EXPECT_EQ(LangText[1], "one");
    EXPECT_EQ(LangText[2], "two");
}

TEST_F(LanguageTest, BinaryBytesAndHugeLinesDoNoHarm)
{
    static const char start[] = "[Info]\nLang_Name=Bin\n[Text]\n\x00\x01\x02\xFF\n";
    std::string body(start, sizeof start - 1);
    body += "3=" + std::string(1 << 20, 'x') + "\n";
    body += std::string(1 << 20, '[') + "\n[Text]\n4=\xFF\xFE\xFD\n";
    Load(body);
    EXPECT_EQ(Language, "Bin");
    EXPECT_EQ(LangText[3].size(), 1u << 20);
    EXPECT_EQ(LangText[4], "\xC3\xBF\xC3\xBE\xC3\xBD"); // never the argument markers
    EXPECT_TRUE(messages.shown.empty());
}

class ScanTest : public LanguageTest {};

TEST_F(ScanTest, NoFilesLeaveOneEmptyEntry)
{
    File("readme.txt", "[Info]\nLang_Name=No\n");
    File("Lang_x.txt", "[Info]\nLang_Name=No\n");
    LanguageFile = "/previous";
    ScanLanguageFiles();
    EXPECT_EQ(LangNames, std::vector<std::string>{""});
    EXPECT_EQ(LangFiles, std::vector<std::string>{""});
    EXPECT_EQ(LanguageFile, "/previous");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ScanTest, ListsEveryLangNameAndChoosesTheSettingsLanguage)
{
    File("Lang_B.ini", "[Info]\nLang_Name=Beta\n[Text]\n1=x\n");
    File("Lang_A.ini", "Lang_Name=Outside\n[Info]\nLang_Name=Alpha\n");
    File("Lang_C.ini", "[Info]\nLang_Name=Gamma\nLang_Name=Gamma 2\n");
    File("Lang_D.ini", "[Text]\nLang_Name=NotInfo\n");
    File("LANG_e.INI", "[Info]\nLang_Name=Beta\n");
    std::filesystem::create_directory(dir.File("Lang_Dir.ini"));
    Language = "Beta";
    ScanLanguageFiles();
    EXPECT_EQ(LangNames, (std::vector<std::string>{"Beta", "Alpha", "Beta", "Gamma", "Gamma 2"}));
    EXPECT_EQ(LangFiles[0], dir.File("LANG_e.INI"));
    EXPECT_EQ(LangFiles[1], dir.File("Lang_A.ini"));
    EXPECT_EQ(LangFiles[3], dir.File("Lang_C.ini"));
    EXPECT_EQ(LangFiles[4], dir.File("Lang_C.ini"));
    EXPECT_EQ(LanguageFile, dir.File("Lang_B.ini")); // the last match wins
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ScanTest, MatchIsExactAndUsesTheFilesLastName)
{
    File("Lang_C.ini", "[Info]\nLang_Name=Gamma\nLang_Name=Gamma 2\n");
    Language = "Gamma";
    ScanLanguageFiles();
    EXPECT_EQ(LanguageFile, "");
    Language = "gamma 2";
    ScanLanguageFiles();
    EXPECT_EQ(LanguageFile, "");
    Language = "Gamma 2";
    ScanLanguageFiles();
    EXPECT_EQ(LanguageFile, dir.File("Lang_C.ini"));
}

TEST_F(ScanTest, FileWithoutANameIsNeverChosen)
{
    File("Lang_Broken.ini", "[Text]\n1=x\n");
    ScanLanguageFiles();
    EXPECT_EQ(LanguageFile, "");
    EXPECT_EQ(LangNames, std::vector<std::string>{""});
}

TEST_F(ScanTest, UnreadableFileStopsTheScanWithAMessage)
{
    File("Lang_A.ini", "[Info]\nLang_Name=Alpha\n");
    std::filesystem::create_symlink(dir.File("nowhere"), dir.File("Lang_B.ini"));
    File("Lang_C.ini", "[Info]\nLang_Name=Gamma\n");
    ScanLanguageFiles();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.LastText(), "Error getting headers from language files.\r\nFile not found");
    EXPECT_EQ(LangNames, std::vector<std::string>{"Alpha"});
}

struct FormatCase {
    const char* message;
    const char* arg1;
    const char* arg2;
    const char* arg3;
    const char* result;
};

class FormatTextTest : public LanguageTest, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(FormatTextTest, ReplacesOnlyGivenPlaceholders)
{
    const FormatCase& c = GetParam();
    LangText[42] = c.message;
    EXPECT_EQ(FormatText(42, c.arg1, c.arg2, c.arg3), c.result);
    EXPECT_TRUE(messages.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Messages, FormatTextTest,
    ::testing::Values(FormatCase{"% bets $", "Ann", "50", "", "Ann bets 50"},
                      FormatCase{"% bets $", "50%", "$5", "", "50% bets $5"},
                      FormatCase{"Pot: $", "", "", "", "Pot: $"}, FormatCase{"Pot: $", "x", "", "", "Pot: $"},
                      FormatCase{"100% sure, $", "", "Bob", "", "100% sure, Bob"},
                      FormatCase{"%%-$$-**", "a", "b", "c", "aa-bb-cc"},
                      FormatCase{"* then % then $", "1", "2", "*", "* then 1 then 2"},
                      FormatCase{"% raises to *", "Eve", "", "$*%", "Eve raises to $*%"},
                      FormatCase{"% of $", "K\xC3\xB6nig", "Herz", "", "K\xC3\xB6nig of Herz"},
                      FormatCase{"", "a", "b", "c", ""}));

TEST_F(LanguageTest, FormatTextOutsideTheTableIsAnError)
{
    EXPECT_EQ(FormatText(101, "a"), "");
    EXPECT_EQ(FormatText(-1), "");
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.LastText(), "Error parsing and showing text: Subscript out of range");
    LangText[100] = "last %";
    EXPECT_EQ(FormatText(100, "one"), "last one");
}

} // namespace
} // namespace scrivo

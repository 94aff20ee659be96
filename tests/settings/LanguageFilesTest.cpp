#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "SettingsTestBase.h"
#include "platform/Text.h"

namespace scrivo {
namespace {

// The language files shipped with the program: every text the game asks for
// is there, and each takes the values the game fills in.
class ShippedLanguageTest : public test::SettingsTestBase, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override
    {
        path = std::string(SCRIVO_LANG_SOURCE_DIR) + "/Lang_" + GetParam() + ".ini";
        ReadLanguageFile(path);
        ASSERT_TRUE(messages.shown.empty()) << messages.LastText();
    }

    static std::vector<int> Range(int first, int last)
    {
        std::vector<int> r;
        for (int i = first; i <= last; ++i)
            r.push_back(i);
        return r;
    }

    std::string path;
};

TEST_P(ShippedLanguageTest, DefinesEveryTextTheGameUses)
{
    EXPECT_EQ(Language, GetParam());
    std::vector<int> messages = Range(1, 41);
    for (int n : {45, 46})
        messages.push_back(n);
    for (int n : Range(48, 81))
        messages.push_back(n);
    for (int n : Range(92, 96))
        messages.push_back(n);
    for (int n : messages)
        EXPECT_FALSE(LangText[n].empty()) << "message " << n;

    std::vector<int> captions = Range(1, 6);
    for (int n : Range(8, 46))
        captions.push_back(n);
    for (int n : Range(48, 75))
        captions.push_back(n);
    for (int n : captions)
        EXPECT_FALSE(AppText[n].empty()) << "caption " << n;

    for (int b = 1; b <= 8; ++b)
        EXPECT_FALSE(BotNames[b].empty()) << "bot " << b;
    EXPECT_GE(BotChat.size(), 13u);
    for (std::size_t i = 1; i < BotChat.size(); ++i)
        EXPECT_FALSE(BotChat[i].empty());
}

TEST_P(ShippedLanguageTest, MessagesHaveAPlaceForEachValue)
{
    struct Uses {
        int message;
        const char* placeholders;
    };
    const Uses uses[] = {{1, "%"},   {2, "%"},    {4, "%"},   {6, "%"},   {7, "%"},   {11, "%"},   {14, "%"},
                         {15, "%"},  {17, "%"},   {18, "%$"}, {20, "%$"}, {21, "%$"}, {22, "%"},   {23, "%"},
                         {24, "%$"}, {25, "%$*"}, {26, "%$"}, {27, "%"},  {28, "%"},  {30, "%"},   {31, "%"},
                         {32, "%$"}, {41, "%"},   {45, "%"},  {46, "%"},  {48, "%$"}, {49, "%$*"}, {50, "%$"},
                         {51, "%$"}, {92, "%"},   {93, "%$"}, {94, "%"}};
    for (const auto& u : uses)
        for (const char* p = u.placeholders; *p; ++p)
            EXPECT_NE(LangText[u.message].find(*p), std::string::npos)
                << "message " << u.message << " lacks " << *p;

    // Texts that take no value must not show a stray placeholder.
    for (int n : {3, 5, 8, 9, 10, 12, 13, 16, 19, 29, 33, 34, 35, 36, 37, 38, 39, 40, 95, 96})
        EXPECT_EQ(LangText[n].find_first_of("%$*"), std::string::npos) << "message " << n;
}

TEST_P(ShippedLanguageTest, CardNamesFitTheTableView)
{
    // The short card form takes the first letter of the suit and of the
    // court cards, so those letters must tell them apart.
    std::string suits, courts;
    for (int n = 52; n <= 55; ++n)
        suits += ToLowerAscii(LangText[n].substr(0, 1));
    for (int n = 65; n <= 68; ++n)
        courts += LangText[n].substr(0, 1);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(suits.find(suits[i]), i) << suits;
        EXPECT_EQ(courts.find(courts[i]), i) << courts;
    }
    EXPECT_TRUE(IsValidUtf8(LangText[67]));
}

INSTANTIATE_TEST_SUITE_P(Files, ShippedLanguageTest, ::testing::Values("English", "Deutsch"));

} // namespace
} // namespace scrivo

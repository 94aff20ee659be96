#include <string>

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTextEdit>

#include "platform/MessageBox.h"
#include "settings/Language.h"
#include "settings/Settings.h"
#include "tests/ui/UiFixture.h"
#include "ui/MainMod.h"
#include "ui/Opts.h"

namespace scrivo::test {
namespace {

class OptionsTest : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        AddShippedLanguage("Lang_English.ini");
        ReadLanguageFile(programDir.File("Lang_English.ini"));
        FontName = "DejaVu Sans";
        FontSize = 10;
    }

    struct Snapshot {
        std::string font;
        long size;
        bool bold, colour, symbols, animated, card, shortText;
        bool operator==(const Snapshot&) const = default;
    };
    static Snapshot Take()
    {
        return {FontName, FontSize, BoldText, ColourText, Symbols, Animated, CardText, ShortText};
    }
};

TEST_F(OptionsTest, OpensWithTheCurrentSettingsAndSizeList)
{
    CardText = true;
    Animated = false;
    Opts& opts = TheOpts();
    opts.LoadFromSettings();
    EXPECT_EQ(opts.Combo1->currentText().toStdString(), "DejaVu Sans");
    EXPECT_EQ(opts.Combo2->currentText().toStdString(), "10");
    EXPECT_TRUE(opts.CardTxtChk->isChecked());
    EXPECT_FALSE(opts.AnimChk->isChecked());
    ASSERT_EQ(opts.Combo2->count(), 13);
    EXPECT_EQ(opts.Combo2->itemText(0).toStdString(), "8");
    EXPECT_EQ(opts.Combo2->itemText(1).toStdString(), "9");
    EXPECT_EQ(opts.Combo2->itemText(12).toStdString(), "30");
    EXPECT_GT(opts.Combo1->count(), 0);
    EXPECT_EQ(opts.windowTitle().toStdString(), AppText[51]);
}

TEST_F(OptionsTest, NoCardDisplayIsRefusedAndNothingStored)
{
    Opts& opts = TheOpts();
    opts.LoadFromSettings();
    const Snapshot before = Take();
    opts.BoldChk->setChecked(false);
    opts.Combo2->setCurrentText("30");
    opts.ShortNmChk->setChecked(false);
    opts.CardTxtChk->setChecked(false);
    EXPECT_FALSE(opts.Accept());
    ASSERT_EQ(boxes->shown.size(), 1u);
    EXPECT_EQ(boxes->shown[0].text, AppText[70]);
    EXPECT_EQ(boxes->shown[0].icon, MsgIcon::Information);
    EXPECT_TRUE(Take() == before);
}

TEST_F(OptionsTest, OkStoresEveryChoice)
{
    Opts& opts = TheOpts();
    opts.LoadFromSettings();
    opts.BoldChk->setChecked(false);
    opts.MonoChk->setChecked(false);
    opts.SymChk->setChecked(false);
    opts.AnimChk->setChecked(false);
    opts.ShortNmChk->setChecked(false);
    opts.CardTxtChk->setChecked(true);
    opts.Combo1->setCurrentText("DejaVu Sans Mono");
    opts.Combo2->setCurrentText("30");
    EXPECT_TRUE(opts.Accept());
    EXPECT_TRUE(boxes->shown.empty());
    const Snapshot expected{"DejaVu Sans Mono", 30, false, false, false, false, true, false};
    EXPECT_TRUE(Take() == expected);
}

TEST_F(OptionsTest, CancelStoresNothing)
{
    Opts& opts = TheOpts();
    opts.LoadFromSettings();
    const Snapshot before = Take();
    opts.BoldChk->setChecked(!BoldText);
    opts.SymChk->setChecked(!Symbols);
    opts.Combo2->setCurrentText("14");
    opts.Command2->click();
    EXPECT_TRUE(Take() == before);
    // The next opening shows the settings again, not the abandoned choices.
    opts.LoadFromSettings();
    EXPECT_EQ(opts.BoldChk->isChecked(), BoldText);
    EXPECT_EQ(opts.Combo2->currentText().toStdString(), "10");
}

TEST_F(OptionsTest, SizeWithoutAPositiveNumberKeepsTheSize)
{
    Opts& opts = TheOpts();
    opts.LoadFromSettings();
    opts.Combo2->setCurrentText("big");
    opts.BoldChk->setChecked(false);
    EXPECT_TRUE(opts.Accept());
    EXPECT_EQ(FontSize, 10);
    EXPECT_FALSE(BoldText);
    opts.LoadFromSettings();
    opts.Combo2->setCurrentText("12 pt");
    EXPECT_TRUE(opts.Accept());
    EXPECT_EQ(FontSize, 12);
}

TEST_F(OptionsTest, PreviewFollowsTheChosenFont)
{
    Opts& opts = TheOpts();
    opts.LoadFromSettings();
    opts.Combo2->setCurrentText("20");
    EXPECT_EQ(opts.RTBp->document()->defaultFont().pointSize(), 20);
}

} // namespace
} // namespace scrivo::test

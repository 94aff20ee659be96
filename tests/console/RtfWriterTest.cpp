#include "console/RtfWriter.h"

#include <gtest/gtest.h>

#include <QTextCursor>
#include <QTextDocument>

#include "console/QtPlatform.h"
#include "tests/console/ConsoleTestApp.h"

namespace scrivo {
namespace {

using test::ParseRtf;
using test::StyledRun;
using test::TextOf;

QTextCharFormat Format(const char* family, double points, QColor colour, bool bold, bool italic)
{
    QTextCharFormat f;
    f.setFontFamilies({QString::fromLatin1(family)});
    f.setFontPointSize(points);
    f.setForeground(colour);
    f.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(italic);
    return f;
}

class RtfWriterTest : public ::testing::Test {
protected:
    void SetUp() override { test::ConsoleApp(); }
};

TEST_F(RtfWriterTest, RunsKeepTheirTextColourWeightSlantFontAndSize)
{
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText(QStringLiteral("Dealer deals\n"), Format("Arial", 10, QColor(0, 0, 255), true, false));
    c.insertText(QStringLiteral("a hand "), Format("Arial", 10, Qt::black, false, true));
    c.insertText(QStringLiteral("A") + QChar(0x2665) + QStringLiteral("   "),
                 Format("Courier New", 12, Qt::red, false, false));
    c.insertText(QStringLiteral("\nbraces {} and \\ back"),
                 Format("Arial", 9, QColor(0, 111, 55), false, false));

    const std::string rtf = DocumentToRtf(doc);
    for (unsigned char ch : rtf)
        ASSERT_LT(ch, 0x80) << "RTF is plain ASCII";
    const std::vector<StyledRun> runs = ParseRtf(rtf);
    EXPECT_EQ(TextOf(runs), FromQ(doc.toPlainText()));
    const StyledRun& dealer = test::RunWith(runs, "Dealer deals");
    EXPECT_EQ(dealer.colour, QColor(0, 0, 255));
    EXPECT_TRUE(dealer.bold);
    EXPECT_FALSE(dealer.italic);
    EXPECT_EQ(dealer.family, "Arial");
    EXPECT_EQ(dealer.points, 10);
    const StyledRun& hand = test::RunWith(runs, "a hand");
    EXPECT_TRUE(hand.italic);
    EXPECT_FALSE(hand.bold);
    EXPECT_EQ(hand.colour, QColor(Qt::black));
    const StyledRun& card = test::RunWith(runs, "A\xE2\x99\xA5   ");
    EXPECT_EQ(card.colour, QColor(Qt::red));
    EXPECT_EQ(card.family, "Courier New");
    EXPECT_EQ(card.points, 12);
    const StyledRun& braces = test::RunWith(runs, "braces {} and \\ back");
    EXPECT_EQ(braces.colour, QColor(0, 111, 55));
}

TEST_F(RtfWriterTest, EmptyDocumentIsStillAWholeFile)
{
    QTextDocument doc;
    const std::string rtf = DocumentToRtf(doc);
    EXPECT_TRUE(ParseRtf(rtf).empty());
    EXPECT_EQ(rtf.back(), '\n');
}

} // namespace
} // namespace scrivo

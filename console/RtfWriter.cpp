#include "console/RtfWriter.h"

#include <cmath>
#include <map>
#include <vector>

#include <QColor>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

namespace scrivo {

namespace {

struct Tables {
    std::vector<QString> fonts;
    std::vector<QRgb> colours; // index 0 of \colortbl is "auto"; ours start at 1

    int Font(const QString& family)
    {
        for (size_t i = 0; i < fonts.size(); ++i)
            if (fonts[i] == family) return static_cast<int>(i);
        fonts.push_back(family);
        return static_cast<int>(fonts.size() - 1);
    }
    int Colour(QRgb rgb)
    {
        for (size_t i = 0; i < colours.size(); ++i)
            if (colours[i] == rgb) return static_cast<int>(i + 1);
        colours.push_back(rgb);
        return static_cast<int>(colours.size());
    }
};

QString FamilyOf(const QTextCharFormat& f, const QFont& fallback)
{
    const QStringList families = f.fontFamilies().toStringList();
    if (!families.isEmpty() && !families.front().isEmpty()) return families.front();
    return fallback.family();
}

double PointsOf(const QTextCharFormat& f, const QFont& fallback)
{
    const double p = f.fontPointSize();
    if (p > 0) return p;
    return fallback.pointSizeF() > 0 ? fallback.pointSizeF() : 10.0;
}

void AppendEscaped(std::string& out, const QString& text)
{
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u == u'\\' || u == u'{' || u == u'}') {
            out += '\\';
            out += static_cast<char>(u);
        } else if (u == u'\t') {
            out += "\\tab ";
        } else if (u == QChar::LineSeparator || u == QChar::ParagraphSeparator || u == u'\n') {
            out += "\\line ";
        } else if (u >= 0x20 && u < 0x80) {
            out += static_cast<char>(u);
        } else if (u < 0x20) {
            // Other control characters have no place in the text.
        } else {
            // \uN takes a signed 16-bit number; surrogate halves go one by one.
            out += "\\u" + std::to_string(static_cast<int>(static_cast<int16_t>(u))) + "?";
        }
    }
}

std::string FontName(const QString& family)
{
    std::string s;
    AppendEscaped(s, family);
    return s;
}

} // namespace

std::string DocumentToRtf(const QTextDocument& document)
{
    Tables tables;
    const QFont defaultFont = document.defaultFont();
    tables.Font(defaultFont.family());
    tables.Colour(qRgb(0, 0, 0));

    std::string body;
    bool firstBlock = true;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (!firstBlock) body += "\\par\n";
        firstBlock = false;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid()) continue;
            const QTextCharFormat f = fragment.charFormat();
            const int font = tables.Font(FamilyOf(f, defaultFont));
            const QBrush fg = f.foreground();
            const QRgb rgb = fg.style() == Qt::NoBrush ? qRgb(0, 0, 0) : fg.color().rgb() & 0xFFFFFF;
            const int colour = tables.Colour(qRgb(qRed(rgb), qGreen(rgb), qBlue(rgb)));
            const int halfPoints = static_cast<int>(std::lround(PointsOf(f, defaultFont) * 2));
            body += "{\\f" + std::to_string(font) + "\\fs" + std::to_string(halfPoints) + "\\cf" +
                    std::to_string(colour);
            body += f.fontWeight() >= QFont::DemiBold ? "\\b" : "\\b0";
            body += f.fontItalic() ? "\\i" : "\\i0";
            body += f.fontUnderline() ? "\\ul" : "\\ulnone";
            body += ' ';
            AppendEscaped(body, fragment.text());
            body += "}";
        }
    }

    std::string out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl";
    for (size_t i = 0; i < tables.fonts.size(); ++i)
        out += "{\\f" + std::to_string(i) + "\\fnil\\fcharset0 " + FontName(tables.fonts[i]) + ";}";
    out += "}\n{\\colortbl ;";
    for (const QRgb c : tables.colours)
        out += "\\red" + std::to_string(qRed(c)) + "\\green" + std::to_string(qGreen(c)) + "\\blue" +
               std::to_string(qBlue(c)) + ";";
    out += "}\n\\viewkind4\\pard\\plain\n";
    out += body;
    out += "\n}\n";
    return out;
}

} // namespace scrivo

// The log pane: how each kind of line looks, cards as signs or names, the
// reading waits, the rebuild and the export.
#include "console/MainForm.h"

#include <cmath>

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QSaveFile>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

#include "cards/CardNames.h"
#include "console/Looks.h"
#include "console/QtPlatform.h"
#include "console/RtfWriter.h"
#include "engine/Table.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"
#include "settings/Language.h"
#include "settings/Settings.h"
#include "settings/TextIds.h"

namespace scrivo {

namespace {

double g_pauseScale = 1.0;

// Line breaks arrive as CR LF or a lone CR; the pane wants one paragraph
// break for each.
QString Normalised(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QTextCursor EndOf(QTextEdit* pane)
{
    QTextCursor c(pane->document());
    c.movePosition(QTextCursor::End);
    return c;
}

void Append(QTextEdit* pane, const QString& text, const QTextCharFormat& format)
{
    QTextCursor c = EndOf(pane);
    c.insertText(Normalised(text), format);
}

QTextCharFormat Look(const QString& family, double points, std::uint32_t colour, bool bold = false,
                     bool italic = false)
{
    QTextCharFormat f;
    f.setFontFamilies({family});
    f.setFontPointSize(points);
    f.setForeground(FromBgr(colour));
    f.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(italic);
    f.setFontUnderline(false);
    return f;
}

struct KindLook {
    std::uint32_t colour;
    bool bold;
    bool italic;
};

KindLook LookOf(char kind)
{
    switch (kind) {
    case 'p':
        return {bgr::Blue, false, false};
    case 't':
        return {bgr::Black, false, true};
    case 'd':
        return {bgr::Blue, true, false};
    case 'm':
        return {bgr::DarkGreen, false, false};
    case 'w':
        return {bgr::Red, true, false};
    case 'i':
        return {bgr::Black, true, false};
    case 'b':
        return {bgr::Crimson, true, false};
    default:
        return {bgr::Black, false, false};
    }
}

// A card list without the line break its line arrived with.
std::string CardList(const std::string& text)
{
    std::string s = text;
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' '))
        s.pop_back();
    return s;
}

std::vector<std::string> Split(const std::string& s, char sep)
{
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    for (;;) {
        const auto at = s.find(sep, start);
        parts.push_back(s.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) break;
        start = at + 1;
    }
    return parts;
}

// The first character of a language text, or the English one when the
// language file lacks it.
QString FirstLetter(const std::string& text, char fallback)
{
    const QString q = ToQ(Trim(text));
    return q.isEmpty() ? QString(QLatin1Char(fallback)) : q.left(1);
}

} // namespace

void MainForm::SetPauseScale(double factor)
{
    g_pauseScale = factor < 0 ? 0 : factor;
}

void MainForm::Pause(double milliseconds, bool letEventsRun)
{
    QCoreApplication::processEvents();
    const double wait = milliseconds * g_pauseScale;
    if (m_closing || wait <= 0) return;
    if (letEventsRun) {
        // The event loop sleeps until the next event or the end of the wait.
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(static_cast<int>(std::lround(wait)));
        QEventLoop* outer = m_pauseLoop;
        m_pauseLoop = &loop;
        loop.exec();
        m_pauseLoop = outer;
    } else {
        ProgramClock().SleepFor(std::chrono::milliseconds(std::lround(wait)));
    }
    if (!m_closing) QCoreApplication::processEvents();
}

void MainForm::MsgRefresh()
{
    m_quiet = true;
    RTB2->setUpdatesEnabled(false);
    RTB2->clear();
    {
        // One edit block: the pane lays out the text once, not per line.
        QTextCursor batch(RTB2->document());
        batch.beginEditBlock();
        if (m_table) {
            const auto& lines = m_table->MsgLines();
            const long last = std::min<long>(m_table->LastMsgNo(), static_cast<long>(lines.size()) - 1);
            for (long i = 0; i <= last; ++i)
                LogText(lines[static_cast<size_t>(i)] + "\r\n");
        }
        batch.endEditBlock();
    }
    RTB2->setUpdatesEnabled(true);
    m_quiet = false;
    RTB2->moveCursor(QTextCursor::End);
    RTB2->ensureCursorVisible();
}

void MainForm::LogText(const std::string& text)
{
    if (text.empty()) return;
    StopTimer1();
    char kind = text[0];
    std::string body = text.substr(1);
    if (kind >= '0' && kind <= '9') {
        if (kind - '0' != MyNo() || body.empty()) {
            StartTimer1();
            return;
        }
        kind = body[0];
        body.erase(0, 1);
    }
    if (kind == 'n') body = body.size() >= 2 ? body.substr(0, body.size() - 2) : std::string();

    const QString logFamily = ToQ(m_settings.FontName.empty() ? std::string("Arial") : m_settings.FontName);
    const double logSize = m_settings.FontSize > 0 ? static_cast<double>(m_settings.FontSize) : 10.0;
    if (m_settings.ScrivoMode) {
        const QTextCharFormat plain = Look(PlainFontFamily(), 10, bgr::Black);
        if (kind != 'c') {
            Append(RTB2, ToQ(body), plain);
        } else {
            const std::string cards = CardList(body);
            if (m_settings.ShortText) {
                ShowCardSymbols(cards, RTB2, 10, false, false, false);
                Append(RTB2, QStringLiteral("\n"), plain);
            }
            if (m_settings.CardText) {
                Append(RTB2, QString(), plain);
                ShowCardText(cards, RTB2);
                Append(RTB2, QStringLiteral("\n"), plain);
            }
        }
    } else if (kind != 'c') {
        QTextCharFormat f;
        if (kind == 'n') {
            // Continues the colour in force; bold and italic are switched off.
            f = EndOf(RTB2).charFormat();
            f.setFontFamilies({logFamily});
            f.setFontPointSize(logSize);
            f.setFontWeight(QFont::Normal);
            f.setFontItalic(false);
            f.setFontUnderline(false);
            if (!m_settings.ColourText) f.setForeground(FromBgr(bgr::Black));
        } else {
            const KindLook look = LookOf(kind);
            f = Look(logFamily, logSize, m_settings.ColourText ? look.colour : bgr::Black,
                     look.bold && m_settings.BoldText, look.italic);
        }
        Append(RTB2, ToQ(body), f);
    } else {
        const std::string cards = CardList(body);
        if (m_settings.ShortText) {
            ShowCardSymbols(cards, RTB2, static_cast<int>(logSize) + 2, m_settings.Animated,
                            m_settings.Symbols, m_settings.ColourText);
            // The cards leave the colour at black.
            QTextCharFormat after = EndOf(RTB2).charFormat();
            after.setForeground(FromBgr(bgr::Black));
            Append(RTB2, QStringLiteral("\n"), after);
        }
        if (m_settings.CardText) {
            const QTextCharFormat f = Look(logFamily, logSize, bgr::Black);
            Append(RTB2, QString(), f);
            QTextCursor c = EndOf(RTB2);
            c.setCharFormat(f);
            ShowCardText(cards, RTB2);
            Append(RTB2, QStringLiteral("\n"), EndOf(RTB2).charFormat());
        }
    }
    if (!m_quiet) {
        RTB2->moveCursor(QTextCursor::End);
        RTB2->ensureCursorVisible();
        if (kind == 'd') Pause(2000, true);
        if (kind == 'w') Pause(3000, true);
    }
    StartTimer1();
}

void MainForm::ShowCardText(const std::string& cards, QTextEdit* target)
{
    std::string names;
    const std::vector<std::string> list = Split(cards, ',');
    for (size_t i = 0; i < list.size(); ++i) {
        const std::vector<std::string> parts = Split(list[i], '_');
        const auto suit = static_cast<std::int32_t>(Val(parts[0]));
        const auto face = static_cast<std::int32_t>(parts.size() > 1 ? Val(parts[1]) : 0);
        names += modCards::CardText(m_language, clsCard(suit, face));
        if (i + 1 < list.size()) names += ", ";
    }
    QTextCursor c = EndOf(target);
    // The names take the style in force at the end of the pane.
    QTextCharFormat f = c.charFormat();
    // Not glued to a name line that lost its trailing blank in the file.
    const QChar before = c.position() > 0 ? target->document()->characterAt(c.position() - 1) : QChar();
    if (target == RTB2 && !before.isNull() && !before.isSpace()) names.insert(0, " ");
    c.insertText(ToQ(names), f);
}

void MainForm::ShowCardSymbols(const std::string& cards, QTextEdit* target, int size, bool animate,
                               bool useSymbols, bool useColour)
{
    if (m_settings.ScrivoMode) {
        useSymbols = false;
        useColour = false;
    }
    if (m_quiet) animate = false;
    animate = animate && target == RTB2;
    // In the disguise mode the cards take the pane's one monospaced font.
    const QString family = m_settings.ScrivoMode ? PlainFontFamily() : QStringLiteral("Arial");

    int spacer = -1;
    if (animate) {
        QTextCursor c = EndOf(target);
        spacer = c.position();
        QTextCharFormat f = c.charFormat();
        f.setFontPointSize(size + 20);
        c.insertText(QStringLiteral(" "), f);
    } else if (target == RTB2) {
        // A name line read back from the message file has lost its trailing
        // blank; keep the cards off the name as the animated line does.
        const int end = EndOf(target).position();
        const QChar before = end > 0 ? target->document()->characterAt(end - 1) : QChar();
        if (!before.isNull() && !before.isSpace())
            Append(target, QStringLiteral(" "), Look(family, size, bgr::Black));
    }
    for (const std::string& card : Split(cards, ',')) {
        if (m_closing) return;
        const std::vector<std::string> parts = Split(card, '_');
        const int suit = static_cast<int>(Val(parts[0]));
        const int face = static_cast<int>(parts.size() > 1 ? Val(parts[1]) : -1);
        if (suit < 0 || suit > 3 || face < 0 || face > 12) {
            MsgBox("Error displaying card symbol.");
            return;
        }
        static constexpr char faceLetters[] = {'J', 'Q', 'K', 'A'};
        static constexpr char suitLetters[] = {'h', 'd', 's', 'c'};
        const bool ten = face == 8;
        const QString faceText =
            face <= 8 ? QString::number(face + 2)
                      : FirstLetter(m_language.LangText[Msg::FaceFirst + face], faceLetters[face - 9]);
        Append(target, faceText, Look(family, size, bgr::Black));
        const bool red = suit <= 1 && useColour;
        const QString sign =
            useSymbols ? QString(QChar(SuitSigns[suit]))
                       : FirstLetter(m_language.LangText[Msg::SuitFirst + suit], suitLetters[suit]).toLower();
        Append(target, sign + QStringLiteral("   "), Look(family, size, red ? bgr::Red : bgr::Black));
        if (animate) {
            const int end = EndOf(target).position();
            AnimateSelection(target, end - (ten ? 6 : 5), ten ? 5 : 4, size);
        }
    }
    if (animate && spacer >= 0) AnimateSelection(target, spacer, 1, size);
    if (animate) target->moveCursor(QTextCursor::End);
}

void MainForm::AnimateSelection(QTextEdit* target, int start, int length, int size)
{
    for (int step = size + 15; step >= size; --step) {
        if (m_closing) return;
        // The pane may have been rebuilt while events ran.
        const int docEnd = EndOf(target).position();
        if (start < 0 || start + length > docEnd) return;
        QTextCursor c(target->document());
        c.setPosition(start);
        c.setPosition(start + length, QTextCursor::KeepAnchor);
        QTextCharFormat f;
        f.setFontPointSize(step);
        c.mergeCharFormat(f);
        Pause(10, false);
        QCoreApplication::processEvents();
    }
}

// ---------------------------------------------------------------- export

QString MainForm::ShowSave()
{
    QFileDialog dialog(this, QStringLiteral("Save Text"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(
        {QStringLiteral("Rich Text files (*.rtf)"), QStringLiteral("Plain Text files (*.txt)")});
    dialog.setDefaultSuffix(QStringLiteral("rtf"));
    dialog.setDirectory(QDir::homePath());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

void MainForm::SaveText()
{
    StopTimer1();
    if (RTB2->document()->isEmpty()) {
        MsgBox("Nothing to Export.", MsgButtons::Ok);
    } else {
        const QString path = ShowSave();
        if (!path.isEmpty()) SaveLogTo(FromQ(path));
    }
    StartTimer1();
}

bool MainForm::SaveLogTo(const std::string& path)
{
    const bool rich = path.size() >= 3 && path.compare(path.size() - 3, 3, "rtf") == 0;
    const QByteArray bytes =
        rich ? QByteArray::fromStdString(DocumentToRtf(*RTB2->document())) : RTB2->toPlainText().toUtf8();
    // Written beside the target and renamed over it: never half a file.
    QSaveFile file(ToQ(path));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        MsgBox("Error saving text: " + FromQ(file.errorString()), MsgButtons::Ok, MsgIcon::Exclamation);
        return false;
    }
    return true;
}

} // namespace scrivo

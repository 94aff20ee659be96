#include "console/LogPane.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include <QApplication>
#include <QEventLoop>
#include <QFontDatabase>
#include <QSaveFile>
#include <QTextCursor>
#include <QTextDocument>
#include <QScrollBar>
#include <QTextEdit>
#include <QTimer>

#include "cards/CardNames.h"
#include "console/Looks.h"
#include "console/QtPlatform.h"
#include "console/RtfWriter.h"
#include "engine/TableView.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"
#include "settings/Language.h"
#include "settings/Settings.h"
#include "settings/TextIds.h"

namespace scrivo {

namespace {

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

LogPane::LogPane(QWidget* parent, const Settings& settings, const Language& language, Hooks hooks)
    : QObject(parent), m_settings(settings), m_language(language), m_hooks(std::move(hooks))
{
    m_pane = new QTextEdit(parent);
    m_pane->setObjectName(QStringLiteral("RTB2"));
    m_pane->setReadOnly(true);
    m_pane->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // Only ever written by the program: no undo history to keep.
    m_pane->document()->setUndoRedoEnabled(false);
    QFont font(ToQ(m_settings.FontName.empty() ? std::string("Arial") : m_settings.FontName));
    font.setPointSizeF(m_settings.FontSize > 0 ? static_cast<double>(m_settings.FontSize) : 10.0);
    m_pane->setFont(font);
    // A log that shows its newest line keeps showing it when its text is
    // laid out again (a resize, the tool box switched), however long that
    // layout takes; one scrolled back to older lines stays there.
    QScrollBar* bar = m_pane->verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this,
            [this, bar](int value) { m_following = value >= bar->maximum(); });
    connect(bar, &QScrollBar::rangeChanged, this, [this, bar](int, int maximum) {
        if (m_following) bar->setValue(maximum);
    });
}

void LogPane::SetPauseScale(double factor)
{
    m_pauseScale = factor < 0 ? 0 : factor;
}

void LogPane::SetClosing(bool closing)
{
    m_closing = closing;
    if (closing && m_pauseLoop) m_pauseLoop->quit();
}

void LogPane::Pause(double milliseconds, bool letEventsRun)
{
    QCoreApplication::processEvents();
    const double wait = milliseconds * m_pauseScale;
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

void LogPane::Clear()
{
    ++m_generation;
    m_shown = 0;
    m_local.clear();
    m_pane->clear();
}

void LogPane::ShowLines(const std::vector<LogLine>& lines)
{
    for (const LogLine& l : lines) {
        if (m_closing) return;
        // Counted before it is drawn: a rebuild while this line waits or
        // animates draws it whole, and nothing after it.
        ++m_shown;
        LogText(l.line + "\r\n");
    }
}

void LogPane::Rebuild(const std::vector<std::string>& lines)
{
    ++m_generation;
    m_quiet = true;
    m_pane->setUpdatesEnabled(false);
    m_pane->clear();
    {
        // One edit block: the pane lays out the text once, not per line.
        QTextCursor batch(m_pane->document());
        batch.beginEditBlock();
        const std::size_t count = std::min(m_shown, lines.size());
        auto local = m_local.begin();
        for (std::size_t i = 0; i <= count; ++i) {
            for (; local != m_local.end() && (local->first <= i || i == count); ++local)
                LogText(local->second + "\r\n");
            if (i < count) LogText(lines[i] + "\r\n");
        }
        batch.endEditBlock();
    }
    m_pane->setUpdatesEnabled(true);
    m_quiet = false;
    m_pane->moveCursor(QTextCursor::End);
    m_pane->ensureCursorVisible();
}

void LogPane::ShowLocalLine(const std::string& line)
{
    m_local.emplace_back(m_shown, line);
    LogText(line + "\r\n");
}

void LogPane::LogText(const std::string& text)
{
    if (text.empty()) return;
    m_hooks.holdPoll();
    char kind = text[0];
    std::string body = text.substr(1);
    if (kind >= '0' && kind <= '9') {
        if (kind - '0' != m_hooks.myNo() || body.empty()) {
            m_hooks.resumePoll();
            return;
        }
        kind = body[0];
        body.erase(0, 1);
    }
    if (kind == 'n') body = body.size() >= 2 ? body.substr(0, body.size() - 2) : std::string();

    QTextEdit* const RTB2 = m_pane;
    const unsigned generation = m_generation;
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
                ShowCardText(cards, plain);
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
            // Rebuilt while the cards were animated: the rebuild drew this line.
            if (generation != m_generation || m_closing) {
                m_hooks.resumePoll();
                return;
            }
            // The cards leave the colour at black.
            QTextCharFormat after = EndOf(RTB2).charFormat();
            after.setForeground(FromBgr(bgr::Black));
            Append(RTB2, QStringLiteral("\n"), after);
        }
        if (m_settings.CardText) {
            // The names in the log's own font, plain, whatever came before.
            const QTextCharFormat f = Look(logFamily, logSize, bgr::Black);
            ShowCardText(cards, f);
            Append(RTB2, QStringLiteral("\n"), f);
        }
    }
    if (!m_quiet) {
        RTB2->moveCursor(QTextCursor::End);
        RTB2->ensureCursorVisible();
        if (kind == 'd') Pause(2000, true);
        if (kind == 'w') Pause(3000, true);
    }
    m_hooks.resumePoll();
}

void LogPane::ShowCardText(const std::string& cards, const QTextCharFormat& format)
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
    QTextCursor c = EndOf(m_pane);
    // Not glued to a name line that lost its trailing blank in the file.
    const QChar before = c.position() > 0 ? m_pane->document()->characterAt(c.position() - 1) : QChar();
    if (!before.isNull() && !before.isSpace()) names.insert(0, " ");
    c.insertText(ToQ(names), format);
}

void LogPane::ShowCardSymbols(const std::string& cards, QTextEdit* target, int size, bool animate,
                              bool useSymbols, bool useColour)
{
    if (m_settings.ScrivoMode) {
        useSymbols = false;
        useColour = false;
    }
    if (m_quiet) animate = false;
    animate = animate && target == m_pane;
    const unsigned generation = m_generation;
    // In the disguise mode the cards take the pane's one monospaced font.
    const QString family = m_settings.ScrivoMode ? PlainFontFamily() : QStringLiteral("Arial");

    int spacer = -1;
    if (animate) {
        QTextCursor c = EndOf(target);
        spacer = c.position();
        QTextCharFormat f = c.charFormat();
        f.setFontPointSize(size + 20);
        c.insertText(QStringLiteral(" "), f);
    } else if (target == m_pane) {
        // A name line read back from the message file has lost its trailing
        // blank; keep the cards off the name as the animated line does.
        const int end = EndOf(target).position();
        const QChar before = end > 0 ? target->document()->characterAt(end - 1) : QChar();
        if (!before.isNull() && !before.isSpace())
            Append(target, QStringLiteral(" "), Look(family, size, bgr::Black));
    }
    for (const std::string& card : Split(cards, ',')) {
        if (m_closing || generation != m_generation) return;
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
            AnimateSelection(end - (ten ? 6 : 5), ten ? 5 : 4, size, generation);
        }
    }
    if (animate && spacer >= 0) AnimateSelection(spacer, 1, size, generation);
    if (animate && generation == m_generation) target->moveCursor(QTextCursor::End);
}

void LogPane::AnimateSelection(int start, int length, int size, unsigned generation)
{
    for (int step = size + 15; step >= size; --step) {
        // Positions taken before a rebuild mean nothing after it.
        if (m_closing || generation != m_generation) return;
        QTextCursor c(m_pane->document());
        c.setPosition(start);
        c.setPosition(start + length, QTextCursor::KeepAnchor);
        QTextCharFormat f;
        f.setFontPointSize(step);
        c.mergeCharFormat(f);
        Pause(10, false);
        QCoreApplication::processEvents();
    }
}

QString LogPane::PlainFontFamily() const
{
    static const QString family = [] {
        const QString lucida = QStringLiteral("Lucida Console");
        if (QFontDatabase::families().contains(lucida, Qt::CaseInsensitive)) return lucida;
        return QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
    }();
    return family;
}

bool LogPane::IsEmpty() const
{
    return m_pane->document()->isEmpty();
}

bool LogPane::SaveTo(const std::string& path) const
{
    const bool rich = path.size() >= 3 && path.compare(path.size() - 3, 3, "rtf") == 0;
    const QByteArray bytes =
        rich ? QByteArray::fromStdString(DocumentToRtf(*m_pane->document())) : m_pane->toPlainText().toUtf8();
    // Written beside the target and renamed over it: never half a file.
    QSaveFile file(ToQ(path));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        MsgBox("Error saving text: " + FromQ(file.errorString()), MsgButtons::Ok, MsgIcon::Exclamation);
        return false;
    }
    return true;
}

} // namespace scrivo

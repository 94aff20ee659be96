#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <QObject>
#include <QString>

class QEventLoop;
class QTextCharFormat;
class QTextEdit;
class QWidget;

namespace scrivo {

class Language;
struct LogLine;
struct Settings;

// The log pane (RTB2): how each kind of line looks, cards as signs or names,
// the reading waits after dealer and win lines, the rebuild and the export.
// It counts the game's lines it has begun to show, so that a rebuild in the
// middle of a batch shows those and no more; the batch goes on from there.
class LogPane final : public QObject {
    Q_OBJECT

public:
    // What the pane asks of its window: the own player number (private
    // lines), and the poll held while a line is drawn.
    struct Hooks {
        std::function<int()> myNo;
        std::function<void()> holdPoll;
        std::function<void()> resumePoll;
    };

    LogPane(QWidget* parent, const Settings& settings, const Language& language, Hooks hooks);

    QTextEdit* Pane() const { return m_pane; }

    // One line (optional private digit, kind letter, text with its break).
    void LogText(const std::string& text);
    // The game's new lines, in order; stops early when the window closes.
    void ShowLines(const std::vector<LogLine>& lines);
    // Rebuilt from the game's stored lines: those shown so far, no more.
    void Rebuild(const std::vector<std::string>& lines);
    // A line of this window's own, not of the game: shown after the game's
    // lines so far, and drawn in that place again by a rebuild.
    void ShowLocalLine(const std::string& line);
    // A new table: empty, nothing shown yet.
    void Clear();

    void Pause(double milliseconds, bool letEventsRun);
    // Scales the reading waits (1 = as they are, 0 = none).
    void SetPauseScale(double factor);
    double PauseScale() const { return m_pauseScale; }
    // A closing window ends every wait and animation at once.
    void SetClosing(bool closing);
    bool Closing() const { return m_closing; }

    // Cards "suit_face,..." drawn as face and suit sign; also used for the
    // hand line.
    void ShowCardSymbols(const std::string& cards, QTextEdit* target, int size, bool animate, bool useSymbols,
                         bool useColour);
    QString PlainFontFamily() const;

    bool IsEmpty() const;
    // Rich text when the name ends in "rtf", plain text otherwise. Reports a
    // failure and returns false.
    bool SaveTo(const std::string& path) const;

private:
    void ShowCardText(const std::string& cards, const QTextCharFormat& format);
    void AnimateSelection(int start, int length, int size, unsigned generation);

    const Settings& m_settings;
    const Language& m_language;
    Hooks m_hooks;
    QTextEdit* m_pane = nullptr;
    QEventLoop* m_pauseLoop = nullptr;
    double m_pauseScale = 1.0;
    bool m_following = true; // the newest line is in sight
    bool m_quiet = false;
    bool m_closing = false;
    // Lines of the game this pane has begun to show.
    std::size_t m_shown = 0;
    // Own lines, each with the count of game lines shown before it.
    std::vector<std::pair<std::size_t, std::string>> m_local;
    // Changes with every rebuild or clear: drawing that ran events checks it
    // before it touches the pane again.
    unsigned m_generation = 0;
};

} // namespace scrivo

#pragma once

#include <memory>
#include <string>

#include <QDeadlineTimer>
#include <QMainWindow>

#include "platform/Currency.h"
#include "platform/Screen.h"
#include "settings/TextIds.h"

class QAction;
class QCloseEvent;
class QLabel;
class QMenu;
class QString;
class QTextEdit;
class QTimer;

namespace scrivo {

class CommandEntry;
struct CommandOutcome;
class Language;
class LogPane;
class SeatPanel;
struct GameSession;
struct Settings;
class Table;
class WidgetGeometry;

// The table window: the log pane, the hand/board line, the floating tool box
// with the seats (SeatPanel), the command entry and the menus. It shows what the table
// engine tells it and passes the player's commands on; Timer1 drives the
// engine, one poll per tick. The settings and the language belong to whoever
// opens the window; the window changes the looks it toggles in the
// settings. Several windows may share a process, each at its own game.
class MainForm : public QMainWindow {
    Q_OBJECT

public:
    MainForm(Settings& settings, const Language& language, QWidget* parent = nullptr);
    ~MainForm() override;

    // Opens the table for the session's game and starts Timer1. Call once,
    // then show the window.
    void Init(GameSession session);

    // The log: rebuilt from the engine's stored lines, or one line logged
    // (optional private digit, kind letter, text with its line break).
    void MsgRefresh();
    void LogText(const std::string& text);
    // Waits; with letEventsRun the window stays live meanwhile. Ends early
    // when the window is closing. Never spins a core.
    void Pause(double milliseconds, bool letEventsRun);
    // Tools and tests that play many hands shorten this window's reading
    // waits after dealer and win lines (1 = as they are, 0 = none).
    void SetPauseScale(double factor);

    // Amount as shown at this table: the currency symbol, then the whole
    // amount or the amount with two decimals.
    std::string FormatCash(Currency amount) const;

    void ApplyLang();
    void DoCommand(const std::string& letter);
    void ShowStatus(const std::string& text);

    // Where the settings store reads and writes this window's position
    // (section "MainForm") and the tool box's (section "Tool Window"), twips.
    // By default the tool box is docked at the right edge beside the log, so
    // that it hides no text; its left is then -1, and a negative left docks
    // it again. Dragged elsewhere, it stays where the player put it.
    FormGeometry& Geometry();
    double ToolBoxLeft() const;
    double ToolBoxTop() const;
    void SetToolBoxLeft(double twips);
    void SetToolBoxTop(double twips);

    // Saves the log pane: rich text when the name ends in "rtf", plain text
    // otherwise. Reports a failure and returns false.
    bool SaveLogTo(const std::string& path);

    // The player has left this table, or it could not be opened.
    bool HasLeft() const { return m_left; }

    // The engine of this table (null before Init).
    Table* Engine() const { return m_table.get(); }
    // True while a poll runs (events run inside its waits).
    bool Polling() const { return m_inTick; }

    // Layout size in twips: the outer size of a framed window with its menu,
    // worked out from the client area so that it does not depend on the
    // window manager's decorations.
    double LayoutWidth() const;
    double LayoutHeight() const;

signals:
    // The player has left the table and the window is closed. The program
    // saves its settings and ends. Delivered from the event loop; end the
    // program with quit() or deleteLater(), never delete the window in the
    // handler.
    void tableClosed();
    void optionsRequested();
    void aboutRequested();
    void instructionsRequested();

protected:
    // The save dialog of Save Text; an empty result saves nothing.
    virtual QString ShowSave();
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class View;
    friend class View;

    void BuildWidgets();
    void BuildMenus();
    void SetDesignCaptions();
    // The resize handler: run whenever the client area changes size.
    void LayoutForm();
    void KeepToolBoxInside();

    // Engine side: the view's calls land here.
    void OnTimer1();
    void StartTimer1();
    void StopTimer1();
    int PollInterval() const;
    void TableOpening(const Table& table);
    void UpdateTableView(const Table& table);
    // The hand line (RTB1): the own hole cards, then the board.
    void DrawHandLine(const Table& table);
    // The seats' bets, the dealer, the pot and what the own player must put
    // in to call. Between hands no bet is shown and the pot is empty.
    void DrawMoney(const Table& table);
    void SetStartRoundAllowed(bool allowed);
    void SetActionsEnabled(bool myTurn);
    // The captions of the action buttons follow what a press would do now.
    void UpdateActionCaptions();
    // The away marks of the seats and the own "I'm back" button, from the
    // engine; the own player told when he has gone away.
    void ShowAway(bool ownLineArrived);
    // A key that writes a request while the own player is away brings him
    // back first.
    void ComeBack();
    // A bet-size button: the amount box opens with the legal amount.
    void FillBetSize(int size);
    // A command that acts in the own turn, pressed out of it: the status
    // line says why nothing happened, and the window polls at once in case
    // the turn has come meanwhile.
    void NotMyTurn();
    // A refused request: the reason stays on the status line until the next
    // action, and goes into the log as a private line.
    void ShowRefusal(const std::string& text);
    // The next poll runs at once (after the player's own request).
    void PollSoon();
    // Init failed: the seat is given up and the window closes.
    void AbandonTable();
    // The disguise: a text editor's title and icon, or the table's.
    void ApplyDisguise();
    // The status line says which file a wait inside a poll is for.
    void WatchFileWaits();
    // The game has ended (won, the host left) or its folder is gone: the
    // status line says so and no control offers a move any more.
    void EndGame(MsgId message);
    void StartRoundCommand();
    // The host with company at the table and no hand running is told how
    // to deal: once in the log (again when more players sit down), and on
    // the status line while it waits. Run after every poll.
    bool StartHintApplies() const;
    std::string StartHintText() const;
    void UpdateStartHint();
    // With the option set the host deals the next hand himself once the
    // last one has been over for a pause. Run after every poll.
    void AutoDealWhenDue();
    void LeaveTable();
    void CheckOrCall();
    // Writes the request of a command; once written the turn has gone to
    // the host to answer, and the action buttons wait for the next one.
    bool SendRequest(const CommandOutcome& outcome);
    void EnterAmount();
    void SendChatLine();
    void CancelEntry();
    // The keyboard goes back to the log unless a box is being typed in.
    void FocusLog();

    // Looks.
    void ToggleScrivo();
    void SetPlainMode(bool on);
    void ToggleToolBox();
    void ToggleStatusBar();
    void SaveText();
    QString CaptionOr(CapId id, const char* english) const;
    // The log's font size against the design's 10 points: the hand line and
    // the tool box grow with it.
    double TextScale() const;
    void ApplyTextSize();
    // A file name for Save and Export: the game and today's date.
    QString SuggestedFileName(const char* suffix) const;
    void ExportHandHistory();

    Settings& m_settings;
    const Language& m_language;
    std::unique_ptr<View> m_view;
    std::unique_ptr<Table> m_table;
    std::unique_ptr<WidgetGeometry> m_geometry;

    // Parts and controls.
    QWidget* m_back = nullptr;
    QLabel* BackLbl = nullptr;
    QTextEdit* RTB1 = nullptr;
    LogPane* m_log = nullptr;
    QTextEdit* RTB2 = nullptr; // the log pane's text
    SeatPanel* ToolBox = nullptr;
    CommandEntry* m_entry = nullptr;
    QTimer* Timer1 = nullptr;

    QMenu* mFile = nullptr;
    QMenu* mView = nullptr;
    QMenu* mTools = nullptr;
    QMenu* mhelp = nullptr;
    QAction* mSave = nullptr;
    QAction* mHandHistory = nullptr;
    QAction* mSpeech = nullptr;
    QAction* mExit = nullptr;
    QAction* mToolHide = nullptr;
    QAction* mSbar = nullptr;
    QAction* mScrivo = nullptr;
    QAction* mChkCall = nullptr;
    QAction* mBet = nullptr;
    QAction* mFold = nullptr;
    QAction* mAllIn = nullptr;
    QAction* mMsg = nullptr;
    QAction* mStartRound = nullptr;
    QAction* mVOpt = nullptr;
    QAction* mInstr = nullptr;
    QAction* mAbout = nullptr;

    QDeadlineTimer m_pollDue; // when the next poll falls due
    bool m_left = false;
    bool m_inTick = false;
    bool m_leavePending = false; // closed during a tick: leave once it is over
    bool m_gameEnded = false;
    bool m_toolDocked = true;
    QObject* m_watchedClock = nullptr;
    bool m_fileWaitShown = false;
    std::string m_statusBeforeWait;
    bool m_refusalShown = false; // a refusal holds the status line until the next action
    int m_hintedPlayers = 0;     // seats at the table when the log last told how to deal
    QDeadlineTimer m_autoDealDue{QDeadlineTimer::Forever}; // the next automatic deal; forever: none pending
    // Polls that a status the player caused (a chat line sent) stays before
    // the start hint takes the line back.
    int m_statusHold = 0;
    int MyNo() const; // the session's player number; 0 before Init
};

} // namespace scrivo

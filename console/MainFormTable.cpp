// The table window's side of the engine: the view it draws, Timer1, the
// commands, the log and leaving the table.
#include "console/MainForm.h"

#include <algorithm>
#include <exception>

#include <QApplication>
#include <QDate>
#include <QRegularExpression>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QEventLoop>
#include <QMenu>
#include <QMenuBar>
#include <QTextEdit>
#include <QTimer>

#include "console/CommandEntry.h"
#include "console/LogPane.h"
#include "console/Looks.h"
#include "console/QtPlatform.h"
#include "console/SeatPanel.h"
#include "engine/Commands.h"
#include "engine/Lobby.h"
#include "engine/FormatCash.h"
#include "engine/Table.h"
#include "engine/TableView.h"
#include "gamefolder/RecordFile.h"
#include "platform/Paths.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"
#include "settings/Language.h"
#include "settings/Settings.h"
#include "settings/TextIds.h"

namespace scrivo {

// The engine's view of this window.
class MainForm::View final : public TableView {
public:
    explicit View(MainForm& form) : m_form(form) {}
    void TableOpening(const Table& table) override { m_form.TableOpening(table); }
    void SeatsLoaded(const Table& table) override
    {
        m_form.ToolBox->LoadSeats(table.State(), [this](Currency c) { return m_form.FormatCash(c); });
    }
    void ShowPlayerLabel(const std::string& text) override { m_form.ToolBox->SetPlayerLabel(text); }
    void UpdateTableView(const Table& table) override { m_form.UpdateTableView(table); }
    void ShowStatus(const std::string& text) override
    {
        m_form.ShowStatus(text);
        // What the engine says is current only until its next poll.
        m_form.m_statusHold = 0;
    }
    void SetStartRoundAllowed(bool allowed) override { m_form.SetStartRoundAllowed(allowed); }
    void SetActionsEnabled(bool myTurn) override { m_form.SetActionsEnabled(myTurn); }
    void LogLines(const std::vector<LogLine>& lines) override
    {
        m_form.m_log->ShowLines(lines);
        bool away = false, own = false;
        for (const LogLine& line : lines) {
            if (line.Kind() != 'a' && line.Kind() != 'b') continue;
            away = true;
            own = own || (line.Kind() == 'a' && line.PrivateTo() == m_form.MyNo());
        }
        if (away) m_form.ShowAway(own);
    }
    // Kept apart from the message lines, so that a rebuild of the log keeps it in its place.
    void LocalLine(const std::string& line) override { m_form.m_log->ShowLocalLine(line); }
    void HostLeft(const Table&, const std::string& text) override
    {
        m_form.Timer1->stop();
        MsgBox(text);
    }

private:
    MainForm& m_form;
};

MainForm::MainForm(Settings& settings, const Language& language, QWidget* parent)
    : QMainWindow(parent), m_settings(settings), m_language(language)
{
    setObjectName(QStringLiteral("MainForm"));
    m_view = std::make_unique<View>(*this);
    m_geometry = std::make_unique<WidgetGeometry>(this);
    BuildWidgets();
    ShowTextsPlain(this);
    BuildMenus();
    SetDesignCaptions();
    resize(TwipsToPixelsX(9600 - 120), TwipsToPixelsY(7200 - 765) + menuBar()->sizeHint().height());
    SetActionsEnabled(false);
    SetStartRoundAllowed(false);
    ApplyTextSize();
}

MainForm::~MainForm()
{
    m_log->SetClosing(true);
    if (Timer1) Timer1->stop();
}

void MainForm::WatchFileWaits()
{
    auto* clock = dynamic_cast<WindowClock*>(&ProgramClock());
    if (!clock || m_watchedClock == clock) return;
    m_watchedClock = clock;
    connect(clock, &WindowClock::waitingForFile, this, [this](const QString& path) {
        // Only the waits for this table's files are this window's to tell.
        if (!m_table || m_gameEnded || !path.startsWith(ToQ(m_table->Session().GameFolder))) return;
        if (!m_fileWaitShown) m_statusBeforeWait = m_entry->StatusText();
        m_fileWaitShown = true;
        m_entry->ShowStatus(m_language.LangText[Msg::WaitingForFile].empty()
                                ? "Waiting for " + FromQ(path) + "..."
                                : m_language.FormatText(Msg::WaitingForFile, FromQ(path)));
    });
    connect(clock, &WindowClock::waitOver, this, [this] {
        if (!m_fileWaitShown) return;
        m_fileWaitShown = false;
        if (!m_gameEnded) m_entry->ShowStatus(m_statusBeforeWait);
    });
}

void MainForm::Init(GameSession session)
{
    WatchFileWaits();
    try {
        Timer1->stop();
        m_log->SetClosing(false);
        m_left = false;
        m_hintedPlayers = 0;
        m_table.reset();
        session.PollMilliseconds = PollInterval();
        m_table = std::make_unique<Table>(*m_view, std::move(session), m_language);
        m_pollDue.setRemainingTime(PollInterval());
        // The looks the settings ask for.
        ToolBox->setVisible(!m_settings.ScrivoMode);
        mToolHide->setChecked(!m_settings.ScrivoMode);
        mSbar->setChecked(m_settings.StatusBar);
        mScrivo->setChecked(m_settings.ScrivoMode);
        LayoutForm();
        SetActionsEnabled(false);
        ApplyDisguise();
        if (!m_table->Init()) {
            // Reported by the engine; no empty table stays open.
            AbandonTable();
            return;
        }
        MsgRefresh();
        StartTimer1();
    } catch (const std::exception& e) {
        MsgBox(std::string("Error Initialising Game: ") + e.what());
        AbandonTable();
    }
}

void MainForm::AbandonTable()
{
    Timer1->stop();
    if (m_table) {
        try {
            m_table->Leave();
        } catch (const std::exception& e) {
            MsgBox(std::string("Error leaving the table: ") + e.what());
        }
    }
    m_left = true;
    m_log->SetClosing(true);
    hide();
    QMetaObject::invokeMethod(this, &MainForm::tableClosed, Qt::QueuedConnection);
}

int MainForm::MyNo() const
{
    return m_table ? m_table->Session().MyPlayerNo : 0;
}

void MainForm::TableOpening(const Table& table)
{
    ApplyLang();
    RTB1->clear();
    m_log->Clear();
    setWindowTitle(ToQ(table.Session().GameName));
    ApplyDisguise();
}

int MainForm::PollInterval() const
{
    const int normal = m_settings.ServerDelay > 0 ? static_cast<int>(m_settings.ServerDelay)
                                                  : static_cast<int>(DefaultServerDelay);
    // While the cards of a protected table are being dealt, every step waits
    // on a poll of the next player: poll faster until it is done.
    if (!m_table) return normal;
    return static_cast<int>(m_table->PollDelay(std::chrono::milliseconds(normal)).count());
}

void MainForm::StartTimer1()
{
    if (m_log->Closing() || !m_table) return;
    // Counted from the last poll, not from this restart: a held key or fast
    // typing restarts the timer many times a second, and a full interval
    // each time would mean no poll at all. A poll that fell due meanwhile
    // runs at once.
    Timer1->start(static_cast<int>(std::min<qint64>(m_pollDue.remainingTime(), PollInterval())));
}

void MainForm::PollSoon()
{
    m_pollDue.setRemainingTime(0);
}

void MainForm::StopTimer1()
{
    Timer1->stop();
}

void MainForm::OnTimer1()
{
    if (m_log->Closing() || !m_table) return;
    // Back to the full interval after a shortened start.
    m_pollDue.setRemainingTime(PollInterval());
    Timer1->start(PollInterval());
    if (m_inTick || FileWaitRunning()) return;
    // A game whose folder has gone cannot be played on; polling it would
    // only report the same failure every time. An ended game is still
    // polled for the lines that follow (goodbyes, chat).
    if (m_table->FolderGone()) {
        EndGame(Msg::GameFolderGone);
        StopTimer1();
        return;
    }
    m_inTick = true;
    try {
        m_table->Tick();
    } catch (const std::exception& e) {
        // The engine reports its own errors; this is the last guard so that
        // the window survives whatever slipped through.
        MsgBox(std::string("Error in poll: ") + e.what());
    }
    m_inTick = false;
    if (m_table->FolderGone()) {
        // Found in this poll: nothing is offered from now on.
        EndGame(Msg::GameFolderGone);
        StopTimer1();
        return;
    }
    // The status of this poll is known only now: the money shown follows it.
    if (!m_log->Closing() && !m_left) DrawMoney(*m_table);
    // Ended, or stopped by the engine: nobody is waited for any more.
    if ((m_table->State().LastStatus == GameStatus::Ended || m_table->State().Closing) && !m_log->Closing())
        EndGame(Msg::GameEnded);
    if (!m_log->Closing() && !m_left) {
        UpdateStartHint();
        AutoDealWhenDue();
    }
    if (m_leavePending) {
        m_leavePending = false;
        LeaveTable();
    }
}

std::string MainForm::FormatCash(Currency amount) const
{
    return scrivo::FormatCash(amount, m_table ? m_table->State().CurrencySymbol : std::string());
}

// ---------------------------------------------------------------- table view

void MainForm::UpdateTableView(const Table& table)
{
    try {
        const TableState& s = table.State();
        const std::vector<PlayerRecord>& seats = table.Seats();
        const int count = std::min({s.PlayerCount, 9, static_cast<int>(seats.size()) - 1});
        for (int p = 1; p <= count; ++p)
            ToolBox->DrawSeat(p - 1, seats[p], p == s.CurrentPlayer, FormatCash(seats[p].Cash));
        DrawMoney(table);
        DrawHandLine(table);

        // The status line and the action controls follow from the engine.
        if (!m_entry->IsOpen()) RTB2->setFocus();
    } catch (const std::exception&) {
        MsgBox("Error updating status.");
    }
}

namespace {

// The seat that deals: the one before the small blind, passing over seats
// that are out or gone. The records carry no dealer, but every client sees
// the blinds. 0 when no blind is posted.
int DealerSeat(const std::vector<PlayerRecord>& seats, int count)
{
    for (int sb = 1; sb <= count; ++sb) {
        if (Trim(seats[sb].Blind) != "SB") continue;
        for (int step = 1; step < count; ++step) {
            const int p = (sb - 1 - step + count) % count + 1;
            const std::string action = Trim(seats[p].Action);
            if (action != "O" && action != "D") return p;
        }
        return 0;
    }
    return 0;
}

// A hand is under way while the host waits for a player or ends a betting
// round; otherwise the last hand is over (or none began).
bool HandRunning(const TableState& s)
{
    return s.LastStatus.IsTurn() || s.LastStatus == GameStatus::HandOver;
}

} // namespace

void MainForm::DrawMoney(const Table& table)
{
    const TableState& s = table.State();
    const std::vector<PlayerRecord>& seats = table.Seats();
    const int count = std::min({s.PlayerCount, 9, static_cast<int>(seats.size()) - 1});
    // The host knows of a hand before the status that shows it is read back.
    const bool running =
        HandRunning(s) || (table.IsHostTable() && table.Hand().started && !table.Hand().over);
    const int dealer = DealerSeat(seats, std::max(0, count));
    for (int p = 1; p <= count; ++p) {
        const Currency bet = running ? seats[p].Bet : Currency();
        ToolBox->ShowSeatBet(p - 1, bet > Currency() ? FormatCash(bet) : std::string(), p == dealer);
    }
    std::string toCall;
    const int me = table.Session().MyPlayerNo;
    if (running && me >= 1 && me <= count) {
        const std::string action = Trim(seats[me].Action);
        if (action != "X" && action != "A" && action != "O" && action != "D") {
            Currency owed = s.MinBet - seats[me].Bet;
            if (owed < Currency()) owed = Currency();
            if (owed > table.Session().MyCash) owed = table.Session().MyCash;
            toCall = FormatCash(owed);
        }
    }
    ToolBox->ShowMoney(FormatCash(table.Session().MyCash), FormatCash(running ? s.Pot : Currency()), toCall);
    UpdateActionCaptions();
}

void MainForm::UpdateActionCaptions()
{
    if (!m_table) return;
    const BetLimits limits = LimitsOf(*m_table);
    const Currency call = CallAmount(limits);
    const auto cap = [&](CapId id, const char* english) {
        return m_language.AppText[id].empty() ? std::string(english) : m_language.AppText[id];
    };
    std::string check = cap(Cap::CheckButton, "Check (C)");
    if (m_table->MyTurn() && call > Currency()) {
        // The whole call: one above the player's cash is refused (he may go
        // all in or fold), so the button must not offer it for less.
        const std::string amount = FormatCash(call);
        check = m_language.LangText[Msg::CallButton].empty() ? "Call " + amount + " (C)"
                                                             : m_language.FormatText(Msg::CallButton, amount);
    }
    // Something to raise: a bet to call, or one made in this betting round
    // (before the flop, the big blind).
    const bool opened = call > Currency() || limits.lastRaise > Currency();
    ToolBox->SetActionCaptions(
        check, opened ? cap(Cap::RaiseButton, "Raise to... (B)") : cap(Cap::BetButton, "Bet (B)"),
        cap(Cap::FoldButton, "Fold (F)"), cap(Cap::AllInButton, "All in (A)"));
    const bool myTurn = m_table->MyTurn() && !m_gameEnded;
    ToolBox->SetBetSizesEnabled(myTurn && RaiseAmounts(limits).raise);
}

void MainForm::ShowAway(bool ownLineArrived)
{
    if (!m_table) return;
    const int count = std::min(m_table->State().PlayerCount, 9);
    const std::string mark =
        m_language.AppText[Cap::AwayMark].empty() ? "away" : m_language.AppText[Cap::AwayMark];
    for (int p = 1; p <= count; ++p)
        ToolBox->SetAway(p - 1, m_table->IsAway(p), mark);
    const bool away = m_table->IsAway(MyNo());
    ToolBox->SetBackVisible(away && !m_gameEnded);
    if (ownLineArrived && away) ShowStatus(m_language.LangText[Msg::YouAreAway]);
}

void MainForm::ComeBack()
{
    if (!m_table || !m_table->IsAway(MyNo())) return;
    if (m_table->ComeBack()) {
        ShowAway(false);
        ShowStatus(m_language.LangText[Msg::YouAreBack]);
        PollSoon();
    }
}

void MainForm::DrawHandLine(const Table& table)
{
    const TableState& s = table.State();
    const std::vector<PlayerRecord>& seats = table.Seats();
    const int me = table.Session().MyPlayerNo;
    // Disguised, nothing is coloured and no suit sign gives the game away.
    const bool symbols = m_settings.Symbols && !m_settings.ScrivoMode;
    const bool colours = m_settings.ColourText && !m_settings.ScrivoMode;
    const double scale = TextScale();
    const int cardSize = static_cast<int>(10 * scale + 0.5);
    RTB1->clear();
    if (me >= 1 && me <= std::min({s.PlayerCount, 9, static_cast<int>(seats.size()) - 1})) {
        const PlayerRecord& r = seats[me];
        QTextCursor c(RTB1->document());
        QTextCharFormat f;
        f.setFontPointSize(8 * scale);
        f.setForeground(FromBgr(bgr::Black));
        c.setCharFormat(f);
        RTB1->setTextCursor(c);
        if (!Trim(r.Card1).empty()) {
            f.setFontFamilies({QStringLiteral("Arial")});
            c.insertText(
                QStringLiteral(" ") + ToQ(m_language.LangText[Msg::YourCards]) + QStringLiteral(": "), f);
            m_log->ShowCardSymbols(Trim(r.Card1), RTB1, cardSize, false, symbols, colours);
            if (!Trim(r.Card2).empty())
                m_log->ShowCardSymbols(Trim(r.Card2), RTB1, cardSize, false, symbols, colours);
        }
    }

    const PlayerRecord& board = table.Board();
    if (!Trim(board.Card1).empty()) {
        QTextCursor c(RTB1->document());
        c.movePosition(QTextCursor::End);
        // In the style the hole cards left, back in black.
        QTextCharFormat f = c.charFormat();
        f.setForeground(FromBgr(bgr::Black));
        c.insertText(QStringLiteral("    ") + ToQ(m_language.LangText[Msg::Board]) + QStringLiteral(": "), f);
        for (const std::string* card : {&board.Card1, &board.Card2, &board.Card3, &board.Card4, &board.Card5})
            if (!Trim(*card).empty())
                m_log->ShowCardSymbols(Trim(*card), RTB1, cardSize, false, symbols, colours);
    }
    QTextCursor end(RTB1->document());
    end.movePosition(QTextCursor::End);
    RTB1->setTextCursor(end);
}

void MainForm::EndGame(MsgId message)
{
    if (m_gameEnded) return;
    SetActionsEnabled(false);
    SetStartRoundAllowed(false);
    m_gameEnded = true;
    ToolBox->SetBackVisible(false);
    m_entry->Cancel();
    m_entry->ShowStatus(m_language.LangText[message]);
    ToolBox->SetGameEnded();
    mMsg->setEnabled(false);
}

void MainForm::SetActionsEnabled(bool myTurn)
{
    if (m_gameEnded) return;
    // A refusal is about the turn it was given in.
    if (!myTurn) m_refusalShown = false;
    ToolBox->SetActionsEnabled(myTurn);
    for (QAction* a : {mChkCall, mFold, mBet, mAllIn})
        a->setEnabled(myTurn);
    UpdateActionCaptions();
}

void MainForm::SetStartRoundAllowed(bool allowed)
{
    if (m_gameEnded) return;
    ToolBox->SetStartRoundAllowed(allowed);
    mStartRound->setEnabled(allowed);
}

// ---------------------------------------------------------------- commands

void MainForm::ShowStatus(const std::string& text)
{
    // The end of the game stays on the status line.
    if (m_entry->ChatOpen() || m_gameEnded) return;
    m_statusHold = 2;
    if (m_refusalShown) return;
    m_entry->ShowStatus(text.empty() && StartHintApplies() ? StartHintText() : text);
    if (!m_entry->AmountOpen()) RTB2->setFocus();
}

void MainForm::StartRoundCommand()
{
    if (m_table && m_table->CanStartRound()) m_table->StartRound();
}

bool MainForm::StartHintApplies() const
{
    if (!m_table || m_gameEnded || !m_table->CanStartRound()) return false;
    const TableState& s = m_table->State();
    const std::vector<PlayerRecord>& seats = m_table->Seats();
    const int seated = std::min(s.PlayerCount, static_cast<int>(s.HandStake.size()) - 1);
    for (int p = 1; p <= seated; ++p) {
        if (p == MyNo() || s.HandStake[p] <= StakeOut) continue;
        // The records are read when the status changes: a seat that
        // joined since counts as taken.
        if (p < static_cast<int>(seats.size())) {
            const std::string action = Trim(seats[p].Action);
            if (action == "D" || action == "O") continue;
        }
        return true;
    }
    return false;
}

std::string MainForm::StartHintText() const
{
    // The menu item's caption as the menu shows it, without its mnemonic.
    QString caption = ToQ(m_language.AppText[Cap::MenuStartRound]);
    if (caption.isEmpty()) caption = QStringLiteral("Start Round");
    caption.replace(QStringLiteral("&&"), QStringLiteral("\x01")).remove(QLatin1Char('&'));
    caption.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    return m_language.FormatText(Msg::PressStartRound, FromQ(caption));
}

void MainForm::UpdateStartHint()
{
    if (!m_table || m_gameEnded) return;
    const std::string hint = StartHintText();
    if (hint.empty()) return;
    const std::string shown = m_entry->StatusText();
    if (!StartHintApplies()) {
        // The hand has begun (or the company has left): the hint is stale.
        if (shown == hint) m_entry->ShowStatus("");
        return;
    }
    if (m_table->State().PlayerCount > m_hintedPlayers) {
        m_hintedPlayers = m_table->State().PlayerCount;
        m_log->ShowLocalLine("i" + hint);
    }
    if (m_statusHold > 0) --m_statusHold;
    if (shown != hint && (shown.empty() || m_statusHold == 0) && !m_entry->IsOpen())
        m_entry->ShowStatus(hint);
}

void MainForm::AutoDealWhenDue()
{
    // Time to read the showdown before the cards go.
    constexpr double AutoDealPauseMs = 5000;
    if (!m_settings.AutoDeal || !StartHintApplies() || m_table->State().HandNo < 2) {
        m_autoDealDue = QDeadlineTimer(QDeadlineTimer::Forever);
        return;
    }
    if (m_autoDealDue.isForever())
        m_autoDealDue.setRemainingTime(static_cast<qint64>(AutoDealPauseMs * m_log->PauseScale()));
    if (m_autoDealDue.hasExpired()) {
        m_autoDealDue = QDeadlineTimer(QDeadlineTimer::Forever);
        StartRoundCommand();
    }
}

void MainForm::DoCommand(const std::string& letter)
{
    if (m_entry->IsOpen() || letter.empty()) return;
    if (m_gameEnded && std::string("SCBFAM").find(letter[0]) != std::string::npos) return;
    if (FileWaitRunning()) {
        // The engine is waiting for a file inside a poll: the command comes
        // once the wait is over, so that no file is opened twice.
        QTimer::singleShot(50, this, [this, letter] { DoCommand(letter); });
        return;
    }
    StopTimer1();
    const bool acts = std::string("CBFAK").find(letter[0]) != std::string::npos;
    if (acts && m_table) {
        // Any action key of an away player brings him back.
        m_refusalShown = false;
        ComeBack();
    }
    const bool myTurn = m_table && m_table->MyTurn();
    if (acts && letter[0] != 'K' && !myTurn && m_table) NotMyTurn();
    switch (letter[0]) {
    case 'S':
        StartRoundCommand();
        break;
    case 'C':
        if (myTurn) CheckOrCall();
        break;
    case 'B':
        if (myTurn) m_entry->BeginAmount(m_language.LangText[Msg::TypeBet]);
        break;
    case 'F':
        if (myTurn) {
            const CommandOutcome outcome = Fold(m_language);
            if (SendRequest(outcome)) ShowStatus(outcome.status);
        }
        break;
    case 'A':
        if (myTurn) {
            const CommandOutcome outcome = AllIn(LimitsOf(*m_table), m_language);
            if (SendRequest(outcome)) {
                ShowStatus(outcome.status);
            } else if (!outcome.accepted) {
                ShowRefusal(outcome.status);
            }
        }
        break;
    case 'M':
        m_entry->BeginChat(m_language.LangText[Msg::TypeMessage]);
        break;
    case 'N':
        ToggleScrivo();
        break;
    case 'T':
        ToggleToolBox();
        break;
    case 'U':
        ToggleStatusBar();
        break;
    default:
        break;
    }
    StartTimer1();
}

void MainForm::NotMyTurn()
{
    const TableState& s = m_table->State();
    const int current = s.CurrentPlayer;
    const bool named = current > 0 && current != MyNo() && current < static_cast<int>(s.PlayerNames.size());
    m_entry->ShowStatus(named ? m_language.FormatText(Msg::NotYourTurnWaiting, s.PlayerNames[current])
                              : m_language.LangText[Msg::NotYourTurn]);
    PollSoon();
}

void MainForm::ShowRefusal(const std::string& text)
{
    if (text.empty()) return;
    m_refusalShown = false;
    ShowStatus(text);
    m_refusalShown = true;
    m_log->ShowLocalLine("s" + text);
}

void MainForm::FillBetSize(int size)
{
    if (!m_table || !m_table->MyTurn() || m_entry->ChatOpen()) return;
    const Currency amount = SuggestedBet(LimitsOf(*m_table), static_cast<BetSize>(size));
    if (amount <= Currency()) return;
    if (!m_entry->AmountOpen()) m_entry->BeginAmount(m_language.LangText[Msg::TypeBet]);
    m_entry->SetAmount(amount.ToString());
}

void MainForm::CheckOrCall()
{
    const CommandOutcome outcome = scrivo::CheckOrCall(LimitsOf(*m_table), m_language);
    if (!outcome.accepted) {
        ShowRefusal(outcome.status);
        return;
    }
    ShowStatus(outcome.status);
    SendRequest(outcome);
}

bool MainForm::SendRequest(const CommandOutcome& outcome)
{
    if (!WriteRequest(*m_table, outcome)) return false;
    SetActionsEnabled(false);
    PollSoon();
    return true;
}

void MainForm::EnterAmount()
{
    if (!m_entry->AmountOpen()) return;
    if (FileWaitRunning()) {
        QTimer::singleShot(50, this, &MainForm::EnterAmount);
        return;
    }
    StopTimer1();
    const std::string amount = m_entry->TakeAmount();
    if (m_table) {
        const CommandOutcome outcome = scrivo::EnterAmount(amount, LimitsOf(*m_table), m_language);
        m_refusalShown = false;
        if (!outcome.accepted) {
            ShowRefusal(outcome.status);
            if (outcome.status.empty()) ShowStatus("");
        } else {
            ShowStatus(outcome.status);
            SendRequest(outcome);
        }
    }
    RTB2->setFocus();
    StartTimer1();
}

void MainForm::SendChatLine()
{
    if (!m_entry->ChatOpen()) return;
    if (FileWaitRunning()) {
        QTimer::singleShot(50, this, &MainForm::SendChatLine);
        return;
    }
    StopTimer1();
    const std::string text = m_entry->TakeChat();
    if (!Trim(text).empty() && m_table) {
        const auto& names = m_table->State().PlayerNames;
        const int no = MyNo();
        const std::string me =
            no > 0 && no < static_cast<int>(names.size()) ? names[no] : m_settings.LastPlayer;
        // A protected table signs the line; SendChat reports its own failure.
        if (m_table->IsProtected())
            m_table->SendChat(text);
        else
            ReportFailure("Error Sending player message: ",
                          SendPlayerMessage(m_table->Session().GameFolder,
                                            "m" + m_language.FormatText(Msg::ChatLine, me, text)));
        ShowStatus(m_language.FormatText(Msg::MessageSent));
    } else {
        ShowStatus("");
    }
    RTB2->setFocus();
    StartTimer1();
}

void MainForm::CancelEntry()
{
    // The entry has closed its box; nothing was written.
    ShowStatus("");
    RTB2->setFocus();
    StartTimer1();
}

// ---------------------------------------------------------------- leaving

void MainForm::closeEvent(QCloseEvent* event)
{
    if (m_leavePending) {
        event->accept();
        return;
    }
    if (m_left || !m_table) {
        m_log->SetClosing(true);
        Timer1->stop();
        event->accept();
        if (!m_left) {
            m_left = true;
            QMetaObject::invokeMethod(this, &MainForm::tableClosed, Qt::QueuedConnection);
        }
        return;
    }
    // The table goes on while the question is open; only leaving waits.
    const bool hostWithGame = m_table->IsHostTable() && !m_gameEnded;
    std::string question = m_language.AppText[hostWithGame ? Cap::HostLeaveQuestion : Cap::LeaveQuestion];
    if (question.empty())
        question = hostWithGame
                       ? "You are the host: if you leave, the game ends for everyone. Leave the table?"
                       : "Leave the table?";
    if (MsgBox(question, MsgButtons::YesNo, MsgIcon::Question) != MsgAnswer::Yes) {
        event->ignore();
        return;
    }
    if (m_left) { // left meanwhile (the game folder went)
        event->accept();
        return;
    }
    m_log->SetClosing(true);
    event->accept();
    // Closed from inside a tick (while a logged line held the game): the tick
    // finishes its step first, then the player leaves, so that nothing the
    // tick writes afterwards lands on a game that has been left.
    if (m_inTick) {
        m_leavePending = true;
        return;
    }
    LeaveTable();
}

void MainForm::LeaveTable()
{
    Timer1->stop();
    try {
        m_table->Leave();
    } catch (const std::exception& e) {
        MsgBox(std::string("Error leaving the table: ") + e.what());
    }
    m_left = true;
    // Queued, so that whoever ends the program does it from the event loop,
    // not from inside a wait of this window.
    QMetaObject::invokeMethod(this, &MainForm::tableClosed, Qt::QueuedConnection);
}

// ---------------------------------------------------------------- log

void MainForm::SetPauseScale(double factor)
{
    m_log->SetPauseScale(factor);
}

void MainForm::Pause(double milliseconds, bool letEventsRun)
{
    m_log->Pause(milliseconds, letEventsRun);
}

void MainForm::MsgRefresh()
{
    ApplyTextSize();
    m_log->Rebuild(m_table ? m_table->MsgLines() : std::vector<std::string>{});
}

double MainForm::TextScale() const
{
    return m_settings.FontSize > 0 ? std::clamp(static_cast<double>(m_settings.FontSize) / 10.0, 0.8, 3.0)
                                   : 1.0;
}

void MainForm::ApplyTextSize()
{
    ToolBox->SetTextScale(TextScale());
    LayoutForm();
    if (m_table) DrawHandLine(*m_table);
}

void MainForm::LogText(const std::string& text)
{
    m_log->LogText(text);
}

QString MainForm::ShowSave()
{
    QFileDialog dialog(this, CaptionOr(Cap::SaveTextTitle, "Save Text"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({CaptionOr(Cap::RtfFilter, "Rich Text files (*.rtf)"),
                           CaptionOr(Cap::TxtFilter, "Plain Text files (*.txt)")});
    dialog.setDefaultSuffix(QStringLiteral("rtf"));
    dialog.setDirectory(QDir::homePath());
    dialog.selectFile(SuggestedFileName("rtf"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

void MainForm::SaveText()
{
    // The table keeps going while the dialog is open.
    if (m_log->IsEmpty()) {
        MsgBox(FromQ(CaptionOr(Cap::NothingToExport, "Nothing to Export.")), MsgButtons::Ok);
        return;
    }
    const QString path = ShowSave();
    if (!path.isEmpty() && SaveLogTo(FromQ(path)))
        ShowStatus(m_language.LangText[Msg::FileSaved].empty()
                       ? "Saved to " + FromQ(path) + "."
                       : m_language.FormatText(Msg::FileSaved, FromQ(path)));
}

QString MainForm::CaptionOr(CapId id, const char* english) const
{
    return m_language.AppText[id].empty() ? QString::fromUtf8(english) : ToQ(m_language.AppText[id]);
}

QString MainForm::SuggestedFileName(const char* suffix) const
{
    // The game's name and today's date, with nothing a file name cannot hold.
    QString game = m_table ? ToQ(m_table->Session().GameName).trimmed() : QString();
    game.replace(QRegularExpression(QStringLiteral("[^\\w.-]+")), QStringLiteral("_"));
    if (game.isEmpty()) game = QStringLiteral("poker");
    return game + QLatin1Char('_') + QDate::currentDate().toString(Qt::ISODate) + QLatin1Char('.') +
           QLatin1String(suffix);
}

bool MainForm::SaveLogTo(const std::string& path)
{
    return m_log->SaveTo(path);
}

} // namespace scrivo

// The table window's side of the engine: the view it draws, Timer1, the
// commands and leaving the table.
#include "console/MainForm.h"

#include <exception>

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>

#include "console/Looks.h"
#include "console/QtPlatform.h"
#include "engine/Commands.h"
#include "engine/Lobby.h"
#include "engine/FormatCash.h"
#include "engine/Table.h"
#include "engine/TableView.h"
#include "gamefolder/RecordFile.h"
#include "platform/MessageBox.h"
#include "platform/Text.h"
#include "settings/Language.h"
#include "settings/Settings.h"
#include "settings/TextIds.h"

namespace scrivo {

namespace {

void SetUnderline(QLabel* l, bool on)
{
    QFont f = l->font();
    if (f.underline() == on) return;
    f.setUnderline(on);
    l->setFont(f);
}

} // namespace

// The engine's view of this window.
class MainForm::View final : public TableView {
public:
    explicit View(MainForm& form) : m_form(form) {}
    void TableOpening(const Table& table) override { m_form.TableOpening(table); }
    void SeatsLoaded(const Table& table) override { m_form.LoadSeats(table); }
    void ShowPlayerLabel(const std::string& text) override { m_form.PlayerLbl->setText(ToQ(text)); }
    void UpdateTableView(const Table& table) override { m_form.UpdateTableView(table); }
    void ShowStatus(const std::string& text) override { m_form.ShowStatus(text); }
    void SetStartRoundAllowed(bool allowed) override { m_form.SetStartRoundAllowed(allowed); }
    void SetActionsEnabled(bool myTurn) override { m_form.SetActionsEnabled(myTurn); }
    void HostLeft(const Table&, const std::string& text) override
    {
        m_form.Timer1->stop();
        MsgBox(text);
    }
    void LogLines(const std::vector<LogLine>& lines) override
    {
        for (const LogLine& l : lines) {
            if (m_form.m_closing) return;
            m_form.LogText(l.line + "\r\n");
        }
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
    BuildMenus();
    SetDesignCaptions();
    resize(TwipsToPixelsX(9600 - 120), TwipsToPixelsY(7200 - 765) + menuBar()->sizeHint().height());
    SetActionsEnabled(false);
    SetStartRoundAllowed(false);
}

MainForm::~MainForm()
{
    m_closing = true;
    if (Timer1) Timer1->stop();
}

void MainForm::Init(GameSession session)
{
    try {
        Timer1->stop();
        m_closing = false;
        m_left = false;
        m_quiet = false;
        m_table.reset();
        m_table = std::make_unique<Table>(*m_view, std::move(session), m_language);
        // The looks the settings ask for.
        ToolBox->setVisible(!m_settings.ScrivoMode);
        mToolHide->setChecked(!m_settings.ScrivoMode);
        mSbar->setChecked(m_settings.StatusBar);
        mScrivo->setChecked(m_settings.ScrivoMode);
        LayoutForm();
        SetActionsEnabled(false);
        if (!m_table->Init()) return; // reported by the engine
        MsgRefresh();
        StartTimer1();
    } catch (const std::exception& e) {
        MsgBox(std::string("Error Initialising Game: ") + e.what());
    }
}

int MainForm::MyNo() const
{
    return m_table ? m_table->Session().MyPlayerNo : 0;
}

void MainForm::TableOpening(const Table& table)
{
    ApplyLang();
    RTB1->clear();
    RTB2->clear();
    setWindowTitle(ToQ(table.Session().GameName));
}

void MainForm::StartTimer1()
{
    if (m_closing || !m_table) return;
    Timer1->start(m_settings.ServerDelay > 0 ? static_cast<int>(m_settings.ServerDelay) : 1500);
}

void MainForm::StopTimer1()
{
    Timer1->stop();
}

void MainForm::OnTimer1()
{
    if (m_closing || !m_table || m_inTick) return;
    m_inTick = true;
    try {
        m_table->Tick();
    } catch (const std::exception& e) {
        // The engine reports its own errors; this is the last guard so that
        // the window survives whatever slipped through.
        MsgBox(std::string("Error in poll: ") + e.what());
    }
    m_inTick = false;
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

void MainForm::LoadSeats(const Table& table)
{
    const TableState& s = table.State();
    const int count = std::min(s.PlayerCount, 9);
    for (int p = 1; p <= 9; ++p) {
        const int i = p - 1;
        if (p <= count) {
            const std::string name =
                p < static_cast<int>(s.PlayerNames.size()) ? s.PlayerNames[p] : std::string();
            const Currency cash = p < static_cast<int>(s.PlayerCash.size()) ? s.PlayerCash[p] : Currency();
            PlayersLbl[i]->setText(ToQ(name));
            PlayersLbl[i]->show();
            PlayersCash[i]->setText(ToQ(FormatCash(cash)));
            PlayersCash[i]->show();
        } else {
            PlayersLbl[i]->hide();
            PlayersCash[i]->hide();
        }
        BlindsLbl[i]->hide();
        StateLbl[i]->hide();
    }
    // The panel ends just below the last seat.
    if (count >= 1) {
        const double lastTop = PixelsToTwipsY(PlayersLbl[count - 1]->y(), screen());
        ToolBox->resize(ToolBox->width(), TwipsToPixelsY(lastTop + 310));
    }
}

void MainForm::UpdateTableView(const Table& table)
{
    try {
        const TableState& s = table.State();
        const std::vector<PlayerRecord>& seats = table.Seats();
        const int count = std::min({s.PlayerCount, 9, static_cast<int>(seats.size()) - 1});
        for (int p = 1; p <= count; ++p) {
            const PlayerRecord& r = seats[p];
            const int i = p - 1;
            if (p == table.Session().MyPlayerNo) {
                RTB1->clear();
                QTextCursor c(RTB1->document());
                QTextCharFormat f;
                f.setFontPointSize(8);
                f.setForeground(FromBgr(bgr::Black));
                c.setCharFormat(f);
                RTB1->setTextCursor(c);
                if (!Trim(r.Card1).empty()) {
                    f.setFontFamilies({QStringLiteral("Arial")});
                    c.insertText(QStringLiteral(" ") + ToQ(m_language.LangText[Msg::YourCards]) +
                                     QStringLiteral(": "),
                                 f);
                    ShowCardSymbols(Trim(r.Card1), RTB1, 10, false, m_settings.Symbols,
                                    m_settings.ColourText);
                    if (!Trim(r.Card2).empty())
                        ShowCardSymbols(Trim(r.Card2), RTB1, 10, false, m_settings.Symbols,
                                        m_settings.ColourText);
                }
            }
            PlayersCash[i]->setText(ToQ(FormatCash(r.Cash)));
            const char state = r.Action.empty() ? ' ' : r.Action[0];
            switch (state) {
            case 'X':
                SetTextColour(PlayersLbl[i], bgr::DarkRed);
                SetGround(StateLbl[i], bgr::Red);
                StateLbl[i]->setText(QStringLiteral("F"));
                StateLbl[i]->show();
                break;
            case 'A':
                SetGround(StateLbl[i], bgr::LightGreen);
                StateLbl[i]->setText(QStringLiteral("A"));
                StateLbl[i]->show();
                break;
            case 'O':
                SetTextColour(PlayersLbl[i], bgr::GreyOlive);
                SetTextColour(PlayersCash[i], bgr::GreyOlive);
                StateLbl[i]->hide();
                break;
            case 'D':
                SetTextColour(PlayersLbl[i], bgr::GreyOlive);
                PlayersCash[i]->hide();
                StateLbl[i]->hide();
                break;
            default:
                SetTextColour(PlayersLbl[i], bgr::Blue);
                SetTextColour(PlayersCash[i], bgr::Black);
                StateLbl[i]->hide();
                break;
            }
            SetUnderline(PlayersLbl[i], p == s.CurrentPlayer);
            const std::string blind = Trim(r.Blind);
            if (blind.empty()) {
                if (BlindsLbl[i]->isVisible()) BlindsLbl[i]->hide();
            } else {
                BlindsLbl[i]->setText(ToQ(blind));
                BlindsLbl[i]->show();
            }
        }

        const PlayerRecord& board = table.Board();
        if (!Trim(board.Card1).empty()) {
            QTextCursor c(RTB1->document());
            c.movePosition(QTextCursor::End);
            // In the style the hole cards left, back in black.
            QTextCharFormat f = c.charFormat();
            f.setForeground(FromBgr(bgr::Black));
            c.insertText(QStringLiteral("    ") + ToQ(m_language.LangText[Msg::Board]) + QStringLiteral(": "),
                         f);
            for (const std::string* card :
                 {&board.Card1, &board.Card2, &board.Card3, &board.Card4, &board.Card5})
                if (!Trim(*card).empty())
                    ShowCardSymbols(Trim(*card), RTB1, 10, false, m_settings.Symbols, m_settings.ColourText);
        }
        QTextCursor end(RTB1->document());
        end.movePosition(QTextCursor::End);
        RTB1->setTextCursor(end);

        CashLbl->setText(ToQ(FormatCash(table.Session().MyCash)));
        PotLbl->setText(ToQ(FormatCash(s.Pot)));

        // The status line and the action controls follow from the engine.
        if (!EnterBox->isVisible() && !EnterMsgBox->isVisible()) RTB2->setFocus();
    } catch (const std::exception&) {
        MsgBox("Error updating status.");
    }
}

void MainForm::SetActionsEnabled(bool myTurn)
{
    M_Button->setEnabled(true);
    for (QPushButton* b : {C_Button, B_Button, F_Button})
        b->setEnabled(myTurn);
    for (QAction* a : {mChkCall, mFold, mBet, mAllIn})
        a->setEnabled(myTurn);
}

void MainForm::SetStartRoundAllowed(bool allowed)
{
    StartRoundBtn->setVisible(allowed);
    mStartRound->setEnabled(allowed);
}

// ---------------------------------------------------------------- commands

void MainForm::ShowStatus(const std::string& text)
{
    if (EnterMsgBox->isVisible()) return;
    StatusMsg->setText(QStringLiteral(" ") + ToQ(text));
    if (!EnterBox->isVisible()) RTB2->setFocus();
}

void MainForm::StartRoundCommand()
{
    if (m_table && m_table->CanStartRound()) m_table->StartRound();
}

void MainForm::DoCommand(const std::string& letter)
{
    if (EnterBox->isVisible() || EnterMsgBox->isVisible() || letter.empty()) return;
    StopTimer1();
    const bool myTurn = m_table && m_table->MyTurn();
    switch (letter[0]) {
    case 'S':
        StartRoundCommand();
        break;
    case 'C':
        if (myTurn) CheckOrCall();
        break;
    case 'B':
        if (myTurn) {
            ShowStatus(m_language.LangText[Msg::TypeBet]);
            // The box covers the status line: let it carry the prompt itself.
            EnterBox->setPlaceholderText(ToQ(m_language.LangText[Msg::TypeBet]));
            EnterBox->clear();
            EnterBox->show();
            EnterBox->setFocus();
        }
        break;
    case 'F':
        if (myTurn) {
            const CommandOutcome outcome = Fold(m_language);
            if (WriteRequest(*m_table, outcome)) ShowStatus(outcome.status);
        }
        break;
    case 'A':
        if (myTurn) {
            const CommandOutcome outcome = AllIn(LimitsOf(*m_table), m_language);
            if (WriteRequest(*m_table, outcome)) ShowStatus(outcome.status);
        }
        break;
    case 'M':
        ShowStatus(m_language.LangText[Msg::TypeMessage]);
        EnterMsgBox->setPlaceholderText(ToQ(m_language.LangText[Msg::TypeMessage]));
        EnterMsgBox->clear();
        EnterMsgBox->show();
        EnterMsgBox->setFocus();
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

void MainForm::CheckOrCall()
{
    const CommandOutcome outcome = scrivo::CheckOrCall(LimitsOf(*m_table), m_language);
    ShowStatus(outcome.status);
    if (outcome.accepted) WriteRequest(*m_table, outcome);
}

void MainForm::EnterAmount()
{
    if (!EnterBox->isVisible()) return;
    StopTimer1();
    if (m_table) {
        const CommandOutcome outcome =
            scrivo::EnterAmount(FromQ(EnterBox->text()), LimitsOf(*m_table), m_language);
        ShowStatus(outcome.status);
        if (outcome.accepted) WriteRequest(*m_table, outcome);
    }
    EnterBox->clear();
    EnterBox->hide();
    RTB2->setFocus();
    StartTimer1();
}

void MainForm::SendChatLine()
{
    if (!EnterMsgBox->isVisible()) return;
    StopTimer1();
    const std::string text = FromQ(EnterMsgBox->text());
    EnterMsgBox->hide();
    EnterMsgBox->clear();
    if (!Trim(text).empty() && m_table) {
        const auto& names = m_table->State().PlayerNames;
        const int no = MyNo();
        const std::string me =
            no > 0 && no < static_cast<int>(names.size()) ? names[no] : m_settings.LastPlayer;
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
    // Escape gives up the amount or the chat line; nothing is written.
    EnterBox->clear();
    EnterBox->hide();
    EnterMsgBox->clear();
    EnterMsgBox->hide();
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
        m_closing = true;
        Timer1->stop();
        event->accept();
        if (!m_left) {
            m_left = true;
            QMetaObject::invokeMethod(this, &MainForm::tableClosed, Qt::QueuedConnection);
        }
        return;
    }
    StopTimer1();
    std::string question = m_language.AppText[Cap::LeaveQuestion];
    if (question.empty()) question = "Leave the table?";
    if (MsgBox(question, MsgButtons::YesNo, MsgIcon::Question) != MsgAnswer::Yes) {
        event->ignore();
        StartTimer1();
        return;
    }
    m_closing = true;
    if (m_pauseLoop) m_pauseLoop->quit();
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

} // namespace scrivo

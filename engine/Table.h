#pragma once

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/Commands.h"
#include "engine/HandJournal.h"
#include "engine/hand/HandMachine.h"
#include "gamefolder/GameSession.h"
#include "gamefolder/HostLease.h"
#include "gamefolder/RecordFile.h"
#include "gamefolder/Records.h"
#include "privacy/Exchange.h"
#include "engine/StrongBot.h"
#include "platform/Clock.h"
#include "platform/Currency.h"
#include "platform/Random.h"
#include "platform/FileOps.h"
#include "settings/TextIds.h"

namespace scrivo::privacy {
struct HandExchange;
}

namespace scrivo {

class Language;
class TableView;
struct LogLine;

// Stage values of a table.
inline constexpr long StageWaiting = -1; // waiting for Start Round
inline constexpr long StagePreFlop = 0;
inline constexpr long StageFlop = 1;
inline constexpr long StageTurn = 2;
inline constexpr long StageRiver = 3;
inline constexpr long StageShowdown = 4;
inline constexpr long StageGameOver = 9;

// Marks that HandStake carries instead of an amount. A player is active
// (can still bet) above StakeFolded, in the hand when active or all in.
inline constexpr Currency StakeFolded = Currency::FromWhole(-1);
inline constexpr Currency StakeAllIn = Currency::FromWhole(-2);
inline constexpr Currency StakeOut = Currency::FromWhole(-3);

// Failed ticks before the table gives up on its game folder. Failures are
// forgotten only after SoundTicksToForget good ticks in a row, so that damage
// the table reads only now and then (one record, once a betting round) ends
// in the stop too, instead of a report each time it is read.
inline constexpr int FailedTicksToStop = 5;
inline constexpr int SoundTicksToForget = 40;
// Polls in a row that may take gam.spk as unchanged from a stat alone; the
// next one reads it whatever the stat says, in case the server keeps
// coarse modification times.
inline constexpr int MaxQuietTicks = 2;
// Turns in a row a player may let run out before he counts as away, and
// how long the host then waits on his turn before playing it for him: long
// enough for his window to show the turn and for a key to reach the host.
inline constexpr int TimeoutsToAway = 2;
inline constexpr int AwayTurnSeconds = 5;

// The engine state of one table. Every client keeps its own copy; only the
// host's copy drives the game. Arrays indexed by player number have
// PlayerCount + 1 entries (entry 0 unused).
struct TableState {
    int PlayerCount = 0;
    long HandNo = 1;
    long Stage = StageWaiting;
    int Dealer = 1;
    int CurrentPlayer = 0;
    bool MyTurn = false;

    // Copies of the game record, refreshed every tick.
    Currency Pot;
    Currency MinBet;
    Currency LastRaise;
    // Taken when the table opens.
    Currency SmallBlind;
    Currency BigBlind;
    std::string CurrencySymbol;

    std::vector<std::string> PlayerNames;
    std::vector<Currency> PlayerCash;
    std::vector<Currency> HandStake;

    int BotTicks = 0;      // ticks spent on a bot's turn
    GameStatus LastStatus; // status seen at the end of the previous tick
    bool Closing = false;

    // Own seat as last drawn, and whether the fourth board card is on show.
    Currency MyBet;
    bool BigBet = false;
};

// Counters for tools and benchmarks.
struct TableCounters {
    long long ticks = 0;
    long long actionsProcessed = 0; // requests the host applied
    long long handsEnded = 0;
    long long recordOpens = 0; // opens of gam.spk, usr.spk, msg.spk by the engine
    long long failedTicks = 0;
    long long handsChecked = 0; // client: hands of the journal replayed
    long long handsFailed = 0;  // of them, hands that did not add up
    // Protected tables.
    long long handsVoided = 0;     // host: hands called off for a stalled or falsified deal
    long long cheatsNamed = 0;     // participants named by the check of a hand
    long long unsignedIgnored = 0; // host: requests in a seat that its player did not sign
    // Host: deals from Start Round to the first turn, and reveals of board
    // and shown cards from the request that called for them to its effects.
    long long deals = 0;
    double dealSeconds = 0;
    long long reveals = 0;
    double revealSeconds = 0;
};

// The table engine of one client, at the game of its session. It reads and
// writes only that game folder and its own session (the engine keeps
// BotCount and MyCash there up to date), so several tables can run in one
// process. Reports errors with their fixed prefix through MsgBox and goes
// on. All calls come from one thread; Tick is not re-entrant (a nested call
// returns at once).
class Table {
public:
    Table(TableView& view, GameSession session, const Language& language);
    ~Table();
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    // Opens the table for the session's game. False when it failed
    // (reported as "Error Initialising Game: ").
    bool Init();
    // One poll of the game folder: read the game record, pick up joined
    // players, collect new message lines, let the host act, redraw on a
    // status change, play a bot. Errors are caught and reported.
    void Tick();
    // Host only, while Stage is StageWaiting; false when refused.
    bool StartRound();
    bool CanStartRound() const;
    // Closing the table: mark this client departed, end or remove the game.
    void Leave();

    const TableState& State() const { return m_state; }
    const TableCounters& Counters() const { return m_counters; }
    TableView& View() { return m_view; }
    const GameSession& Session() const { return m_session; }
    const Language& Texts() const { return m_language; }

    // The player records as last read for the view (index p = player p,
    // index 0 = the board record). Empty on a host whose view draws no seats.
    const std::vector<PlayerRecord>& Seats() const { return m_seats; }
    const PlayerRecord& Board() const;

    // Every message line of the game: index 0 the local welcome line, index
    // r the text of record r of msg.spk. Windows rebuild their log from it.
    const std::vector<std::string>& MsgLines() const { return m_msgLines; }
    long LastMsgNo() const { return m_lastMsgNo; }

    // The own player's turn: set when the status names this client's player,
    // cleared when a request is written.
    bool MyTurn() const { return m_state.MyTurn; }
    void ClearMyTurn()
    {
        m_state.MyTurn = false;
        m_turnShown = false;
    }
    // A request that could not be written: the turn stays with this client.
    void RestoreMyTurn() { m_state.MyTurn = true; }
    // A request written by command entry: clears the turn and remembers it
    // so that a refused or missed turn can be given back. action is what it
    // leaves behind in the betting round (nothing for a fold).
    void RequestWritten(const RoundAction& action = {});
    // This client's last action in the current betting round.
    const RoundAction& OwnRoundAction() const { return m_ownAction; }

    // What command entry may ask for now: on the host from its hand, on a
    // client from the records it last read.
    BetLimits OwnLimits() const;
    // Host: the hand as the rules machine keeps it.
    const HandState& Hand() const { return m_hand; }

    std::string FormatCash(Currency amount) const;
    bool IsHostTable() const;
    // A client found the host's process gone; the table then has left.
    bool HostGone() const { return m_hostGone; }
    // This client took over the table of a host that had gone.
    bool TookOver() const { return m_tookOver; }
    // The table gave up: its folder is gone, stayed out of reach too long,
    // or its records stayed damaged. Nothing more will happen at it.
    bool Stopped() const { return m_stopped; }
    bool FolderGone() const { return m_folderGone; }
    // The shared folder is out of reach at the moment.
    bool ShareAway() const { return m_outage; }

    // Whether the player's turns are played for him because he let them
    // run out; every client follows it from the away and back lines.
    bool IsAway(int player) const;
    // The own player is back: his turns are his again. Writes the back line
    // that every client and the host read; false when he was not away or
    // the line could not be written (reported).
    bool ComeBack();

    // Host: whole seconds the current player has left for this turn; -1
    // without a turn time limit or outside a turn.
    int TurnSecondsLeft() const;

    // Headless tools on the host: answers the host's own turn as a bot of
    // the seat's level would, without chat or pacing. True when a request
    // was written.
    bool PlayOwnSeat();
    // Headless tools on the host: the seat decides by `player` instead of
    // the bot of its level. It is shown what the seat's bot is shown, which
    // is what a player at the table sees; its request is held to the rules
    // like any bot's. An empty function gives the seat back to its level.
    using SeatPlayer = std::function<std::string(const BotSituation&, Random&)>;
    void SetSeatPlayer(int seat, SeatPlayer player);
    // What the host has seen of each seat's play (by seat number), which the
    // strong bots read. A new game of the same players may start from it.
    const std::vector<SeatHistory>& SeatHistories() const { return m_seatHistory; }
    void SetSeatHistories(std::vector<SeatHistory> histories) { m_seatHistory = std::move(histories); }
    // Protected tables: the table signs what its player asks (written before
    // the request in the seat's record) and says; false when it could not
    // be written (reported). Without protection a request needs no
    // signature and a chat line goes to the message file instead.
    bool SignRequest(const std::string& request);
    // Leaving during a protected hand: the own key of the hand goes out, so
    // that the others can take its layer off the cards still to come.
    void PublishLeavingKey();
    bool SendChat(const std::string& text);
    bool IsProtected() const { return m_protection != nullptr; }
    // The own hole cards of each hand of a protected table, as the card
    // lines of an open table would carry them.
    std::vector<std::string> OwnCardLines() const;
    // A deal waits for somebody to take his part: polls come faster
    // meanwhile, every ExchangePoll at most.
    bool ExchangePending() const;
    static constexpr std::chrono::milliseconds ExchangePoll{25};
    std::chrono::milliseconds PollDelay(std::chrono::milliseconds normal) const
    {
        return ExchangePending() ? std::min(normal, ExchangePoll) : normal;
    }

    // Host only, between hands: every seat still at the table, and every
    // seat that went out, starts the next hand with `cash`.
    bool ResetStacks(Currency cash);

private:
    // Tests stage positions through it (testsupport).
    friend class TableTestAccess;

    // Host routines. They work on the game folder's records like the tick does.
    void StartHand();
    void PrepareNextHand();
    void EndHand();
    void ProcessAction();
    // Runs an event through the hand's rules and stores what follows: the
    // seats' records, the lines to send and the next status. Nothing is
    // stored for a refused event; its fault is returned.
    RequestFault ApplyHandEvent(const HandEvent& event);
    void StoreEffects(const std::vector<HandEffect>& effects);
    // The engine state the views and tools read, from the hand.
    void SyncFromHand();
    // A request of the player whose turn it is that the rules refused: the
    // request is cleared and the player told why, a few times a turn at most.
    void RefuseRequest(int player, RequestFault fault);
    // The pack for the next hand: shuffled with the table's own generator,
    // the session's given cards on top.
    std::vector<clsCard> NewPack();
    // What the player may do now, as the rules see it.
    BetLimits LimitsFor(int player) const;
    // Host: a player whose turn time ran out checks when nothing is to be
    // called, else folds; one away does so as soon as he has seen his turn.
    void CheckTurnTime(GameStatus statusAtTickStart);
    // The next seat after `from` still in the game (not out, not left).
    int NextSeatInGame(int from) const;
    int CountActive() const;
    void BotStep(GameStatus status);
    void BotDecide();
    // The host's request handling, and what it shows of the player who
    // acted kept for the Strong bots.
    void ProcessAndNoteAction();
    // A bot's request; should the rules refuse it after all, the bot checks
    // or calls, else folds, in the same tick, so that a bot never holds up
    // the table.
    void TakeBotRequest();
    BotLevel LevelOf(int seat) const;
    BotSituation SituationOf(int seat) const;

    // Message n of the table's language with its arguments filled in.
    std::string FormatText(MsgId n, std::string_view arg1 = {}, std::string_view arg2 = {},
                           std::string_view arg3 = {}) const;

    void TickBody();
    // The record files of the current step: each is opened at most once and
    // held until the step ends or something may wait on the user. Files are
    // taken in the order gam.spk, usr.spk, msg.spk, so that two clients never
    // each hold one the other waits for.
    enum class Slot { Game = 0, Players = 1, Messages = 2, Journal = 3, Exchange = 4 };
    RecordFile& TickFile(Slot slot);
    // Stores what is pending, then closes every file (closed on failure too).
    void ReleaseFiles();
    void CloseFiles();
    // After an open the user cancelled: the files close and unsent lines go.
    void DropHeld();
    // The view, with the files released first: a view call may pause or ask.
    TableView& Shown();
    // A player record as this step sees it (its own pending write first),
    // and one to store with the others when the step's files are released.
    PlayerRecord GetSeat(int player);
    void PutSeat(int player, const PlayerRecord& record);
    // Seats, then messages, then the game record: a client that sees the new
    // status finds everything that led to it. What fails stays pending and
    // is stored by the next tick before it reads anything, never redone.
    void StoreWrites();
    void StoreSeats();
    void StoreGame();
    bool WritesPending() const;
    // A failed tick; after a few in a row the table stops.
    void TickFailed(const std::string& description);
    GameRecord ReadGame();
    // The game record for the tick: the copy last read or written when a
    // stat shows the file unchanged since, else a read.
    GameRecord PollGame();
    void WriteStatus(GameStatus status, bool resetLastRaise);
    void WriteTurn(int player, bool roundEnded);
    void CheckRearm();
    long MessageCountOnDisk() const;
    void LoadSeats();
    void UpdateTableView();
    void FinishViewUpdate();
    // Host: the hand waits for the host's own seat.
    bool HostOwnTurn() const;
    void GetMsgs();
    // Notes a line of msg.spk as shown; false when it was shown before the
    // file was last cut short.
    bool NoteSeen(std::int64_t record, const std::string& line);
    void ShowOwnLines();
    void ShowFetchedLines();
    void NoteLine(const LogLine& line);
    void Send(const std::string& line);
    void FlushMessages();
    // Host: the journal records of this step go out in one append, after
    // the lines and before the status.
    void Journal(const JournalRecord& record);
    void JournalHandStart(const StartEvent& start);
    void FlushJournal();
    // Client: new journal records are replayed through the rules between
    // hands; a hand that does not add up gets a line in the log.
    void CheckJournal();
    void ReportError(const std::string& prefix, const std::string& description);
    void EnsureSlots();
    void ResetSeatsAfterGame();
    void ReturnStakes();
    // Client: every second, whether the host still holds its lease; when
    // it has lapsed, the table is taken over.
    void WatchHost(GameStatus status);
    void TakeOver();
    // The new host's state from the records: every stake of the unfinished
    // hand returned, the next hand to be started.
    void ResumeAsHost(int formerHost);
    // Host: the lease is checked before anything is written; a host that
    // finds a later one goes on as a player.
    bool ConfirmLease(bool beat);
    void StepDown();
    // The host's game record when the one in the file is damaged: the copy
    // it last wrote, put back.
    GameRecord RepairGame(RecordFile& file, const std::string& why);
    // A share that fails: waited out, ended after the session's limit.
    void OutageTick(const std::string& description);
    void OutageOver();
    bool FolderGoneForGood() const;
    void Stop();
    // Host: players whose seat is claimed again are back from the next hand.
    void WelcomeBack();
    void MarkGone(int player);
    // Host: a human seat with nobody claiming it is away.
    void NoteAbsentSeat(int player);
    std::chrono::milliseconds LeaseTime() const;

    // Protected tables (engine/TableProtected.cpp).
    struct Protection;
    void OpenProtection();
    void ExchangeTick();
    void ReadExchange();
    void FlushExchange();
    void Publish(privacy::ExchangeRecord record);
    bool AppendSigned(privacy::ExchangeRecord record);
    std::optional<std::string> OwnCardsLine();
    // Notes the last of lines; at a protected table the own cards follow
    // the line that deals them.
    void NoteShownLine(std::vector<LogLine>& lines);
    // Lines and, where recordNo is LocalLineNo, local lines, in their order.
    static constexpr long LocalLineNo = -1;
    void ShowLines(const std::vector<LogLine>& lines);
    void OverlayOwnCards();
    void ShowChat();
    // Lines of msg.spk are shown at a protected table only once their writer
    // vouched for them in the exchange: the host for any line, a player for
    // his own joining, coming back and leaving.
    void HoldLine(std::int64_t record, const std::string& line);
    void ReleaseVouchedLines();
    // Client: lines this table stored itself, vouched for at once.
    void VouchLines(std::vector<std::pair<std::int64_t, std::string>> lines);
    void AuditHands();
    bool IsBotSeat(int seat) const;
    // Host: the deal of a hand begins (true), or the hand cannot start (false).
    bool ProtectedStart(StartEvent start);
    std::vector<clsCard> PlaceholderPack() const;
    void RefreshPlaceholders();
    bool LearnCards(const std::vector<int>& positions);
    // Host: an event whose effects show cards nobody has uncovered waits
    // for them (true).
    bool ParkForCards(const HandEvent& event);
    bool Parked() const;
    bool ProtectedStartApplied() const;
    void HostExchange();
    bool ProgramEnded(int waiting, const privacy::HandExchange& h);
    // Stakes back and the hand ended; staller (0: a card could not be read)
    // held it up, or his program ended.
    void VoidHand(int staller, bool programEnded = false);
    void EndExchange(bool voided = false);
    // Host: a record of the host's (deal, reveal, end) for the current hand.
    void HostRecord(privacy::ExchangeKind kind, int step, const std::string& text);
    std::optional<std::string> SignedRequest(int seat);
    void MarkTurn();
    bool SignedLeave(int seat) const;
    bool HeldUpADeal(int seat) const;
    void BackFromStall(int seat);
    bool ExchangeOutPending() const;
    std::int64_t ProtectedHandId() const;
    void BotChat(int seat, const std::string& text);
    // A new host ends the exchange of the hand its predecessor left.
    void TakeOverExchange();
    void FollowHost(int host);

    TableView& m_view;
    std::array<RecordFile, 5> m_files;
    std::vector<std::pair<int, PlayerRecord>> m_seatWrites;
    bool m_statusPending = false;
    GameStatus m_statusWrite;
    bool m_resetRaise = false;
    // Ticks that failed since the last long run of good ones; the first is
    // reported, a run of them stops the table.
    int m_failedTicks = 0;
    int m_soundTicks = 0;
    // gam.spk as this table last read or wrote it, and its attributes then.
    bool m_gameKnown = false;
    GameRecord m_lastGame;
    FileStat m_gameStat;
    int m_quietTicks = 0;
    // A bot of this host has written its request and the host has not read
    // it yet: until then there is nothing to read in a bot's record.
    bool m_botRequested = false;
    // Deals a strong bot simulates per decision.
    int m_botTrials = StrongTrials;
    std::vector<SeatPlayer> m_seatPlayers; // by seat number
    GameSession m_session;
    const Language& m_language;
    TableState m_state;
    TableCounters m_counters;
    // Host: the hand being played, the table's own random generator (the
    // shuffles and the bots draw from it alone), and the notices of refused
    // requests sent in the current turn.
    HandState m_hand;
    Random m_random;
    int m_refusals = 0;
    std::vector<PlayerRecord> m_seats;
    std::vector<std::string> m_msgLines;
    // Record number and hash of each line shown, in record order, and those
    // of before msg.spk was last cut short: a line still there is not new.
    std::vector<std::pair<std::int64_t, std::size_t>> m_seenLines;
    std::vector<std::pair<std::int64_t, std::size_t>> m_priorLines;
    long m_lastMsgNo = 0;
    std::vector<std::string> m_outbox;
    // Lines read in this tick, for the view once the tick's step is done.
    std::vector<LogLine> m_fetched;
    bool m_inTick = false;
    // A request written by this client that the host has not answered yet,
    // and the number of message records there were when it was written: a
    // private line for this client after that mark means a new turn (or a
    // refused request) even when the status text looks unchanged.
    bool m_requestPending = false;
    long m_requestMark = 0;
    bool m_rearmCandidate = false;
    // Card lines for this client arrived since the view was last drawn.
    bool m_boardDealt = false;
    // The view was last drawn with the own turn.
    bool m_turnShown = false;
    // Start Round was accepted and the hand has not started yet.
    bool m_roundStarting = false;
    // Bets placed since the game record was last written: the record's Pot,
    // MinBet and LastRaise follow at the next write.
    bool m_gamePending = false;
    // Lines this host appended right after the last line it had read: they
    // go to the log at the next poll without reading them back.
    std::vector<std::string> m_ownLines;
    // What each player has put in during this hand (the records' Bet), kept
    // by the host so that a view without seats needs no read.
    std::vector<Currency> m_betThisHand;
    // What each seat did in this hand and in the hands before, by player
    // number, as the host saw it; read by the Strong bots.
    std::vector<HandActions> m_handActions;
    std::vector<SeatHistory> m_seatHistory;
    std::vector<bool> m_playedThisHand;
    long m_notedHand = 0;
    // This client's own last action in the betting round.
    RoundAction m_ownAction;
    // Host: when the current turn began, turns in a row each player let run
    // out, who is away, and whether the host is acting for a player.
    Clock::TimePoint m_turnStarted{};
    std::vector<int> m_timeouts;
    std::vector<bool> m_away;
    std::vector<bool> m_awayGone; // away because the player's program had ended
    // Every client: who is away, from the away and back lines read.
    std::vector<bool> m_awayShown;
    // The current event is a time-out, and of a player who is away.
    bool m_forcing = false;
    bool m_forcingAway = false;
    int m_shownSecondsLeft = -1;
    // Host: journal records not yet stored, and whether the table's record
    // went out. Client: where the next read of the journal starts, and the
    // replay of the hands read so far.
    std::string m_journalOut;
    bool m_journalTableWritten = false;
    std::int64_t m_journalNext = 0;
    bool m_handEndPending = false; // the status says the hand is over; EndHand has not run yet
    long m_journalHand = 0;        // the highest number of a hand there that adds up
    JournalWatch m_journalWatch;
    HostLease m_lease;
    SeatClaim m_seatClaim;
    Clock::TimePoint m_hostChecked{};
    Clock::TimePoint m_beatDone{};
    // Client: the lease as last seen, and when it last showed the host alive.
    std::optional<LeaseRecord> m_leaseSeen;
    Clock::TimePoint m_leaseMoved{};
    bool m_hostGone = false;
    bool m_tookOver = false;
    bool m_stopped = false;
    bool m_folderGone = false;
    bool m_repairReported = false;
    std::string m_repairNote;
    // The share is out of reach: since when, when to try again, how long to
    // wait after that.
    bool m_outage = false;
    Clock::TimePoint m_outageStart{};
    Clock::TimePoint m_nextTry{};
    std::chrono::milliseconds m_retryWait{0};
    int m_outageShown = -1;
    int m_retries = 0;
    // The device of the server directory when the table opened: a share that
    // drops off leaves its bare mount point, on another device.
    std::uint64_t m_serverDevice = 0;
    // Hands dealt that this table saw, and when a seat's claim was last looked at.
    long m_handsSeen = 0;
    Clock::TimePoint m_seatLooked{};
    Clock::TimePoint m_seatConfirmed{};
    std::vector<bool> m_seatSeenClaimed;
    std::unique_ptr<Protection> m_protection;
    // Host: a request of the host's own making (a bot's, or its own seat's
    // in a tool) is being taken, which needs no signature.
    bool m_takingOwnRequest = false;
};

} // namespace scrivo

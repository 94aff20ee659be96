#include "engine/Table.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <functional>

#include "engine/FormatCash.h"
#include "engine/TableInternal.h"
#include "engine/TableProtection.h"
#include "engine/TableView.h"
#include "engine/Lobby.h"
#include "platform/FileOps.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "settings/Language.h"
#include "settings/TextIds.h"

namespace scrivo {

namespace {

// Caption 19 labels the browser's bot count; the host's own name on the table
// carries a caption of its own, so the tool box never reads "Ann Bots:".

// The folder a game folder sits in: the server directory.
std::string ServerOf(const std::string& folder)
{
    const std::size_t cut = folder.find_last_of(PathSeparator);
    return cut == std::string::npos || cut == 0 ? std::string(1, PathSeparator) : folder.substr(0, cut);
}

} // namespace

Table::Table(TableView& view, GameSession session, const Language& language)
    : m_view(view), m_session(std::move(session)), m_language(language),
      // Every table deals from a sequence of its own. A program that fixed its
      // generator's seed (a test, a tool asked to repeat a game) passes it on.
      m_random(ProgramRandom().Fixed() ? ProgramRandom().NextU64() : EntropySeed())
{
}

Table::~Table() = default;

bool Table::IsHostTable() const
{
    return m_session.IsHost;
}

std::string Table::FormatText(MsgId n, std::string_view arg1, std::string_view arg2,
                              std::string_view arg3) const
{
    return m_language.FormatText(n, arg1, arg2, arg3);
}

std::string Table::FormatCash(Currency amount) const
{
    return scrivo::FormatCash(amount, m_state.CurrencySymbol);
}

const PlayerRecord& Table::Board() const
{
    static const PlayerRecord none;
    return m_seats.empty() ? none : m_seats[0];
}

void Table::ReportError(const std::string& prefix, const std::string& description)
{
    // Nobody waits for our files while the message is on show; what is
    // pending stays so.
    CloseFiles();
    MsgBox(prefix + description, MsgButtons::Ok, MsgIcon::Critical);
}

// ---------------------------------------------------------------- files

RecordFile& Table::TickFile(Slot slot)
{
    const auto i = static_cast<std::size_t>(slot);
    if (m_files[i].IsOpen()) return m_files[i];
    static constexpr const char* names[] = {GameFileName, PlayerFileName, MessageFileName, JournalFileName,
                                            ExchangeFileName};
    static constexpr int lengths[] = {GameRecordLength, PlayerRecordLength, MessageRecordLength,
                                      JournalRecordLength, ExchangeFileRecordLength};
    const std::string path = JoinPath(m_session.GameFolder, names[i]);
    ++m_counters.recordOpens;
    bool laterHeld = false;
    for (std::size_t later = i + 1; later < m_files.size(); ++later)
        laterHeld = laterHeld || m_files[later].IsOpen();
    if (laterHeld) {
        // Taken at once when free. Never waited for while a file later in
        // the order is held: those are let go first (what waits for them is
        // stored), so that two clients never each hold what the other waits for.
        LockedFile file;
        if (file.TryOpen(path) == LockedFile::OpenStatus::Ok) {
            m_files[i] = RecordFile(std::move(file), lengths[i]);
            return m_files[i];
        }
        for (std::size_t later = m_files.size() - 1; later > i; --later) {
            if (!m_files[later].IsOpen()) continue;
            if (later == static_cast<std::size_t>(Slot::Players)) StoreSeats();
            m_files[later].Close();
        }
    }
    m_files[i] = Need(OpenRecordFile(path, lengths[i]));
    return m_files[i];
}

void Table::CloseFiles()
{
    for (RecordFile& file : m_files)
        file.Close();
    m_lease.Unlock();
}

void Table::DropHeld()
{
    CloseFiles();
    m_outbox.clear();
}

void Table::ReleaseFiles()
{
    try {
        StoreWrites();
    } catch (...) {
        CloseFiles();
        throw;
    }
    CloseFiles();
}

TableView& Table::Shown()
{
    ReleaseFiles();
    return m_view;
}

PlayerRecord Table::GetSeat(int player)
{
    for (const auto& [p, record] : m_seatWrites)
        if (p == player) return record;
    if (player < BoardPlayerNo || player > m_state.PlayerCount)
        throw TableIoError("Player " + std::to_string(player) + " is not seated");
    PlayerRecord r = Need(TickFile(Slot::Players).ReadPlayer(player));
    // A request the host cannot read is refused by the betting, not taken
    // for damage; everything else must be in range before it is used.
    PlayerRecord checked = r;
    checked.Action = "-";
    if (auto bad = CheckPlayerRecord(checked, player)) throw TableIoError("usr.spk: " + *bad);
    return r;
}

void Table::PutSeat(int player, const PlayerRecord& record)
{
    for (auto& [p, pending] : m_seatWrites)
        if (p == player) {
            pending = record;
            return;
        }
    m_seatWrites.emplace_back(player, record);
}

bool Table::WritesPending() const
{
    return !m_seatWrites.empty() || !m_outbox.empty() || !m_journalOut.empty() || m_statusPending ||
           m_gamePending || ExchangeOutPending();
}

void Table::StoreSeats()
{
    if (m_seatWrites.empty()) return;
    RecordFile& file = TickFile(Slot::Players);
    // One by one: what was stored is never stored again.
    while (!m_seatWrites.empty()) {
        Need(file.WritePlayer(m_seatWrites.front().first, m_seatWrites.front().second));
        m_seatWrites.erase(m_seatWrites.begin());
    }
}

void Table::StoreGame()
{
    if (!m_gamePending && !m_statusPending) return;
    RecordFile& file = TickFile(Slot::Game);
    GameRecord g = Need(file.ReadGame());
    if (m_gameKnown && (CheckGameRecord(g) || g.PlayerCount < m_state.PlayerCount)) g = m_lastGame;
    if (m_gamePending) {
        g.Pot = m_state.Pot;
        g.MinBet = m_state.MinBet;
        g.LastRaise = m_state.LastRaise;
    }
    if (m_statusPending) {
        g.Status = m_statusWrite;
        if (m_resetRaise) g.LastRaise = Currency();
    }
    Need(file.WriteGame(g));
    // What we wrote under the lock is known as surely as what a read gives:
    // the polls that may trust a stat count from here.
    m_lastGame = g;
    m_gameStat = Need(file.Stat());
    m_gameKnown = true;
    m_quietTicks = 0;
    m_gamePending = false;
    m_statusPending = false;
    m_resetRaise = false;
}

void Table::StoreWrites()
{
    // Nothing is written as host before the lease says this table still is
    // the host; its record stays locked until the files are let go, so no
    // later host can come between the check and the writes.
    if (IsHostTable() && WritesPending() && !ConfirmLease(false)) return;
    StoreSeats();
    FlushMessages();
    FlushJournal();
    FlushExchange();
    StoreGame();
}

GameRecord Table::ReadGame()
{
    RecordFile& file = TickFile(Slot::Game);
    GameRecord g = Need(file.ReadGame());
    if (auto bad = CheckGameRecord(g)) {
        if (IsHostTable() && m_gameKnown) return RepairGame(file, *bad);
        throw TableIoError("gam.spk: " + *bad);
    }
    if (IsHostTable() && m_gameKnown && g.PlayerCount < m_state.PlayerCount)
        return RepairGame(file, "PlayerCount " + std::to_string(g.PlayerCount) + " below the players seated");
    m_lastGame = g;
    // Nobody else writes while we hold the lock; after a write of our own the
    // attributes at the open are old, and the next poll reads again.
    m_gameStat = file.OpenedStat();
    m_gameKnown = true;
    return g;
}

// The host alone writes the game record once play has begun (joins come
// only while it waits, and a joiner refuses a damaged record): what it wrote
// last is the game, and what else stands in the file is put right.
GameRecord Table::RepairGame(RecordFile& file, const std::string& why)
{
    if (!ConfirmLease(false)) throw TableIoError("gam.spk: " + why);
    // Reported once the tick has let its files go: a message on show holds
    // no file, and this tick still needs the ones it holds.
    if (!m_repairReported) {
        m_repairReported = true;
        m_repairNote = "gam.spk: " + why + "; the host's copy is written back.";
    }
    GameRecord g = m_lastGame;
    g.PlayerCount = static_cast<std::int16_t>(std::max<int>(g.PlayerCount, m_state.PlayerCount));
    Need(file.WriteGame(g));
    m_lastGame = g;
    m_gameStat = Need(file.Stat());
    m_quietTicks = 0;
    return g;
}

GameRecord Table::PollGame()
{
    if (m_gameKnown && m_quietTicks < MaxQuietTicks && m_gameStat.modifiedNs != 0 &&
        !m_files[static_cast<std::size_t>(Slot::Game)].IsOpen()) {
        FileStat st;
        if (CurrentFileOps().Stat(JoinPath(m_session.GameFolder, GameFileName), st) == 0 &&
            st.device == m_gameStat.device && st.inode == m_gameStat.inode && st.size == m_gameStat.size &&
            st.modifiedNs == m_gameStat.modifiedNs) {
            ++m_quietTicks;
            return m_lastGame;
        }
    }
    m_quietTicks = 0;
    return ReadGame();
}

void Table::Send(const std::string& line)
{
    m_outbox.push_back(line);
}

// Lines are collected during a step and appended in one open, always before
// the status that follows them, so a client that sees a new status finds
// the lines that led to it already in the file. A line leaves the outbox
// once it is stored, so a failure part way never sends one twice.
void Table::FlushMessages()
{
    if (m_outbox.empty()) return;
    RecordFile& file = TickFile(Slot::Messages);
    while (!m_outbox.empty()) {
        const std::string line = m_outbox.front();
        const std::int64_t record = Need(file.AppendMessage(line));
        m_outbox.erase(m_outbox.begin());
        if (m_protection) m_protection->toVouch.emplace_back(record, StoredMessageText(line));
        if (record == m_lastMsgNo + 1) {
            // Exactly what a reader of the record gets back.
            m_ownLines.push_back(StoredMessageText(line));
            m_lastMsgNo = static_cast<long>(record);
            NoteSeen(record, m_ownLines.back());
        }
    }
}

void Table::WriteStatus(GameStatus status, bool resetLastRaise)
{
    if (status.IsTurn()) {
        m_turnStarted = ProgramClock().Now();
        if (m_session.TurnSeconds > 0)
            Send(std::to_string(status.TurnPlayer()) + "s" +
                 FormatText(Msg::TimeLeft, std::to_string(m_session.TurnSeconds)));
    }
    m_statusPending = true;
    m_statusWrite = status;
    if (resetLastRaise) m_resetRaise = true;
}

long Table::MessageCountOnDisk() const
{
    // Asked of the file's server: a cached size would show new lines late.
    FileStat st;
    if (CurrentFileOps().Stat(JoinPath(m_session.GameFolder, MessageFileName), st) != 0) return 0;
    return static_cast<long>(st.size / MessageRecordLength);
}

// ---------------------------------------------------------------- opening

void Table::EnsureSlots()
{
    const std::size_t n = static_cast<std::size_t>(m_state.PlayerCount) + 1;
    if (m_state.PlayerNames.size() < n) m_state.PlayerNames.resize(n);
    if (m_state.PlayerCash.size() < n) m_state.PlayerCash.resize(n);
    if (m_state.HandStake.size() < n) m_state.HandStake.resize(n);
    if (m_betThisHand.size() < n) m_betThisHand.resize(n);
    if (m_timeouts.size() < n) m_timeouts.resize(n);
    if (m_away.size() < n) m_away.resize(n);
}

void Table::LoadSeats()
{
    const int known = static_cast<int>(m_state.HandStake.size()) - 1;
    EnsureSlots();
    RecordFile& file = TickFile(Slot::Players);
    auto records = Need(file.RecordCount());
    GameRecord seated;
    seated.PlayerCount = static_cast<std::int16_t>(m_state.PlayerCount);
    if (auto bad = CheckSeatRecords(seated, records)) throw TableIoError("usr.spk: " + *bad);
    for (int p = 1; p <= m_state.PlayerCount; ++p) {
        const PlayerRecord r = GetSeat(p);
        m_state.PlayerNames[p] = Trim(r.Name);
        if (p <= known) continue;
        // A seat taken while a hand runs is dealt in from the next hand.
        const bool inHand = m_state.Stage >= StagePreFlop && m_state.Stage < StageShowdown;
        m_state.HandStake[p] = inHand ? StakeFolded : Currency();
        m_state.PlayerCash[p] = r.Cash;
    }
    Shown().SeatsLoaded(*this);
}

bool Table::Init()
{
    const auto open = [&] {
        m_state = TableState{};
        m_hostGone = false;
        m_seats.clear();
        m_msgLines.clear();
        m_seenLines.clear();
        m_priorLines.clear();
        m_lastMsgNo = 0;
        m_outbox.clear();
        m_ownLines.clear();
        m_betThisHand.clear();
        m_requestPending = false;
        m_rearmCandidate = false;
        m_boardDealt = false;
        m_roundStarting = false;
        m_gamePending = false;
        m_hand = HandState{};
        m_journalOut.clear();
        m_journalTableWritten = false;
        m_journalNext = 0;
        m_journalWatch = JournalWatch{};
        m_refusals = 0;
        CloseFiles();
        m_seatWrites.clear();
        m_statusPending = false;
        m_resetRaise = false;
        m_failedTicks = 0;
        m_soundTicks = 0;
        m_gameKnown = false;
        m_quietTicks = 0;
        m_botRequested = false;
        m_stopped = m_folderGone = m_outage = m_tookOver = false;
        m_handsSeen = 0;
        m_protection.reset();
        FileStat server;
        if (CurrentFileOps().Stat(ServerOf(m_session.GameFolder), server) == 0)
            m_serverDevice = server.device;
        Shown().TableOpening(*this);

        const GameRecord g = ReadGame();
        m_state.PlayerCount = g.PlayerCount;
        m_state.Dealer = 1;
        m_state.SmallBlind = g.SmallBlind;
        m_state.BigBlind = g.BigBlind;
        m_state.CurrencySymbol = Trim(g.CurrencySymbol);
        m_session.BotCount = g.BotCount;
        LoadSeats();

        const bool me = m_session.MyPlayerNo >= 1 && m_session.MyPlayerNo <= m_state.PlayerCount;
        const std::string ownName = me ? m_state.PlayerNames[m_session.MyPlayerNo] : std::string();
        Shown().ShowPlayerLabel(IsHostTable() ? ownName + " " + m_language.AppText[Cap::HostSuffix]
                                              : ownName);

        std::string welcome = "i" + FormatText(Msg::Welcome, ownName) + "\r\n" +
                              FormatText(Msg::CurrencyNotice, m_state.CurrencySymbol) + "\r" +
                              FormatText(Msg::SeatedPlayers) + ": ";
        for (int p = 1; p <= m_state.PlayerCount; ++p) {
            if (p > 1) welcome += ", ";
            welcome += m_state.PlayerNames[p];
        }
        welcome += ".";
        m_msgLines.push_back(welcome);
        Shown().LogLines({LogLine{0, welcome}});

        // The seat is claimed for as long as this client sits in it; one
        // whose claim is free may be taken back by its player.
        if (me && !m_seatClaim.Take(m_session.GameFolder, m_session.MyPlayerNo))
            throw TableIoError("the seat of " + ownName + " is taken by a player still at the table");
        if (IsHostTable()) {
            const HostLease::Outcome taken = m_lease.Take(m_session.GameFolder, m_session.MyPlayerNo);
            if (taken != HostLease::Outcome::Ok)
                throw TableIoError(taken == HostLease::Outcome::Held ? "the game has a host already"
                                                                     : ErrorDescription(m_lease.Error()));
        }
        if (m_session.Protected) {
            OpenProtection();
            Shown().LocalLine("i" + FormatText(Msg::ProtectedWelcome));
        }
        if (IsHostTable())
            Send("i" + FormatText(Msg::HandHeader, "1") + " " + FormatText(Msg::HostStartsRound));
        else if (m_session.Rejoined)
            Send("p" + FormatText(Msg::PlayerBack, ownName));
        else
            Send("p" + FormatText(Msg::PlayerJoined, ownName));
        FlushMessages();
        Shown().SetStartRoundAllowed(IsHostTable());
        m_hostChecked = m_leaseMoved = m_beatDone = ProgramClock().Now();
        m_leaseSeen.reset();
    };
    return Completes(
        open, [this] { DropHeld(); },
        [this](const std::string& what) {
            m_outbox.clear();
            ReportError("Error Initialising Game: ", what);
        });
}

// ---------------------------------------------------------------- the tick

void Table::Tick()
{
    // A window may run events inside a view call (a pause, a message box);
    // a tick that starts meanwhile must not run the game a second time.
    if (m_inTick || m_state.Closing || m_stopped) return;
    TickGuard guard(m_inTick);
    if (m_outage && ProgramClock().Now() < m_nextTry) {
        OutageTick({});
        return;
    }
    const auto tick = [&] {
        try {
            TickBody();
            ReleaseFiles();
        } catch (const TableOutage& e) {
            CloseFiles();
            OutageTick(e.what());
            return;
        }
        if (m_outage) OutageOver();
        if (!m_repairNote.empty()) ReportError("Error in game tick: ", std::exchange(m_repairNote, {}));
        if (m_failedTicks > 0 && ++m_soundTicks >= SoundTicksToForget) m_failedTicks = 0;
    };
    Completes(
        tick, [this] { DropHeld(); },
        [this](const std::string& what) {
            CloseFiles();
            TickFailed(what);
        });
}

void Table::TickFailed(const std::string& description)
{
    ++m_counters.failedTicks;
    ++m_failedTicks;
    m_soundTicks = 0;
    m_gameKnown = false;
    // One report for a run of failures, not one per poll.
    if (m_failedTicks == 1) ReportError("Error in game tick: ", description);
    if (m_failedTicks < FailedTicksToStop) return;
    ReportError("Error in game tick: ", "the game folder could not be read or written for " +
                                            std::to_string(m_failedTicks) + " polls; the game cannot go on.");
    Stop();
}

// The table gives up. A host ends the game for everybody (every stake of an
// unfinished hand back first) if the folder still takes it; a client leaves.
void Table::Stop()
{
    m_stopped = true;
    if (IsHostTable()) {
        try {
            ReturnStakes();
            WriteStatus(GameStatus::Ended, false);
            ReleaseFiles();
        } catch (...) {
            CloseFiles();
        }
        m_state.Stage = StageGameOver;
        m_state.Closing = true;
        m_lease.Release();
        m_seatClaim.Release();
        m_view.GameEnded(*this);
        return;
    }
    if (m_folderGone) {
        m_state.Closing = true;
        m_seatClaim.Release();
        m_view.GameEnded(*this);
        return;
    }
    Leave();
}

// A game folder missing from a server directory that is there, on the device
// it was on when the table opened, was removed: it is not coming back. A
// server directory out of reach, or one that is now only the bare mount point
// of a share that dropped off (another device), is an outage.
bool Table::FolderGoneForGood() const
{
    FileOps& ops = CurrentFileOps();
    FileStat st;
    if (ops.Lstat(m_session.GameFolder, st) == 0 || errno != ENOENT) return false;
    const std::string server = ServerOf(m_session.GameFolder);
    FileStat dir;
    if (ops.Stat(server, dir) != 0 || !dir.IsDirectory() || dir.device != m_serverDevice) return false;
    std::vector<std::string> names;
    return ops.ListFolder(server, names) == 0;
}

void Table::OutageTick(const std::string& description)
{
    // The view is told directly: what is pending waits for the share, and
    // storing it now would only fail again.
    const Clock::TimePoint now = ProgramClock().Now();
    if (!description.empty()) {
        if (FolderGoneForGood()) {
            m_folderGone = true;
            m_view.ShowStatus(m_language.LangText[Msg::GameFolderGone]);
            Stop();
            return;
        }
        if (!m_outage) {
            m_outage = true;
            m_outageStart = now;
            m_retries = 0;
            m_retryWait = std::chrono::milliseconds(0);
            m_outageShown = -1;
            ++m_counters.failedTicks;
            const std::string line = "i" + m_language.LangText[Msg::ShareAway];
            m_msgLines.push_back(line);
            m_view.LogLines({LogLine{0, line}});
            std::fprintf(stderr, "%s (%s)\n", m_language.LangText[Msg::ShareAway].c_str(),
                         description.c_str());
        } else if (++m_retries >= 5) {
            // A few retries at every poll, then less and less often.
            m_retryWait = std::clamp(m_retryWait * 2,
                                     std::chrono::milliseconds(std::max(100, m_session.PollMilliseconds)),
                                     std::chrono::milliseconds(5000));
        }
        m_nextTry = now + m_retryWait;
    }
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now - m_outageStart).count();
    if (seconds != m_outageShown) {
        m_outageShown = static_cast<int>(seconds);
        m_view.ShowStatus(FormatText(Msg::ShareAwayFor, std::to_string(seconds)));
    }
    if (seconds >= m_session.OutageLimitSeconds) {
        const std::string line = FormatText(Msg::ShareLost, std::to_string(seconds));
        std::fprintf(stderr, "%s\n", line.c_str());
        m_view.ShowStatus(line);
        Stop();
    }
}

void Table::OutageOver()
{
    m_outage = false;
    // The time out of reach is nobody's turn time.
    m_turnStarted += ProgramClock().Now() - m_outageStart;
    m_leaseMoved = m_beatDone = ProgramClock().Now();
    m_shownSecondsLeft = -1;
    Shown().ShowStatus("");
}

void Table::ShowOwnLines()
{
    if (m_ownLines.empty()) return;
    std::vector<std::string> own;
    own.swap(m_ownLines);
    std::vector<LogLine> fresh;
    long recordNo = m_lastMsgNo - static_cast<long>(own.size());
    for (std::string& line : own) {
        m_msgLines.push_back(line);
        fresh.push_back(LogLine{++recordNo, std::move(line)});
        NoteShownLine(fresh);
    }
    ShowLines(fresh);
}

void Table::ShowLines(const std::vector<LogLine>& lines)
{
    std::vector<LogLine> run;
    for (const LogLine& line : lines) {
        if (line.recordNo != LocalLineNo) {
            run.push_back(line);
            continue;
        }
        if (!run.empty()) Shown().LogLines(run);
        run.clear();
        Shown().LocalLine(line.line);
    }
    if (!run.empty()) Shown().LogLines(run);
}

void Table::TickBody()
{
    ++m_counters.ticks;
    if (m_seatClaim.Held() && ProgramClock().Now() - m_seatConfirmed >= std::chrono::seconds(2)) {
        // The claim of this seat outlives a share mounted again.
        m_seatConfirmed = ProgramClock().Now();
        m_seatClaim.Confirm();
    }
    if (IsHostTable()) {
        const Clock::TimePoint now = ProgramClock().Now();
        const bool beat = now - m_beatDone >= std::chrono::seconds(1);
        if (!ConfirmLease(beat)) return;
        if (beat) m_beatDone = now;
    }
    // What an earlier tick could not store is stored first: the step that
    // made it is done and must not run again on the status it left behind.
    if (WritesPending()) StoreWrites();
    ShowOwnLines();
    if (m_state.Closing) return;

    const GameRecord g = PollGame();
    const GameStatus status = g.Status;
    m_state.Pot = g.Pot;
    m_state.MinBet = g.MinBet;
    m_state.LastRaise = g.LastRaise;

    // Seats are only ever added.
    if (g.PlayerCount < m_state.PlayerCount)
        throw TableIoError("gam.spk: PlayerCount " + std::to_string(g.PlayerCount) + " below the " +
                           std::to_string(m_state.PlayerCount) + " players seated");
    if (g.PlayerCount > m_state.PlayerCount) {
        m_state.PlayerCount = g.PlayerCount;
        LoadSeats();
    }

    GetMsgs();

    const bool host = IsHostTable();
    if (!host) {
        WatchHost(status);
        if (m_state.Closing || IsHostTable()) return;
    }
    if (m_protection) ExchangeTick();
    if (status == GameStatus::StartHand && host) StartHand();
    if (status.IsTurn() && host) {
        // A bot's record holds nothing new until the bot has decided.
        const int current = m_state.CurrentPlayer;
        const bool bot = current >= 2 && current <= m_session.BotCount + 1;
        if (m_botRequested) {
            m_botRequested = false;
            TakeBotRequest();
        } else if (!bot) {
            ProcessAndNoteAction();
        }
        CheckTurnTime(status);
    }
    if (status == GameStatus::HandOver) {
        if (host) EndHand();
        Shown().ShowStatus("");
    }
    if (status == GameStatus::PrepareHand && host) PrepareNextHand();

    if (status != m_state.LastStatus) {
        m_requestPending = false;
        m_rearmCandidate = false;
        if (status.IsTurn()) {
            const int named = status.TurnPlayer();
            m_state.MyTurn = named == m_session.MyPlayerNo;
            if (!host) m_state.CurrentPlayer = named;
        } else {
            m_state.MyTurn = false;
            // Between turns nobody is waited for; a client would otherwise
            // keep naming the last player to act until the next hand.
            if (!host) m_state.CurrentPlayer = 0;
        }
        // The host knows better than the status read at the tick's start:
        // his own turn may have been given, or taken, in this very tick.
        if (host) m_state.MyTurn = HostOwnTurn();
        UpdateTableView();
    } else {
        if (m_rearmCandidate) CheckRearm();
        // Cards dealt while the status text stayed the same (the last to act
        // in one round opens the next, or a poll missed the statuses between
        // two hands): draw them now.
        if (m_boardDealt) UpdateTableView();
    }
    // The lines go to the log before the redraw, or here when there was none.
    ShowFetchedLines();
    if (m_state.Closing) return;
    // Between hands a client checks the hands its host wrote.
    if (!host && status != m_state.LastStatus && !status.IsTurn()) CheckJournal();

    if (host && m_session.BotCount >= 1 && m_state.CurrentPlayer >= 2 &&
        m_state.CurrentPlayer <= m_session.BotCount + 1)
        BotStep(status);
    // A bot's request is taken at once, under the opens of this tick.
    if (host && m_botRequested && status.IsTurn()) {
        m_botRequested = false;
        TakeBotRequest();
    }

    // The host's own turn given in this tick is shown now, not a poll later.
    if (host && m_state.MyTurn && !m_turnShown && !m_state.Closing) UpdateTableView();

    m_state.LastStatus = status;

    const int left = m_state.MyTurn ? TurnSecondsLeft() : -1;
    if (left != m_shownSecondsLeft) {
        m_shownSecondsLeft = left;
        if (left >= 0) Shown().ShowStatus(FormatText(Msg::TimeLeft, std::to_string(left)));
    }
}

int Table::TurnSecondsLeft() const
{
    const TableState& s = m_state;
    if (!IsHostTable() || m_session.TurnSeconds <= 0 || s.CurrentPlayer < 1 || s.Stage < StagePreFlop ||
        s.Stage >= StageShowdown)
        return -1;
    const auto used = std::chrono::duration_cast<std::chrono::seconds>(ProgramClock().Now() - m_turnStarted);
    return std::max(0, m_session.TurnSeconds - static_cast<int>(used.count()));
}

std::chrono::milliseconds Table::LeaseTime() const
{
    // A few polls, a beat that came late and a share's attribute cache.
    return std::max(std::chrono::milliseconds(6000),
                    std::chrono::milliseconds(4 * m_session.PollMilliseconds));
}

// A host that left writes so. One whose process ended, or whose machine lost
// the share, stops claiming its lease and beating; once the lease has stood
// still for a whole lease time with nobody claiming it, the first client to
// claim it hosts the table. Looked at once a second, since on a shared folder
// each look costs round trips.
void Table::WatchHost(GameStatus status)
{
    const Clock::TimePoint now = ProgramClock().Now();
    if (status == GameStatus::Ended || now - m_hostChecked < std::chrono::seconds(1)) return;
    m_hostChecked = now;
    const LeaseLook look = LookAtLease(m_session.GameFolder);
    if (!look.opened && IsOutageError(look.error) && look.error != ENOENT)
        throw TableOutage(ErrorDescription(look.error));
    if (look.claimed || look.busy || (look.record && look.record != m_leaseSeen)) {
        if (look.record) m_leaseSeen = look.record;
        m_leaseMoved = now;
        return;
    }
    if (now - m_leaseMoved < LeaseTime()) return;
    TakeOver();
}

void Table::TakeOver()
{
    const int former = m_leaseSeen ? m_leaseSeen->host : 1;
    const HostLease::Outcome taken = m_lease.Take(m_session.GameFolder, m_session.MyPlayerNo);
    if (taken == HostLease::Outcome::Held) {
        // Another client was first: it hosts now.
        m_leaseMoved = ProgramClock().Now();
        return;
    }
    if (taken != HostLease::Outcome::Ok) throw TableOutage(ErrorDescription(m_lease.Error()));
    m_session.IsHost = true;
    m_tookOver = true;
    m_beatDone = ProgramClock().Now();
    ResumeAsHost(former);
}

void Table::ResumeAsHost(int formerHost)
{
    TableState& s = m_state;
    // Nothing is stored before the lease is confirmed, under its lock.
    if (!ConfirmLease(false)) return;
    const GameRecord g = ReadGame();
    EnsureSlots();
    const bool waiting = g.Status == GameStatus::Waiting;
    // Bets stand in the seats from the blinds to the payout: an unfinished
    // hand is one with a turn or a deal under way.
    const bool unfinished = g.Status.IsTurn() || g.Status == GameStatus::StartHand;
    int smallBlind = 0;
    for (int p = 1; p <= s.PlayerCount; ++p) {
        PlayerRecord r = GetSeat(p);
        Currency cash = r.Cash;
        if (unfinished) {
            const auto back = Currency::CheckedAdd(cash, r.Bet);
            if (!back)
                throw TableIoError("usr.spk: the stake of seat " + std::to_string(p) + " is out of range");
            cash = *back;
            r.Cash = cash;
            r.Bet = Currency();
            r.Card1 = r.Card2 = "";
        }
        if (Trim(r.Blind) == "SB") smallBlind = p;
        const std::string action = Trim(r.Action);
        s.PlayerCash[p] = cash;
        m_betThisHand[static_cast<std::size_t>(p)] = Currency();
        s.HandStake[p] = action == "D" || action == "O" || cash <= Currency() ? StakeOut : Currency();
        if (unfinished && action != "D" && action != "O") r.Action = "-";
        PutSeat(p, r);
    }
    if (formerHost >= 1 && formerHost <= s.PlayerCount && formerHost != m_session.MyPlayerNo) {
        m_away[static_cast<std::size_t>(formerHost)] = true;
        MarkGone(formerHost);
    }
    const std::string me = s.PlayerNames[m_session.MyPlayerNo];
    Send("i" + FormatText(Msg::NowHosts, me));
    TakeOverExchange();
    m_hand = HandState{};
    s.CurrentPlayer = 0;
    s.MyTurn = false;
    s.Stage = StageWaiting;
    if (!waiting) {
        if (unfinished) {
            PlayerRecord board = GetSeat(BoardPlayerNo);
            board.Card1 = board.Card2 = board.Card3 = board.Card4 = board.Card5 = "";
            PutSeat(BoardPlayerNo, board);
        }
        // The button moves on from the last hand's small blind, or from seat 1.
        s.Dealer = smallBlind > 0 ? smallBlind : 1;
        // The hands seen dealt in the log (in this table's language), or the
        // last sound one in the journal, whichever is further on.
        s.HandNo = std::max<long>(2, std::max(m_handsSeen, m_journalHand) + 1);
        s.Pot = s.MinBet = s.LastRaise = Currency();
        m_gamePending = true;
        Send("i" + FormatText(Msg::HandHeader, std::to_string(s.HandNo)) + "\r\n");
        WriteStatus(GameStatus::HandDone, true);
    }
    Shown().ShowPlayerLabel(me + " " + m_language.AppText[Cap::HostSuffix]);
    Shown().SetActionsEnabled(false);
    Shown().SetStartRoundAllowed(CanStartRound());
}

bool Table::ConfirmLease(bool beat)
{
    switch (m_lease.Confirm(beat)) {
    case HostLease::Outcome::Ok:
        return true;
    case HostLease::Outcome::Failed:
        throw TableOutage(ErrorDescription(m_lease.Error()));
    default:
        StepDown();
        return false;
    }
}

// A later host holds the lease (this one was paused, or lost the share for
// longer than a lease): nothing it meant to write is written, and it plays on
// at its seat.
void Table::StepDown()
{
    m_lease.Release();
    m_session.IsHost = false;
    m_seatWrites.clear();
    m_outbox.clear();
    m_statusPending = m_gamePending = m_resetRaise = false;
    m_roundStarting = false;
    m_hand = HandState{};
    m_state.CurrentPlayer = 0;
    m_state.MyTurn = false;
    m_state.LastStatus = GameStatus{};
    m_gameKnown = false;
    m_leaseSeen.reset();
    m_hostChecked = m_leaseMoved = ProgramClock().Now();
    std::fprintf(stderr, "scrivo: a later host holds the table; playing on as a player\n");
    Shown().ShowPlayerLabel(m_state.PlayerNames.size() > static_cast<std::size_t>(m_session.MyPlayerNo)
                                ? m_state.PlayerNames[m_session.MyPlayerNo]
                                : std::string());
    Shown().SetStartRoundAllowed(false);
}

void Table::RequestWritten(const RoundAction& action)
{
    m_ownAction = action;
    m_state.MyTurn = false;
    m_requestPending = true;
    m_rearmCandidate = false;
    m_requestMark = MessageCountOnDisk();
}

// The host answered a request of ours with a private line (a refused
// request, or our turn again after statuses this client never saw). It is
// our turn only if the status, read after that line, still names us.
void Table::CheckRearm()
{
    m_rearmCandidate = false;
    if (IsHostTable()) {
        // The host writes the game record itself, and what it decided in
        // this tick is not stored yet: the file would give back an older
        // turn and pot. Its own state is the game.
        const GameStatus status = m_statusPending ? m_statusWrite : m_lastGame.Status;
        if (status.IsTurnOf(m_session.MyPlayerNo)) {
            m_requestPending = false;
            m_state.MyTurn = true;
            UpdateTableView();
        }
        return;
    }
    const GameRecord g = ReadGame();
    if (g.Status.IsTurnOf(m_session.MyPlayerNo)) {
        m_requestPending = false;
        m_state.MyTurn = true;
        m_state.Pot = g.Pot;
        m_state.MinBet = g.MinBet;
        m_state.LastRaise = g.LastRaise;
        UpdateTableView();
    }
}

// A private line for this client written after its last request.
void Table::NoteLine(const LogLine& line)
{
    // "<n>a..." says player n is away, "<n>b..." that he is back. They are
    // private to him, but every client reads them for the seat's mark.
    const int to = line.PrivateTo();
    if ((line.Kind() == 'a' || line.Kind() == 'b') && to >= 1 && to <= MaxPlayers) {
        const auto index = static_cast<std::size_t>(to);
        if (m_awayShown.size() <= index) m_awayShown.resize(index + 1);
        m_awayShown[index] = line.Kind() == 'a';
        if (line.Kind() == 'b' && IsHostTable() && index < m_away.size()) {
            BackFromStall(to);
            m_away[index] = false;
            m_timeouts[index] = 0;
        }
    }
    if (m_requestPending && line.recordNo > m_requestMark && line.PrivateTo() == m_session.MyPlayerNo)
        m_rearmCandidate = true;
    if (line.line == "d" + m_language.FormatText(Msg::DealingHoleCards)) ++m_handsSeen;
    if (line.Kind() == 'c' && line.VisibleTo(m_session.MyPlayerNo)) {
        m_boardDealt = true;
        // New cards open a new betting round.
        m_ownAction = RoundAction{};
    }
}

bool Table::HostOwnTurn() const
{
    const int me = m_session.MyPlayerNo;
    return m_hand.started && !m_hand.over && me >= 1 && m_hand.toAct == me && m_state.CurrentPlayer == me &&
           !Parked();
}

bool Table::IsAway(int player) const
{
    return player >= 1 && static_cast<std::size_t>(player) < m_awayShown.size() &&
           m_awayShown[static_cast<std::size_t>(player)];
}

bool Table::ComeBack()
{
    const int me = m_session.MyPlayerNo;
    if (!IsAway(me)) return false;
    const std::string line = std::to_string(me) + "b" + FormatText(Msg::YouAreBack);
    const FolderResult<std::int64_t> sent = AppendPlayerMessage(m_session.GameFolder, line);
    if (!sent) {
        ReportFailure("Error Sending player message: ", sent.status);
        return false;
    }
    VouchLines({{*sent, StoredMessageText(line)}});
    m_awayShown[static_cast<std::size_t>(me)] = false;
    return true;
}

void Table::GetMsgs()
{
    // Read whenever the count differs: a file that shrank or was made anew
    // is read again from its start. An open file says it at no cost; else
    // one stat asks the server.
    RecordFile& open = m_files[static_cast<std::size_t>(Slot::Messages)];
    const long count = open.IsOpen() ? static_cast<long>(Need(open.RecordCount())) : MessageCountOnDisk();
    if (count == m_lastMsgNo) return;
    const MessageBatch batch = Need(ReadMessagesSince(TickFile(Slot::Messages), m_lastMsgNo));
    if (batch.restarted) {
        // Cut short or made anew: what is still there from before was shown
        // already; only lines that differ from those shown are new.
        m_lastMsgNo = 0;
        m_requestMark = 0;
        m_priorLines = std::move(m_seenLines);
        m_seenLines.clear();
    }
    if (batch.lines.empty()) {
        m_lastMsgNo = static_cast<long>(batch.lastRecord);
        return;
    }
    std::vector<LogLine> fresh;
    fresh.reserve(batch.lines.size());
    for (std::size_t i = 0; i < batch.lines.size(); ++i) {
        const std::string& line = batch.lines[i];
        if (!NoteSeen(batch.records[i], line)) continue;
        // At a protected table only signed chat is shown (from the exchange).
        if (m_protection && LogLine{0, line}.Kind() == 'm') continue;
        if (m_protection) {
            HoldLine(batch.records[i], line);
            continue;
        }
        m_msgLines.push_back(line);
        fresh.push_back(LogLine{static_cast<long>(batch.records[i]), line});
        NoteLine(fresh.back());
    }
    m_lastMsgNo = static_cast<long>(batch.lastRecord);
    m_fetched.insert(m_fetched.end(), std::make_move_iterator(fresh.begin()),
                     std::make_move_iterator(fresh.end()));
}

bool Table::NoteSeen(std::int64_t record, const std::string& line)
{
    const std::size_t hash = std::hash<std::string>{}(line);
    const auto prior =
        std::lower_bound(m_priorLines.begin(), m_priorLines.end(), std::make_pair(record, std::size_t{0}));
    const bool shown = prior != m_priorLines.end() && prior->first == record && prior->second == hash;
    m_seenLines.emplace_back(record, hash);
    return !shown;
}

// Shown once the step of the tick is done, so that the view (which may let
// events run) never comes between the reads and writes of that step.
void Table::ShowFetchedLines()
{
    if (m_fetched.empty()) return;
    std::vector<LogLine> fresh;
    fresh.swap(m_fetched);
    ShowLines(fresh);
}

void Table::UpdateTableView()
{
    m_boardDealt = false;
    m_state.BigBet = false;
    if (IsHostTable() && !m_view.DrawsSeats()) {
        // The host keeps all it needs in memory: no records to read.
        m_seats.clear();
        if (m_session.MyPlayerNo >= 1 && m_session.MyPlayerNo <= m_state.PlayerCount) {
            m_session.MyCash = m_state.PlayerCash[m_session.MyPlayerNo];
            m_state.MyBet = m_betThisHand[static_cast<std::size_t>(m_session.MyPlayerNo)];
        }
        m_state.BigBet = m_state.Stage >= StageTurn && m_state.Stage < StageShowdown;
        FinishViewUpdate();
        return;
    }
    m_seats.assign(static_cast<std::size_t>(m_state.PlayerCount) + 1, PlayerRecord{});
    m_seats[0] = GetSeat(BoardPlayerNo);
    const bool all = m_view.DrawsSeats();
    for (int p = 1; p <= m_state.PlayerCount; ++p)
        if (all || p == m_session.MyPlayerNo) m_seats[p] = GetSeat(p);
    if (m_session.MyPlayerNo >= 1 && m_session.MyPlayerNo <= m_state.PlayerCount) {
        m_session.MyCash = m_seats[m_session.MyPlayerNo].Cash;
        m_state.MyBet = m_seats[m_session.MyPlayerNo].Bet;
    }
    if (!Trim(m_seats[0].Card1).empty() && !Trim(m_seats[0].Card4).empty()) m_state.BigBet = true;
    OverlayOwnCards();
    FinishViewUpdate();
}

void Table::FinishViewUpdate()
{
    // The own turn is shown before the lines, which may hold the window for
    // a moment of reading.
    m_turnShown = m_state.MyTurn;
    if (m_state.MyTurn) {
        Shown().ShowStatus(m_language.LangText[Msg::YourTurn]);
        Shown().SetActionsEnabled(true);
    }
    ShowFetchedLines();
    if (m_state.Closing) return;
    Shown().UpdateTableView(*this);
    if (m_state.MyTurn) {
        Shown().ShowStatus(m_language.LangText[Msg::YourTurn]);
        Shown().SetActionsEnabled(true);
    } else {
        if (m_state.CurrentPlayer > 0 && m_state.CurrentPlayer < static_cast<int>(m_state.PlayerNames.size()))
            Shown().ShowStatus(FormatText(Msg::WaitingFor, m_state.PlayerNames[m_state.CurrentPlayer]));
        Shown().SetActionsEnabled(false);
    }
}

// ---------------------------------------------------------------- hands

bool Table::CanStartRound() const
{
    // A hand that ended as it started (all in on the blinds) is ended with
    // its status first: a start right then would write over that status.
    return IsHostTable() && m_state.Stage == StageWaiting && !m_roundStarting && !m_handEndPending &&
           !m_state.Closing;
}

bool Table::StartRound()
{
    if (!CanStartRound()) return false;
    const auto start = [&] {
        Shown().SetStartRoundAllowed(false);
        WriteStatus(m_state.HandNo == 1 ? GameStatus::StartHand : GameStatus::PrepareHand, true);
        ReleaseFiles();
        m_roundStarting = true;
        Shown().ShowStatus(m_language.LangText[Msg::ShufflingDealing]);
    };
    const auto cancelled = [this] {
        DropHeld();
        m_statusPending = false;
    };
    const auto failed = [this](const std::string& what) {
        // The round did not start: the host decides again.
        m_statusPending = false;
        ReportError("Error starting round: ", what);
    };
    if (Completes(start, cancelled, failed)) return true;
    Shown().SetStartRoundAllowed(CanStartRound());
    return false;
}

// A player marked away because his program had ended is back once a
// program holds his seat again, and every table is told so. One who let his
// turns run out with his program running stays away until he says he is
// back.
void Table::WelcomeBack()
{
    for (int p = 1; p <= m_state.PlayerCount && p < static_cast<int>(m_away.size()); ++p) {
        const auto i = static_cast<std::size_t>(p);
        if (i >= m_awayGone.size()) break;
        // Back by other means meanwhile (he acted, or said so).
        if (!m_away[i]) m_awayGone[i] = false;
        if (!m_awayGone[i] || p == m_session.MyPlayerNo || (p >= 2 && p <= m_session.BotCount + 1)) continue;
        if (HeldUpADeal(p) || !SeatClaimed(m_session.GameFolder, p)) continue;
        m_away[i] = false;
        m_awayGone[i] = false;
        m_timeouts[i] = 0;
        Send(std::to_string(p) + "b" + FormatText(Msg::YouAreBack));
    }
}

void Table::MarkGone(int player)
{
    const auto i = static_cast<std::size_t>(player);
    if (m_awayGone.size() <= i) m_awayGone.resize(i + 1);
    m_awayGone[i] = true;
}

void Table::NoteAbsentSeat(int player)
{
    const Clock::TimePoint now = ProgramClock().Now();
    const auto i = static_cast<std::size_t>(player);
    if (player == m_session.MyPlayerNo || m_away[i] || now - m_seatLooked < std::chrono::seconds(2)) return;
    m_seatLooked = now;
    if (m_seatSeenClaimed.size() <= i) m_seatSeenClaimed.resize(i + 1);
    // Nobody claims a seat that was claimed before: its player's program has
    // ended. A seat never seen claimed is played by something else.
    const bool claimed = SeatClaimed(m_session.GameFolder, player);
    if (!claimed && m_seatSeenClaimed[i]) {
        m_away[i] = true;
        MarkGone(player);
        Send(std::to_string(player) + "a" + FormatText(Msg::YouAreAway));
    }
    if (claimed) m_seatSeenClaimed[i] = true;
}

void Table::PrepareNextHand()
{
    EnsureSlots();
    WelcomeBack();
    PlayerRecord board = GetSeat(BoardPlayerNo);
    board.Card1 = board.Card2 = board.Card3 = board.Card4 = board.Card5 = "";
    PutSeat(BoardPlayerNo, board);
    for (int p = 1; p <= m_state.PlayerCount; ++p) {
        PlayerRecord r = GetSeat(p);
        r.Card1 = r.Card2 = "";
        r.Bet = Currency();
        r.Blind = "";
        const std::string action = Trim(r.Action);
        // A player who left is out of the game from the next hand on (at a
        // protected table only when he signed it).
        const bool left = action == "D" && SignedLeave(p);
        if (left) m_state.HandStake[p] = StakeOut;
        if (!left && action != "O") r.Action = m_state.HandStake[p] == StakeOut ? "O" : "-";
        PutSeat(p, r);
    }
    m_state.Dealer = NextSeatInGame(m_state.Dealer);

    // The table is cleared for the next hand: nothing in the pot, no bet.
    m_state.Pot = Currency();
    m_state.MinBet = Currency();
    m_state.LastRaise = Currency();
    m_gamePending = true;
    WriteStatus(GameStatus::StartHand, true);
}

void Table::EndHand()
{
    TableState& s = m_state;
    m_handEndPending = false;
    EndExchange();
    WriteStatus(GameStatus::HandDone, false);
    s.Stage = StageWaiting;
    int last = 0;
    for (int p = 1; p <= s.PlayerCount; ++p) {
        if (s.HandStake[p] <= StakeOut) continue;
        if (s.PlayerCash[p] <= Currency()) {
            s.HandStake[p] = StakeOut;
            Send("b" + FormatText(Msg::OutOfChips, s.PlayerNames[p]));
        } else {
            s.HandStake[p] = Currency();
            last = p;
        }
    }
    ++m_counters.handsEnded;
    if (CountActive() != 1) {
        ++s.HandNo;
        Send("i" + FormatText(Msg::HandHeader, std::to_string(s.HandNo)) + "\r\n");
        FlushMessages();
        Shown().HandEnded(*this);
        Shown().SetStartRoundAllowed(CanStartRound());
        return;
    }
    // The winner's line goes out before the final status, so every client
    // that sees the game end has the line that names the winner.
    Send("s" + FormatText(Msg::GameOver, last > 0 ? s.PlayerNames[last] : std::string()));
    WriteStatus(GameStatus::Ended, false);
    s.Stage = StageGameOver;
    ResetSeatsAfterGame();
    Shown().HandEnded(*this);
    Shown().GameEnded(*this);
}

void Table::ResetSeatsAfterGame()
{
    for (int p = 1; p <= m_state.PlayerCount; ++p) {
        PlayerRecord r = GetSeat(p);
        r.Bet = Currency();
        r.Blind = "";
        const std::string action = Trim(r.Action);
        if (action != "D" && action != "O") r.Action = m_state.HandStake[p] == StakeOut ? "O" : "-";
        PutSeat(p, r);
    }
}

// The host leaves during a hand: nobody will finish it, so every player
// takes back what he put in, and the seats add up to what was bought in.
void Table::ReturnStakes()
{
    TableState& s = m_state;
    if (s.Stage < StagePreFlop || s.Stage >= StageShowdown) return;
    for (int p = 1; p <= s.PlayerCount && p < static_cast<int>(m_betThisHand.size()); ++p) {
        Currency& stake = m_betThisHand[static_cast<std::size_t>(p)];
        if (stake.IsZero()) continue;
        s.PlayerCash[p] += stake;
        stake = Currency();
        PlayerRecord r = GetSeat(p);
        r.Cash = s.PlayerCash[p];
        r.Bet = Currency();
        PutSeat(p, r);
    }
    s.Pot = Currency();
    s.Stage = StageGameOver;
    m_hand.over = true;
    // The empty pot goes out with the seats' writes, in the same release.
    m_gamePending = true;
}

void Table::Leave()
{
    m_state.Closing = true;
    const auto leave = [&] {
        if (IsHostTable()) ReturnStakes();
        const int me = m_session.MyPlayerNo;
        std::string ownName = me >= 1 && me < static_cast<int>(m_state.PlayerNames.size())
                                  ? m_state.PlayerNames[me]
                                  : std::string();
        // A game that could not be read at the open still gives up the seat
        // it gave: the name comes from the seat itself.
        if (ownName.empty() && me >= 1) {
            if (auto seat = TickFile(Slot::Players).ReadPlayer(me)) ownName = Trim(seat->Name);
        }
        ReleaseFiles();
        if (me >= 1 && m_protection) {
            PublishLeavingKey();
            SignRequest("D");
        }
        if (me >= 1) {
            const LeaveOutcome left = LeaveGame(m_session, ownName, m_language);
            if (left.lineRecord > 0) VouchLines({{left.lineRecord, StoredMessageText(left.line)}});
        }
        m_lease.Release();
        m_seatClaim.Release();
    };
    Completes(
        leave, [this] { DropHeld(); },
        [this](const std::string& what) {
            m_outbox.clear();
            ReportError("Error leaving game: ", what);
        });
}

} // namespace scrivo

#pragma once

// What a table keeps of a protected game (engine/TableProtected.cpp).
#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/Table.h"
#include "privacy/Protocol.h"

namespace scrivo {

struct Table::Protection {
    privacy::ExchangeBook book;
    std::optional<privacy::Participant> me;
    std::int64_t nextRecord = 1; // of xch.spk, counted from 1
    std::string out;             // records to append
    // Host: the hand being dealt, an event waiting for cards, what it knows.
    std::int64_t handId = 0;
    std::optional<StartEvent> pendingStart;
    // The round's hand is dealt (it may have ended at once, all in on the
    // blinds, while the status still asks for a start) until it is ended.
    bool startApplied = false;
    std::optional<HandEvent> parked;
    std::map<int, clsCard> known; // pack position -> card
    int waitingFor = 0;
    std::chrono::steady_clock::time_point dealStarted{}, parkedAt{};
    Clock::TimePoint waitingSince{}, claimLooked{};
    std::int64_t turnMark = 0;
    std::map<int, int> lastStep; // seat -> last request step applied this hand
    int unsignedSeat = 0;
    Clock::TimePoint unsignedSince{};
    bool unsignedReported = false;
    // Every table: its own cards, chat shown, hands checked.
    std::int64_t cardsHand = 0;
    std::array<std::string, 2> cards;
    std::vector<std::string> cardLines;
    bool cardsNew = false; // for the seats' view
    std::int64_t chatsFrom = 0;
    // Lines this table stored in msg.spk, not yet vouched for; lines read
    // there that wait for their writer's word; the words read so far.
    std::vector<std::pair<std::int64_t, std::string>> toVouch;
    std::map<std::int64_t, std::string> held;
    std::multimap<std::int64_t, privacy::VouchedLine> vouched;
    std::set<int> formerHosts;
    std::set<std::int64_t> audited;
    int requestStep = 0;
    std::int64_t requestHand = 0;
    int shownWaiting = 0;
    std::set<int> leavers; // seats whose player signed his leaving
    // Host: players who held up a deal, with the first place in the exchange
    // that counts as a sign of life: they are dealt in again once their
    // program publishes something there or they say they are back, not
    // because their program still holds its seat.
    std::map<int, std::int64_t> stalled;
};

} // namespace scrivo

#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "cards/Hand.h"
#include "cards/Pack.h"
#include "gamefolder/RecordFile.h"

namespace scrivo {

// The cards of the hand the host is dealing.
struct DealState {
    colPack pack;
    std::vector<colHand> hands; // by player number
    colHand board;              // five cards; placeholders until dealt
};

// The board's placeholder for position 1..5: a card that matches no real card
// and no other placeholder.
clsCard BoardPlaceholder(int position);
colHand PlaceholderBoard();

// An open the user cancelled: the rest of the operation is skipped quietly.
struct OperationCancelled {};

// A failed read or write of a record file; its message says what went wrong.
class TableIoError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file call that failed because the share is away, full or read-only for
// now: the table waits it out, nothing about the records is wrong.
class TableOutage : public TableIoError {
public:
    using TableIoError::TableIoError;
};

inline void Need(const FolderStatus& status)
{
    if (status.error == FolderError::Cancelled) throw OperationCancelled{};
    if (status.outage) throw TableOutage(status.description);
    if (!status.Ok()) throw TableIoError(status.description);
}

// The value of a record-file result, or the matching exception.
template <typename T> T Need(FolderResult<T> result)
{
    Need(result.status);
    return std::move(result.value);
}

// Runs one operation of a table and says whether it completed. No exception
// leaves it: an open the user cancelled ends it through cancelled(), any
// other failure through failed(description).
template <typename Work, typename Cancelled, typename Failed>
bool Completes(Work&& work, Cancelled&& cancelled, Failed&& failed)
{
    try {
        work();
        return true;
    } catch (const OperationCancelled&) {
        cancelled();
    } catch (const std::exception& e) {
        failed(std::string(e.what()));
    }
    return false;
}

// Sets a flag for a scope and clears it however the scope ends.
class TickGuard {
public:
    explicit TickGuard(bool& flag) : m_flag(flag) { m_flag = true; }
    ~TickGuard() { m_flag = false; }
    TickGuard(const TickGuard&) = delete;
    TickGuard& operator=(const TickGuard&) = delete;

private:
    bool& m_flag;
};

} // namespace scrivo

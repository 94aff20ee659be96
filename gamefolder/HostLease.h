#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace scrivo {

// Who hosts a game lives in the game's hst.spk: a small record (the host's
// epoch, a heartbeat the host advances, and a token of this hosting) read and
// written under a lock on its own bytes, and claims taken as locks on byte
// ranges past it: one for the host, one per seat. The system drops a claim
// when its holder's process ends however it ends. Swapping the file for
// another takes nothing away from the holder: it finds out at its next
// heartbeat and claims the new file too. A client takes the host for gone
// only when the host's claim is free and the heartbeat has stood still for a
// whole lease.
struct LeaseRecord {
    std::int64_t epoch = 0; // one higher with every host of the game
    std::int64_t beat = 0;  // advanced by the host while it hosts
    std::uint64_t token = 0;
    int host = 0; // the host's player number
    // Bit p set: player p hosted and its process ended while it did, its
    // table taken over by a later host.
    std::uint16_t gone = 0;

    bool operator==(const LeaseRecord&) const = default;
};
inline constexpr int LeaseRecordLength = 36;
std::string EncodeLease(const LeaseRecord& record);
// Nothing when the bytes are not a whole record of ours.
std::optional<LeaseRecord> DecodeLease(std::string_view bytes);

// Byte offsets of the claims, far past the record.
inline constexpr std::int64_t HostClaimOffset = 4096;
inline constexpr std::int64_t SeatClaimOffset(int player)
{
    return HostClaimOffset + player;
}

// Opens the lease file of folder read-write, never through a link and only
// when it is a regular file; -1 with errno otherwise. With create, a missing
// name is made, and a name that is a link or a special file is removed and
// made anew (never what a link points at).
int OpenLeaseFile(const std::string& folder, bool create);

// What a look at the lease finds, taking nothing away from anybody.
struct LeaseLook {
    bool opened = false;  // there is a lease file to look at
    bool claimed = false; // somebody holds the host's claim
    bool busy = false;    // its record is being written right now
    std::optional<LeaseRecord> record;
    int error = 0; // errno of a failed open
};
LeaseLook LookAtLease(const std::string& folder);

// Whether somebody holds player's seat. True when it cannot be told, so that
// nobody takes a seat whose owner may be there.
bool SeatClaimed(const std::string& folder, int player);

// A process's claim on one seat of a game, held while it sits there.
class SeatClaim {
public:
    SeatClaim() = default;
    ~SeatClaim();
    SeatClaim(const SeatClaim&) = delete;
    SeatClaim& operator=(const SeatClaim&) = delete;

    // False when the seat is held elsewhere or the file cannot be opened.
    bool Take(const std::string& folder, int player);
    // Keeps the claim on the file at the name: one the share forgot (mounted
    // again, a stale handle) or a file put in its place is claimed anew.
    // False only when somebody else holds the seat there.
    bool Confirm();
    void Release();
    bool Held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
    std::string m_folder;
    int m_player = 0;
};

// The host's lease, held by the host's table.
class HostLease {
public:
    enum class Outcome {
        Ok,
        Held,    // another host holds the claim
        Deposed, // the lease names a later host: this one hosts no more
        Failed,  // a file call failed; Error() says which
    };

    HostLease() = default;
    ~HostLease();
    HostLease(const HostLease&) = delete;
    HostLease& operator=(const HostLease&) = delete;

    // Claims the host's lease of folder for player and writes an epoch one
    // higher than the last.
    Outcome Take(const std::string& folder, int player);
    // Before the host writes: locks the record (kept until Unlock) and checks
    // that the lease is still this host's. With beat, also makes sure the
    // file at the name is the one claimed (claiming a new one when it was
    // replaced) and advances the heartbeat.
    Outcome Confirm(bool beat);
    void Unlock();
    void Release();
    bool Held() const { return m_fd >= 0; }
    const LeaseRecord& Record() const { return m_record; }
    int Error() const { return m_error; }

private:
    Outcome Fail();
    Outcome Repair();
    // The record range of fd, waiting a little for a reader.
    bool LockRecord(int fd);
    bool ReadRecord(int fd, std::optional<LeaseRecord>& out);
    bool WriteRecord(int fd, const LeaseRecord& record);
    bool IsLater(const std::optional<LeaseRecord>& other) const;

    int m_fd = -1;
    bool m_recordLocked = false;
    std::string m_folder;
    LeaseRecord m_record;
    int m_error = 0;
};

} // namespace scrivo

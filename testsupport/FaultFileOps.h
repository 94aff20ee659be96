#pragma once

#include <cstddef>
#include <limits>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/FileOps.h"

namespace scrivo::test {

using scrivo::FileCall;

// Passes the calls on, except those a test has told it to fail: the n-th
// call of a kind (counted from 1) and as many after it as asked fail with a
// given errno, or a write is cut short after some bytes. A write limit makes
// a disk that fills up: writes go through until it is reached, the one that
// reaches it is short, and the ones after fail with ENOSPC. Installs itself
// as the process's file operations for its lifetime.
class FaultFileOps final : public HookedFileOps {
public:
    static constexpr int Always = std::numeric_limits<int>::max();

    FaultFileOps();

    // Calls first .. first + count - 1 of the kind fail with error.
    void Fail(FileCall call, int first, int error, int count = 1);
    // Write number n writes only its first `bytes` bytes.
    void ShortWrite(int n, std::size_t bytes);
    // At most `bytes` more bytes may be written.
    void LimitWrites(std::size_t bytes);
    // Drops every fault; the counts go on.
    void Clear();
    // Calls of the kind so far.
    int Calls(FileCall call) const;

    long long WriteAt(int fd, const void* data, std::size_t size, std::int64_t offset) override;

private:
    struct Rule {
        FileCall call;
        int first, count, error;
    };
    // Counts the call; the errno it must fail with, or 0.
    int Next(FileCall call);

    mutable std::mutex m_mutex;
    std::vector<Rule> m_rules;
    std::vector<std::pair<int, std::size_t>> m_shortWrites;
    int m_calls[FileCallKinds] = {};
    bool m_limited = false;
    std::size_t m_room = 0;
    std::optional<ScopedFileOps> m_scope; // last: it goes first
};

} // namespace scrivo::test

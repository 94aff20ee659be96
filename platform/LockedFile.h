#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace scrivo {

// A file opened read-write (created when missing) and locked whole with an
// exclusive open-file-description lock. The lock goes with Close(), with the
// destructor, and with the process if it dies. Other processes (and other
// descriptors of this one) that try to open it meanwhile see it as held.
class LockedFile {
public:
    enum class OpenStatus { Ok, Held, Failed };

    LockedFile() = default;
    ~LockedFile();
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;
    LockedFile(LockedFile&& other) noexcept;
    LockedFile& operator=(LockedFile&& other) noexcept;

    // One attempt; never waits. On Failed, Error() holds the errno value.
    OpenStatus TryOpen(const std::string& path);
    bool IsOpen() const { return m_fd >= 0; }
    void Close();

    // Whole reads and writes at a byte offset. ReadAt returns the number of
    // bytes read (short at the end of the file) or -1 on error.
    long long ReadAt(std::int64_t offset, void* buffer, std::size_t size);
    bool WriteAt(std::int64_t offset, const void* data, std::size_t size);
    // Current length in bytes, or -1 on error.
    std::int64_t Size();

    int Error() const { return m_error; }
    std::string ErrorText() const;
    const std::string& Path() const { return m_path; }

private:
    int m_fd = -1;
    int m_error = 0;
    std::string m_path;
    std::uint64_t m_dev = 0, m_ino = 0;
};

// The description of an errno value.
std::string ErrorDescription(int error);

} // namespace scrivo

#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <utility>

#include "platform/Clock.h"
#include "platform/FileOps.h"
#include "platform/MessageBox.h"
#include "platform/Random.h"
#include "platform/Shell.h"

namespace scrivo {

// The record files this process holds locked, by device and inode. Opening
// one of them again would wait on our own lock for ever; debug builds stop
// right there instead. A forked child starts with its parent's list but
// holds none of its locks, so the list belongs to one process id.
class HeldFiles {
public:
    void Add(std::uint64_t device, std::uint64_t inode);
    void Remove(std::uint64_t device, std::uint64_t inode);
    bool Holds(std::uint64_t device, std::uint64_t inode);

private:
    void ForgetParentsFiles();
    std::mutex m_mutex;
    std::set<std::pair<std::uint64_t, std::uint64_t>> m_files;
    long m_pid = 0;
};

// Everything that stays process-wide, in one place: the services the
// program installs (message boxes, shell, clock, file operations), the
// program's random generator, the program folder, and the files the process
// holds locked. Game state never goes here: settings, language and sessions
// are values passed to who needs them.
class ProcessServices {
public:
    ProcessServices();
    ProcessServices(const ProcessServices&) = delete;
    ProcessServices& operator=(const ProcessServices&) = delete;

    // Back to the program's defaults: the steady clock, messages on standard
    // error, the system's file calls, xdg-open, the executable's folder, and
    // a generator seeded from entropy. The held files stay: they record locks
    // that are really held.
    void Reset();

    Clock& CurrentClock() { return *m_clock; }
    void SetClock(Clock* clock); // nullptr: the steady clock

    MessageBoxService& CurrentMessageBoxes() { return *m_messageBoxes; }
    void SetMessageBoxes(MessageBoxService* service); // nullptr: standard error

    ShellService& CurrentShell() { return *m_shell; }
    void SetShell(ShellService* service); // nullptr: xdg-open

    // Atomic: a benchmark's threads read it while another swaps it.
    FileOps& CurrentFileOps() { return *m_fileOps.load(); }
    // Puts ops in place (nullptr: the system's) and gives the ones before.
    FileOps* ExchangeFileOps(FileOps* ops);

    Random& Generator() { return m_generator; }

    const std::string& ProgramFolder() const { return m_programFolder; }
    // An empty folder: the executable's again.
    void SetProgramFolder(const std::string& folder);

    HeldFiles& Held() { return m_held; }

private:
    SteadyClock m_steadyClock;
    Clock* m_clock = &m_steadyClock;
    StderrMessageBoxes m_stderrBoxes;
    MessageBoxService* m_messageBoxes = &m_stderrBoxes;
    XdgOpenShell m_xdgOpen;
    ShellService* m_shell = &m_xdgOpen;
    PosixFileOps m_posix;
    std::atomic<FileOps*> m_fileOps{&m_posix};
    Random m_generator;
    std::string m_programFolder;
    HeldFiles m_held;
};

// The process's one set of services, made at first use.
ProcessServices& Services();

} // namespace scrivo

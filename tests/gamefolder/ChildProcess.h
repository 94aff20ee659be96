#pragma once

#include <csignal>
#include <fcntl.h>
#include <cstdio>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace scrivo::test {

// A helper program started with pipes on its standard input and output.
class ChildProcess {
public:
    explicit ChildProcess(const std::vector<std::string>& args)
    {
        int in[2], out[2];
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        std::vector<char*> argv;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        m_in = in[1];
        m_out = out[0];
    }
    ~ChildProcess()
    {
        if (m_pid > 0 && !m_reaped) {
            ::kill(m_pid, SIGKILL);
            Wait();
        }
        if (m_in >= 0) ::close(m_in);
        if (m_out >= 0) ::close(m_out);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return m_pid > 0; }
    // Sends the start (or release) byte.
    void Go()
    {
        const char c = 'g';
        [[maybe_unused]] auto n = ::write(m_in, &c, 1);
    }
    // One line of its output, without the line break; empty at its end.
    std::string ReadLine()
    {
        std::string line;
        char c;
        while (::read(m_out, &c, 1) == 1 && c != '\n') line += c;
        return line;
    }
    void Kill() { ::kill(m_pid, SIGKILL); }
    // The exit code, or 128 + signal.
    int Wait()
    {
        if (m_reaped) return m_status;
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0) {}
        m_reaped = true;
        m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return m_status;
    }

private:
    pid_t m_pid = -1;
    int m_in = -1, m_out = -1;
    bool m_reaped = false;
    int m_status = -1;
};

} // namespace scrivo::test

#include "platform/Shell.h"

#include <spawn.h>
#include <sys/wait.h>

#include "platform/Services.h"

extern char** environ;

namespace scrivo {

bool XdgOpenShell::OpenDocument(const std::string& target)
{
    pid_t pid = 0;
    std::string prog = "xdg-open";
    char* argv[] = {prog.data(), const_cast<char*>(target.c_str()), nullptr};
    if (::posix_spawnp(&pid, "xdg-open", nullptr, nullptr, argv, environ) != 0) return false;
    int status = 0;
    if (::waitpid(pid, &status, 0) < 0) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void SetShellService(ShellService* service)
{
    Services().SetShell(service);
}

ShellService& CurrentShellService()
{
    return Services().CurrentShell();
}

} // namespace scrivo

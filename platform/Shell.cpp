#include "platform/Shell.h"

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace scrivo {

namespace {
class XdgOpen final : public ShellService {
public:
    bool OpenDocument(const std::string& target) override
    {
        pid_t pid = 0;
        std::string prog = "xdg-open";
        char* argv[] = {prog.data(), const_cast<char*>(target.c_str()), nullptr};
        if (::posix_spawnp(&pid, "xdg-open", nullptr, nullptr, argv, environ) != 0) return false;
        int status = 0;
        if (::waitpid(pid, &status, 0) < 0) return false;
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
};
XdgOpen g_xdg;
ShellService* g_shell = &g_xdg;
} // namespace

void SetShellService(ShellService* service)
{
    g_shell = service ? service : &g_xdg;
}
ShellService& CurrentShellService()
{
    return *g_shell;
}

} // namespace scrivo

#pragma once

#include <string>

#include "platform/Shell.h"

namespace scrivo {

// Opens documents and web addresses through the desktop's default handler
// without waiting for it. A local file that does not exist fails at once,
// so the user is told instead of a browser showing an error page.
class QtShellService final : public ShellService {
public:
    bool OpenDocument(const std::string& pathOrUrl) override;
};

// Installs one QtShellService for the rest of the program's life.
void InstallQtShell();

} // namespace scrivo

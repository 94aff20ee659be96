#pragma once

#include <string>

namespace scrivo {

// Opens a document or web address with the desktop's default handler.
class ShellService {
public:
    virtual ~ShellService() = default;
    virtual bool OpenDocument(const std::string& pathOrUrl) = 0;
};

// The default: runs xdg-open and waits for it.
class XdgOpenShell final : public ShellService {
public:
    bool OpenDocument(const std::string& pathOrUrl) override;
};

// The service is kept with the other process services (platform/Services.h).
// nullptr restores the default, which runs xdg-open.
void SetShellService(ShellService* service);
ShellService& CurrentShellService();

} // namespace scrivo

#pragma once

#include <string>

namespace scrivo {

// Opens a document or web address with the desktop's default handler.
class ShellService {
public:
    virtual ~ShellService() = default;
    virtual bool OpenDocument(const std::string& pathOrUrl) = 0;
};

// nullptr restores the default, which runs xdg-open.
void SetShellService(ShellService* service);
ShellService& CurrentShellService();

} // namespace scrivo

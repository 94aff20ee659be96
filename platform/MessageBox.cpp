#include "platform/MessageBox.h"

#include <cstdio>

namespace scrivo {

namespace {
class StderrMessageBoxes final : public MessageBoxService {
public:
    MsgAnswer Show(const MessageBoxRequest& r) override
    {
        std::fprintf(stderr, "%s\n", r.text.c_str());
        switch (r.buttons) {
        case MsgButtons::Ok:
            return MsgAnswer::Ok;
        case MsgButtons::OkCancel:
        case MsgButtons::RetryCancel:
        case MsgButtons::YesNoCancel:
            return MsgAnswer::Cancel;
        case MsgButtons::YesNo:
            return MsgAnswer::No;
        }
        return MsgAnswer::Cancel;
    }
};
StderrMessageBoxes g_stderrBoxes;
MessageBoxService* g_service = &g_stderrBoxes;
} // namespace

void SetMessageBoxService(MessageBoxService* service)
{
    g_service = service ? service : &g_stderrBoxes;
}

MessageBoxService& CurrentMessageBoxService()
{
    return *g_service;
}

MsgAnswer MsgBox(const std::string& text, MsgButtons buttons, MsgIcon icon, const std::string& title)
{
    return g_service->Show(MessageBoxRequest{text, buttons, icon, title});
}

} // namespace scrivo

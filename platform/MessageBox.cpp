#include "platform/MessageBox.h"

#include <cstdio>

#include "platform/Services.h"

namespace scrivo {

MsgAnswer StderrMessageBoxes::Show(const MessageBoxRequest& r)
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

void SetMessageBoxService(MessageBoxService* service)
{
    Services().SetMessageBoxes(service);
}

MessageBoxService& CurrentMessageBoxService()
{
    return Services().CurrentMessageBoxes();
}

MsgAnswer MsgBox(const std::string& text, MsgButtons buttons, MsgIcon icon, const std::string& title)
{
    return CurrentMessageBoxService().Show(MessageBoxRequest{text, buttons, icon, title});
}

} // namespace scrivo

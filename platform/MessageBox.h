#pragma once

#include <string>

namespace scrivo {

enum class MsgButtons { Ok, OkCancel, RetryCancel, YesNo, YesNoCancel };
enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgAnswer { Ok, Cancel, Retry, Yes, No };

struct MessageBoxRequest {
    std::string text;
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::None;
    std::string title; // empty: the program's name
};

// Shows a message to the user and returns the answer. The windows install a
// Qt implementation; without one, messages go to standard error and the
// answer is the cautious one (OK, Cancel or No).
class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    virtual MsgAnswer Show(const MessageBoxRequest& request) = 0;
};

// The default: the text on standard error, and the cautious answer.
class StderrMessageBoxes final : public MessageBoxService {
public:
    MsgAnswer Show(const MessageBoxRequest& request) override;
};

// The service is kept with the other process services (platform/Services.h).
// nullptr restores the standard-error implementation.
void SetMessageBoxService(MessageBoxService* service);
MessageBoxService& CurrentMessageBoxService();

MsgAnswer MsgBox(const std::string& text, MsgButtons buttons = MsgButtons::Ok, MsgIcon icon = MsgIcon::None,
                 const std::string& title = {});

} // namespace scrivo

#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/MessageBox.h"

namespace scrivo::test {

// Records every message instead of showing it and answers from a queue
// (then with a fixed default). Installs itself for its lifetime.
class RecordingMessageBox final : public MessageBoxService {
public:
    RecordingMessageBox() { SetMessageBoxService(this); }
    ~RecordingMessageBox() override { SetMessageBoxService(nullptr); }

    MsgAnswer Show(const MessageBoxRequest& request) override
    {
        shown.push_back(request);
        if (!answers.empty()) {
            const MsgAnswer a = answers.front();
            answers.pop_front();
            return a;
        }
        return defaultAnswer;
    }

    std::vector<std::string> Texts() const
    {
        std::vector<std::string> t;
        for (const auto& r : shown)
            t.push_back(r.text);
        return t;
    }
    const std::string& LastText() const
    {
        static const std::string none;
        return shown.empty() ? none : shown.back().text;
    }
    void Clear() { shown.clear(); }

    std::vector<MessageBoxRequest> shown;
    std::deque<MsgAnswer> answers;
    MsgAnswer defaultAnswer = MsgAnswer::Ok;
};

} // namespace scrivo::test

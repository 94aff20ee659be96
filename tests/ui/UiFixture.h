#pragma once

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "testsupport/RecordingMessageBox.h"
#include "testsupport/TempDir.h"

namespace scrivo::test {

// A program folder and a server directory of their own for each case, the
// settings and current-game globals back at their start values, message
// boxes recorded, and every window gone afterwards.
class UiTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A language file in the program folder: [Info] name, captions 1, 3, 4
    // and the check captions from the shipped English file when asked.
    void AddShippedLanguage(const std::string& fileName);
    void AddLanguage(const std::string& fileName, const std::string& name, const std::string& okCaption,
                     const std::string& nameCaption);
    void WriteSettings(const std::string& player, const std::string& server, const std::string& language);
    std::string SettingsFile() const;
    // Lets queued events and deferred deletes run.
    static void ProcessEvents();

    TempDir programDir;
    TempDir serverDir;
    std::string server; // serverDir with a trailing separator
    std::unique_ptr<RecordingMessageBox> boxes;
    int quits = 0;
};

} // namespace scrivo::test

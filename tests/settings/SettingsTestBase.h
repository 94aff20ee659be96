#pragma once

#include <string>

#include <gtest/gtest.h>

#include "platform/Paths.h"
#include "settings/Language.h"
#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "testsupport/RecordingMessageBox.h"
#include "testsupport/TempDir.h"

namespace scrivo::test {

// Every settings test runs in its own program folder, with the globals and
// text tables as a fresh program start has them and every message recorded.
class SettingsTestBase : public ::testing::Test {
protected:
    SettingsTestBase()
    {
        m_previousFolder = ProgramFolder();
        SetProgramFolder(dir.Path());
        ResetGlobals();
        SettingsIni() = cInifile();
    }
    ~SettingsTestBase() override
    {
        SetProgramFolder(m_previousFolder);
        ResetGlobals();
    }

    static void ResetGlobals()
    {
        ServerDelay = 0;
        ServerDirectory.clear();
        LastPlayer.clear();
        Language.clear();
        LanguageFile.clear();
        FontName.clear();
        FontSize = 0;
        ColourText = BoldText = Symbols = CardText = ShortText = Animated = StatusBar = ScrivoMode = false;
        for (auto& t : LangText)
            t.clear();
        for (auto& t : AppText)
            t.clear();
        for (auto& t : BotNames)
            t.clear();
        BotChat.assign(1, std::string());
        LangNames.assign(1, std::string());
        LangFiles.assign(1, std::string());
    }

    std::string IniPath() const { return dir.File("SPK.ini"); }

    TempDir dir;
    RecordingMessageBox messages;

private:
    std::string m_previousFolder;
};

} // namespace scrivo::test

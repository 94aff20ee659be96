#pragma once

#include <string>

#include "platform/Screen.h"
#include "settings/Settings.h"

namespace scrivo {

// What the settings file fills in the windows and reads back from them: the
// session browser's create-game fields, its player-name label and the
// positions of the table window, the browser and the table's tool box.
// The windows implement it; programs without windows pass no controls.
class SettingsControls {
public:
    enum class Field { GameName, StartCash, BigBlind, SmallBlind, Currency, Bots };

    virtual ~SettingsControls() = default;

    // PNameLbl of the session browser.
    virtual void SetPlayerNameCaption(const std::string& text) = 0;

    // GameTypeCombo and TypeCombo: number of entries and selected position
    // (-1 when nothing is selected). The setters are only called with -1 or
    // a position inside the list.
    virtual int GameTypeComboCount() const = 0;
    virtual int GameTypeComboIndex() const = 0;
    virtual void SetGameTypeComboIndex(int index) = 0;
    virtual int TypeComboCount() const = 0;
    virtual int TypeComboIndex() const = 0;
    virtual void SetTypeComboIndex(int index) = 0;
    // The bots' level combo (0 Classic, 1 Strong); a window without one
    // has no entries and keeps nothing.
    virtual int BotLevelComboCount() const { return 0; }
    virtual int BotLevelComboIndex() const { return -1; }
    virtual void SetBotLevelComboIndex(int) {}

    // The create pane's turn time, rules and protected box, shown as the
    // settings just read hold them.
    virtual void ShowCreateOptions(const Settings&) {}

    // GameNametxt, StartPotTxt, BigBlindTxt, SmallBlindTxt, CurrencyTxt, BotsTxt.
    virtual std::string FieldText(Field field) const = 0;
    virtual void SetFieldText(Field field, const std::string& text) = 0;

    // MainForm and ConnectFrm; nullptr leaves that window's section alone.
    virtual FormGeometry* TableWindow() = 0;
    virtual FormGeometry* Browser() = 0;
    virtual const ScreenMetrics& Screen() const = 0;

    // ToolBox of the table window, in twips.
    virtual double ToolBoxLeft() const = 0;
    virtual double ToolBoxTop() const = 0;
    virtual void SetToolBoxLeft(double twips) = 0;
    virtual void SetToolBoxTop(double twips) = 0;
};

// Full path of SPK.ini.
std::string SettingsFilePath();

// Fills settings (and the controls, when given) from SPK.ini. A value that
// does not convert stops the load with a message; what was read before it
// stays.
void LoadSettings(Settings& settings, SettingsControls* controls = nullptr);

// Writes settings (and the controls' values, when given) to SPK.ini.
// Without controls the windows' keys keep what the file holds.
void SaveSettings(const Settings& settings, SettingsControls* controls = nullptr);

} // namespace scrivo

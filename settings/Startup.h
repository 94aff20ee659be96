#pragma once

#include "settings/SettingsStore.h"

namespace scrivo {

class Language;

enum class StartWindow { Browser, Wizard };

// The start of the program without its windows: loads the settings (into
// the controls, when given), finds and loads the chosen language, and says
// which window opens first: the session browser when the player's name, a
// reachable server directory and a language are all known, else the wizard.
StartWindow DecideStartWindow(Settings& settings, Language& language, SettingsControls* controls = nullptr);

} // namespace scrivo

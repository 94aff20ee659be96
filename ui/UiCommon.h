#pragma once

#include <string>

#include <QPixmap>
#include <QString>

#include "console/QtPlatform.h"

namespace scrivo {

// "<prefix>1.0.0 1st Ed" from the build's own version numbers.
std::string VersionText(const std::string& prefix);

class Language;
struct Settings;

// Qt's own texts (the standard buttons of message boxes, the file dialogs) in
// the language of the loaded language file, where Qt ships a translation;
// English otherwise. Call again whenever another language file is loaded.
void ApplyQtTranslation(const Language& language, const Settings& settings);

// The program's logo (a card with a spade), drawn so no image file is needed.
QPixmap ProgramLogo(int size);

} // namespace scrivo

#pragma once

#include <string>

#include <QPixmap>
#include <QString>

#include "console/QtPlatform.h"

namespace scrivo {

// "<prefix>1.0.0 1st Ed" from the build's own version numbers.
std::string VersionText(const std::string& prefix);

// The program's logo (a card with a spade), drawn so no image file is needed.
QPixmap ProgramLogo(int size);

} // namespace scrivo

#pragma once

#include <string>

#include <QPixmap>
#include <QString>

class QWidget;

namespace scrivo {

// UTF-8 std::string <-> QString.
QString QStr(const std::string& s);
std::string StdStr(const QString& s);

// "<prefix>1.0.0 1st Ed" from the build's own version numbers.
std::string VersionText(const std::string& prefix);

// Window heights are kept in twips like the settings file; the pixel size
// follows the screen's real density.
int TwipsToPixels(long twips, const QWidget* widget = nullptr);
long PixelsToTwips(int pixels, const QWidget* widget = nullptr);

// The program's logo (a card with a spade), drawn so no image file is needed.
QPixmap ProgramLogo(int size);

} // namespace scrivo

#pragma once

#include <memory>
#include <string>

#include <QLockFile>
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

// Which copy of the program this is among those running for this user, 0
// for the first: each copy holds a lock file of its number in folder for as
// long as the object lives. A copy that ended without cleaning up leaves a
// stale lock, which the next copy takes over.
class CopySlot {
public:
    explicit CopySlot(const QString& folder);
    ~CopySlot();
    CopySlot(const CopySlot&) = delete;
    CopySlot& operator=(const CopySlot&) = delete;
    int Number() const { return m_number; }

private:
    std::unique_ptr<QLockFile> m_lock;
    int m_number = 0;
};
// This process's copy number (its slot is taken on the first call).
int CopyNumber();
// A later copy's windows sit this far right and down of the one before.
inline constexpr int CopyStepPixels = 32;

// How much larger than the 1024x768 screen the windows were laid out for
// the screen's free area is; never below 1.
double ScreenScale(const QScreen* screen);
// The first placement of a window that has no saved one: its design size
// (outer, pixels) grown with the screen and centred on it; a later copy of
// the program a step further right and down per copy before it, so that it
// does not hide the first.
void PlaceFirstShow(QWidget* window, QSize designSize, int copyNumber);

} // namespace scrivo

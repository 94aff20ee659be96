#pragma once

#include <optional>
#include <string>

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <QString>

#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/Screen.h"

class QScreen;
class QWidget;

namespace scrivo {

// Message boxes of the core shown as modal Qt message boxes, with the
// buttons and icon asked for. An empty title shows the program's name.
class QtMessageBoxService final : public MessageBoxService {
public:
    MsgAnswer Show(const MessageBoxRequest& request) override;
};

// Installs one QtMessageBoxService for the rest of the program's life.
void InstallQtMessageBoxes();

// Twips through the screen's real pixels per inch (1440 twips to the inch):
// the measured density when the screen reports a believable one, else its
// logical density, else 96.
double DotsPerInchX(const QScreen* screen);
double DotsPerInchY(const QScreen* screen);
int TwipsToPixelsX(double twips, const QScreen* screen = nullptr);
int TwipsToPixelsY(double twips, const QScreen* screen = nullptr);
double PixelsToTwipsX(int pixels, const QScreen* screen = nullptr);
double PixelsToTwipsY(int pixels, const QScreen* screen = nullptr);

// The screen (the primary one unless a widget is given) in twips.
class QtScreenMetrics final : public ScreenMetrics {
public:
    explicit QtScreenMetrics(const QWidget* widget = nullptr);
    long WidthTwips() const override;
    long HeightTwips() const override;
    long TwipsPerPixelX() const override;
    long TwipsPerPixelY() const override;

private:
    const QScreen* Screen() const;
    QPointer<const QWidget> m_widget;
};

// Places a top-level window by its outer frame (position optional, size in
// pixels). Until the window manager has framed the window its frame is not
// known: the window is placed as well as can be, and placed again once the
// frame is there, so that a hidden window opens where and as large as asked.
void SetOuterGeometry(QWidget* window, const std::optional<QPoint>& topLeft, const QSize& outerSize);

// A top-level window's position and size in twips (the outer frame, as the
// settings file stores it) and its normal/minimised/maximised state.
class WidgetGeometry final : public FormGeometry {
public:
    explicit WidgetGeometry(QWidget* widget);
    int WindowState() const override;
    void SetWindowState(int state) override;
    long Left() const override;
    long Top() const override;
    long Width() const override;
    long Height() const override;
    void Move(long left, long top, long width, long height) override;

private:
    QPointer<QWidget> m_widget;
};

// Every label of the window that has not been made rich text on purpose
// shows its text as it stands: names come from the shared folder and
// captions from language files, and markup in them must never be read
// (an image tag would load whatever file it names).
void ShowTextsPlain(QWidget* window);
// A tool tip that shows the text as it stands.
QString PlainToolTip(const QString& text);

// The program's clock in a program with windows: a wait for a file that
// another client holds lets the windows answer, repaint and run their
// timers, and tells them which file is waited for. Polls and commands that
// would open files wait until it is over (FileWaitRunning).
class WindowClock final : public QObject, public Clock {
    Q_OBJECT

public:
    TimePoint Now() override;
    void SleepFor(std::chrono::milliseconds ms) override;
    void WaitForLock(const std::string& path, std::chrono::milliseconds ms) override;
    bool Waiting() const { return m_depth > 0; }

signals:
    // A wait for the file at path has begun (once per file and wait), and
    // every wait is over.
    void waitingForFile(const QString& path);
    void waitOver();

private:
    int m_depth = 0;
    std::string m_shownPath;
};

// The program clock is a WindowClock in the middle of a wait for a file.
bool FileWaitRunning();

// UTF-8 std::string <-> QString.
QString ToQ(const std::string& s);
std::string FromQ(const QString& s);

} // namespace scrivo

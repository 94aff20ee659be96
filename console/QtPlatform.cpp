#include "console/QtPlatform.h"

#include <algorithm>
#include <cmath>
#include <thread>

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QTextDocument>
#include <QTimer>
#include <QWidget>

namespace scrivo {

namespace {

constexpr double TwipsPerInch = 1440.0;

const QScreen* OrPrimary(const QScreen* screen)
{
    return screen ? screen : QGuiApplication::primaryScreen();
}

// The screen's measured density when it reports a believable one (virtual
// and some projector screens report nonsense), else the logical one the
// fonts are drawn with, else the classic 96.
double ScreenDpi(const QScreen* s, bool horizontal)
{
    if (!s) return 96.0;
    const double physical = horizontal ? s->physicalDotsPerInchX() : s->physicalDotsPerInchY();
    if (physical >= 72.0 && physical <= 600.0) return physical;
    const double logical = horizontal ? s->logicalDotsPerInchX() : s->logicalDotsPerInchY();
    return logical > 1.0 ? logical : 96.0;
}

QMessageBox::Icon ToQtIcon(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Critical:
        return QMessageBox::Critical;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

QString ToQ(const std::string& s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

std::string FromQ(const QString& s)
{
    return s.toUtf8().toStdString();
}

void ShowTextsPlain(QWidget* window)
{
    for (QLabel* label : window->findChildren<QLabel*>())
        if (label->textFormat() == Qt::AutoText) label->setTextFormat(Qt::PlainText);
}

QString PlainToolTip(const QString& text)
{
    // Tool tips guess at markup: text that looks like it goes escaped into a
    // paragraph of its own.
    if (!Qt::mightBeRichText(text)) return text;
    return QStringLiteral("<p>") + text.toHtmlEscaped() + QStringLiteral("</p>");
}

namespace {

// A long run without a blank (a file's path) would make a box wider than
// the screen: past twenty signs it may break after a separator, and after
// forty anywhere, at invisible zero-width spaces.
QString Breakable(const QString& text)
{
    constexpr int LongestRun = 40;
    QString out;
    out.reserve(text.size() + text.size() / LongestRun);
    int run = 0;
    for (const QChar c : text) {
        out += c;
        run = c.isSpace() ? 0 : run + 1;
        if (run >= LongestRun ||
            (run >= LongestRun / 2 && (c == QLatin1Char('/') || c == QLatin1Char('\\')))) {
            out += QChar(0x200B);
            run = 0;
        }
    }
    return out;
}

} // namespace

MsgAnswer QtMessageBoxService::Show(const MessageBoxRequest& request)
{
    QMessageBox box(QApplication::activeWindow());
    box.setIcon(ToQtIcon(request.icon));
    box.setWindowTitle(request.title.empty() ? QStringLiteral("Scrivo Poker") : ToQ(request.title));
    box.setTextFormat(Qt::PlainText);
    box.setText(Breakable(ToQ(request.text)));
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton escape = QMessageBox::Ok;
    switch (request.buttons) {
    case MsgButtons::Ok:
        buttons = QMessageBox::Ok;
        escape = QMessageBox::Ok;
        break;
    case MsgButtons::OkCancel:
        buttons = QMessageBox::Ok | QMessageBox::Cancel;
        escape = QMessageBox::Cancel;
        break;
    case MsgButtons::RetryCancel:
        buttons = QMessageBox::Retry | QMessageBox::Cancel;
        escape = QMessageBox::Cancel;
        break;
    case MsgButtons::YesNo:
        buttons = QMessageBox::Yes | QMessageBox::No;
        escape = QMessageBox::No;
        break;
    case MsgButtons::YesNoCancel:
        buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        escape = QMessageBox::Cancel;
        break;
    }
    box.setStandardButtons(buttons);
    box.setEscapeButton(escape);
    // Over the window it belongs to, but whole on its screen: placed before
    // it shows and again once it has its final size.
    const QWidget* parent = box.parentWidget();
    const auto keepOnScreen = [&box, parent] {
        QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
        if (!screen) return;
        const QRect area = screen->availableGeometry();
        QRect r(QPoint(0, 0), box.frameGeometry().size().expandedTo(box.sizeHint()));
        r.moveCenter(parent ? parent->frameGeometry().center() : area.center());
        r.moveLeft(std::clamp(r.left(), area.left(), std::max(area.left(), area.right() - r.width() + 1)));
        r.moveTop(std::clamp(r.top(), area.top(), std::max(area.top(), area.bottom() - r.height() + 1)));
        box.move(r.topLeft());
    };
    box.adjustSize();
    keepOnScreen();
    QTimer::singleShot(0, &box, keepOnScreen);
    switch (box.exec()) {
    case QMessageBox::Ok:
        return MsgAnswer::Ok;
    case QMessageBox::Retry:
        return MsgAnswer::Retry;
    case QMessageBox::Yes:
        return MsgAnswer::Yes;
    case QMessageBox::No:
        return MsgAnswer::No;
    default:
        break;
    }
    // Closed by the window's close button: the cautious answer.
    return request.buttons == MsgButtons::YesNo ? MsgAnswer::No
           : request.buttons == MsgButtons::Ok  ? MsgAnswer::Ok
                                                : MsgAnswer::Cancel;
}

void InstallQtMessageBoxes()
{
    static QtMessageBoxService service;
    SetMessageBoxService(&service);
}

double DotsPerInchX(const QScreen* screen)
{
    return ScreenDpi(OrPrimary(screen), true);
}

double DotsPerInchY(const QScreen* screen)
{
    return ScreenDpi(OrPrimary(screen), false);
}

int TwipsToPixelsX(double twips, const QScreen* screen)
{
    return static_cast<int>(std::lround(twips * DotsPerInchX(screen) / TwipsPerInch));
}

int TwipsToPixelsY(double twips, const QScreen* screen)
{
    return static_cast<int>(std::lround(twips * DotsPerInchY(screen) / TwipsPerInch));
}

double PixelsToTwipsX(int pixels, const QScreen* screen)
{
    return pixels * TwipsPerInch / DotsPerInchX(screen);
}

double PixelsToTwipsY(int pixels, const QScreen* screen)
{
    return pixels * TwipsPerInch / DotsPerInchY(screen);
}

QtScreenMetrics::QtScreenMetrics(const QWidget* widget) : m_widget(widget) {}

const QScreen* QtScreenMetrics::Screen() const
{
    if (m_widget && m_widget->screen()) return m_widget->screen();
    return QGuiApplication::primaryScreen();
}

long QtScreenMetrics::WidthTwips() const
{
    const QScreen* s = Screen();
    return s ? std::lround(PixelsToTwipsX(s->geometry().width(), s)) : 0;
}

long QtScreenMetrics::HeightTwips() const
{
    const QScreen* s = Screen();
    return s ? std::lround(PixelsToTwipsY(s->geometry().height(), s)) : 0;
}

long QtScreenMetrics::TwipsPerPixelX() const
{
    return std::max(1L, std::lround(TwipsPerInch / DotsPerInchX(Screen())));
}

long QtScreenMetrics::TwipsPerPixelY() const
{
    return std::max(1L, std::lround(TwipsPerInch / DotsPerInchY(Screen())));
}

WidgetGeometry::WidgetGeometry(QWidget* widget) : m_widget(widget) {}

int WidgetGeometry::WindowState() const
{
    if (!m_widget) return Normal;
    const Qt::WindowStates s = m_widget->windowState();
    if (s & Qt::WindowMinimized) return Minimised;
    if (s & Qt::WindowMaximized) return Maximised;
    return Normal;
}

void WidgetGeometry::SetWindowState(int state)
{
    if (!m_widget) return;
    Qt::WindowStates s = m_widget->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
    if (state == Minimised) s |= Qt::WindowMinimized;
    if (state == Maximised) s |= Qt::WindowMaximized;
    m_widget->setWindowState(s);
}

long WidgetGeometry::Left() const
{
    return m_widget ? std::lround(PixelsToTwipsX(m_widget->frameGeometry().x(), m_widget->screen())) : 0;
}

long WidgetGeometry::Top() const
{
    return m_widget ? std::lround(PixelsToTwipsY(m_widget->frameGeometry().y(), m_widget->screen())) : 0;
}

long WidgetGeometry::Width() const
{
    return m_widget ? std::lround(PixelsToTwipsX(m_widget->frameGeometry().width(), m_widget->screen())) : 0;
}

long WidgetGeometry::Height() const
{
    return m_widget ? std::lround(PixelsToTwipsY(m_widget->frameGeometry().height(), m_widget->screen())) : 0;
}

void WidgetGeometry::Move(long left, long top, long width, long height)
{
    if (!m_widget) return;
    const QScreen* s = m_widget->screen();
    SetOuterGeometry(
        m_widget,
        QPoint(TwipsToPixelsX(static_cast<double>(left), s), TwipsToPixelsY(static_cast<double>(top), s)),
        QSize(TwipsToPixelsX(static_cast<double>(width), s), TwipsToPixelsY(static_cast<double>(height), s)));
}

namespace {

bool FrameKnown(const QWidget* window)
{
    return window->isVisible() && window->frameGeometry().size() != window->size();
}

void ApplyOuter(QWidget* window, const std::optional<QPoint>& topLeft, const QSize& outer)
{
    // The frame's own share comes off the client size.
    const int extraW = window->frameGeometry().width() - window->width();
    const int extraH = window->frameGeometry().height() - window->height();
    if (topLeft) window->move(*topLeft);
    window->resize(std::max(1, outer.width() - extraW), std::max(1, outer.height() - extraH));
}

// Waits on a window for its frame, then places it once more and goes.
class PendingOuterGeometry final : public QObject {
public:
    explicit PendingOuterGeometry(QWidget* window) : QObject(window), m_window(window)
    {
        setObjectName(QStringLiteral("PendingOuterGeometry"));
        window->installEventFilter(this);
    }
    void Set(const std::optional<QPoint>& topLeft, const QSize& outer)
    {
        // A later size without a position keeps the position asked before.
        if (topLeft) m_topLeft = topLeft;
        m_outer = outer;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Show:
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Paint:
        case QEvent::WindowStateChange:
            if (watched == m_window && FrameKnown(m_window)) {
                m_window->removeEventFilter(this);
                // A window opened maximised or minimised keeps the size the
                // window manager gave it.
                if (!(m_window->windowState() &
                      (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)))
                    ApplyOuter(m_window, m_topLeft, m_outer);
                deleteLater();
            }
            break;
        default:
            break;
        }
        return false;
    }

private:
    QWidget* m_window;
    std::optional<QPoint> m_topLeft;
    QSize m_outer;
};

} // namespace

void SetOuterGeometry(QWidget* window, const std::optional<QPoint>& topLeft, const QSize& outerSize)
{
    // Found by name: the class has no meta-object of its own to find it by.
    auto* pending = dynamic_cast<PendingOuterGeometry*>(
        window->findChild<QObject*>(QStringLiteral("PendingOuterGeometry"), Qt::FindDirectChildrenOnly));
    if (FrameKnown(window)) {
        delete pending;
        ApplyOuter(window, topLeft, outerSize);
        return;
    }
    // No frame yet: its share is not known, so the outer size goes on the
    // client for now and is put right when the frame appears.
    ApplyOuter(window, topLeft, outerSize);
    if (!pending) pending = new PendingOuterGeometry(window);
    pending->Set(topLeft, outerSize);
}

WindowClock::TimePoint WindowClock::Now()
{
    return std::chrono::steady_clock::now();
}

void WindowClock::SleepFor(std::chrono::milliseconds ms)
{
    std::this_thread::sleep_for(ms);
}

void WindowClock::WaitForLock(const std::string& path, std::chrono::milliseconds ms)
{
    if (m_depth == 0 && path != m_shownPath) {
        m_shownPath = path;
        emit waitingForFile(ToQ(path));
    }
    ++m_depth;
    // Events run for the whole pause, without spinning a core.
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(std::max<long long>(1, ms.count())), &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeSocketNotifiers);
    --m_depth;
    if (m_depth == 0) {
        // The caller tries the lock again; when it still waits, the next
        // pause says so again only for another file.
        QTimer::singleShot(0, this, [this] {
            if (m_depth > 0) return;
            m_shownPath.clear();
            emit waitOver();
        });
    }
}

bool FileWaitRunning()
{
    const auto* clock = dynamic_cast<const WindowClock*>(&ProgramClock());
    return clock && clock->Waiting();
}

} // namespace scrivo

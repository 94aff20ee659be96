#include "ui/UiCommon.h"

#include <algorithm>

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTranslator>
#include <QWidget>

#include "settings/Language.h"
#include "settings/Settings.h"

namespace scrivo {

std::string VersionText(const std::string& prefix)
{
    // SCRIVO_VERSION is "major.minor.revision"; each part is printed as a
    // plain number without leading zeros.
    std::string version = SCRIVO_VERSION;
    std::string out = prefix;
    std::size_t start = 0;
    for (int part = 0; part < 3; ++part) {
        const std::size_t dot = version.find('.', start);
        std::string piece = version.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
        long n = 0;
        for (char c : piece) {
            if (c < '0' || c > '9') break;
            n = n * 10 + (c - '0');
        }
        if (part > 0) out += '.';
        out += std::to_string(n);
        if (dot == std::string::npos) {
            start = version.size();
        } else {
            start = dot + 1;
        }
    }
    return out + " 1st Ed";
}

QPixmap ProgramLogo(int size)
{
    QPixmap pix(size, size);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    // Green felt disc with a white card on it.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1b, 0x6b, 0x3a));
    p.drawEllipse(QRectF(0.02 * s, 0.02 * s, 0.96 * s, 0.96 * s));
    QRectF card(0.28 * s, 0.16 * s, 0.44 * s, 0.64 * s);
    p.setPen(QPen(QColor(0x33, 0x33, 0x33), std::max(1.0, s / 64.0)));
    p.setBrush(Qt::white);
    p.drawRoundedRect(card, s * 0.05, s * 0.05);
    // A spade: two lobes, a point and a stem.
    const double cx = 0.5 * s;
    const double cy = 0.47 * s;
    const double r = 0.085 * s;
    QPainterPath spade;
    spade.moveTo(cx, cy - 2.2 * r);
    spade.cubicTo(cx + 0.6 * r, cy - 1.2 * r, cx + 2.1 * r, cy - 0.6 * r, cx + 1.8 * r, cy + 0.6 * r);
    spade.cubicTo(cx + 1.6 * r, cy + 1.4 * r, cx + 0.6 * r, cy + 1.5 * r, cx, cy + 0.7 * r);
    spade.cubicTo(cx - 0.6 * r, cy + 1.5 * r, cx - 1.6 * r, cy + 1.4 * r, cx - 1.8 * r, cy + 0.6 * r);
    spade.cubicTo(cx - 2.1 * r, cy - 0.6 * r, cx - 0.6 * r, cy - 1.2 * r, cx, cy - 2.2 * r);
    spade.moveTo(cx, cy + 0.6 * r);
    spade.lineTo(cx + 0.7 * r, cy + 2.1 * r);
    spade.lineTo(cx - 0.7 * r, cy + 2.1 * r);
    spade.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x11, 0x11, 0x11));
    p.drawPath(spade);
    return pix;
}

void ApplyQtTranslation(const Language& language, const Settings& settings)
{
    static QTranslator translator;
    std::string code;
    for (std::size_t i = 0; i < language.LangNames.size() && i < language.LangCodes.size(); ++i)
        if (!settings.Language.empty() && language.LangNames[i] == settings.Language)
            code = language.LangCodes[i];
    QCoreApplication::removeTranslator(&translator);
    if (code.empty() || code == "en") return;
    if (translator.load(QLocale(QString::fromStdString(code)), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&translator);
}

namespace {

constexpr int CopySlots = 8;

} // namespace

CopySlot::CopySlot(const QString& folder)
{
    for (int n = 0; n < CopySlots; ++n) {
        auto lock = std::make_unique<QLockFile>(
            QDir(folder).filePath(QStringLiteral("scrivo-poker-copy-%1.lock").arg(n)));
        // A running copy keeps its slot however long it runs; the lock of
        // one that crashed names a process that is gone and is taken over.
        lock->setStaleLockTime(0);
        if (lock->tryLock(0)) {
            m_lock = std::move(lock);
            m_number = n;
            return;
        }
    }
    m_number = CopySlots; // every slot is taken: the last step further on
}

CopySlot::~CopySlot() = default;

int CopyNumber()
{
    static const CopySlot slot(QDir::tempPath() + QStringLiteral("/scrivo-poker-") +
                               QString::fromLocal8Bit(qgetenv("USER")));
    return slot.Number();
}

double ScreenScale(const QScreen* screen)
{
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return 1.0;
    const QRect free = screen->availableGeometry();
    return std::max(1.0, std::min(free.width() / 1024.0, free.height() / 768.0));
}

void PlaceFirstShow(QWidget* window, QSize designSize, int copyNumber)
{
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect free = screen->availableGeometry();
    const double scale = ScreenScale(screen);
    const QSize size(std::min(free.width(), static_cast<int>(designSize.width() * scale + 0.5)),
                     std::min(free.height(), static_cast<int>(designSize.height() * scale + 0.5)));
    const QPoint centred(free.x() + (free.width() - size.width()) / 2,
                         free.y() + (free.height() - size.height()) / 2);
    const int step = CopyStepPixels * std::max(0, copyNumber);
    const QPoint shifted(std::min(centred.x() + step, std::max(free.x(), free.right() + 1 - size.width())),
                         std::min(centred.y() + step, std::max(free.y(), free.bottom() + 1 - size.height())));
    SetOuterGeometry(window, shifted, size);
}

} // namespace scrivo

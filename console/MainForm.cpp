#include "console/MainForm.h"

#include <algorithm>

#include <QApplication>
#include <QIcon>
#include <QStyle>
#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QTextEdit>
#include <QTimer>

#include "console/CommandEntry.h"
#include "console/LogPane.h"
#include "console/Looks.h"
#include "console/QtPlatform.h"
#include "console/SeatPanel.h"
#include "engine/Table.h"
#include "platform/MessageBox.h"
#include "settings/Language.h"
#include "settings/Settings.h"
#include "settings/TextIds.h"

namespace scrivo {

namespace {

// Design sizes, twips.
constexpr double DesignWidth = 9600;
constexpr double DesignHeight = 7200;
// Caption, menu and borders of a classic framed window: the layout's
// lengths count them in, so they are added to the client size.
constexpr double FrameWidth = 120;
constexpr double FrameHeight = 765;
constexpr double LineHeight = 300;
// The narrowest log that is kept clear of a moved tool box.
constexpr double MinLogWidth = 3000;
// The docked tool box's distance to the window's edges and to the log.
constexpr double DockMargin = 60;

int Px(double twips)
{
    return TwipsToPixelsX(twips);
}
int Py(double twips)
{
    return TwipsToPixelsY(twips);
}

QString Suffixed(const std::string& caption, const char* suffix)
{
    return ToQ(caption) + QString::fromLatin1(suffix);
}

} // namespace

void MainForm::BuildWidgets()
{
    m_back = new QWidget(this);
    m_back->setObjectName(QStringLiteral("MainFormClient"));
    setCentralWidget(m_back);

    BackLbl = MakeLabel(m_back, "BackLbl", 0, 0, DesignWidth, DesignHeight - 800);
    SetGround(BackLbl, bgr::White);

    RTB1 = new QTextEdit(m_back);
    RTB1->setObjectName(QStringLiteral("RTB1"));
    RTB1->setReadOnly(true);
    RTB1->setLineWrapMode(QTextEdit::NoWrap);
    RTB1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    RTB1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    RTB1->setFrameShape(QFrame::NoFrame);
    RTB1->document()->setDocumentMargin(1);
    RTB1->document()->setUndoRedoEnabled(false);
    RTB1->setGeometry(0, Py(DesignHeight - 1365), Px(DesignWidth + 10), Py(LineHeight));

    m_log = new LogPane(m_back, m_settings, m_language,
                        {[this] { return MyNo(); }, [this] { StopTimer1(); }, [this] { StartTimer1(); }});
    RTB2 = m_log->Pane();
    RTB2->setGeometry(0, 0, Px(DesignWidth - 140), Py(DesignHeight - 1400));

    m_entry = new CommandEntry(m_back);
    connect(m_entry, &CommandEntry::amountEntered, this, &MainForm::EnterAmount);
    connect(m_entry, &CommandEntry::chatEntered, this, &MainForm::SendChatLine);
    connect(m_entry, &CommandEntry::cancelled, this, &MainForm::CancelEntry);

    ToolBox = new SeatPanel(m_back);
    connect(ToolBox, &SeatPanel::commandRequested, this, [this](const QString& l) { DoCommand(FromQ(l)); });
    connect(ToolBox, &SeatPanel::startRoundRequested, this, &MainForm::StartRoundCommand);
    connect(ToolBox, &SeatPanel::betSizeRequested, this, &MainForm::FillBetSize);
    connect(ToolBox, &SeatPanel::closeRequested, this, &MainForm::ToggleToolBox);
    connect(ToolBox, &SeatPanel::focusReturned, this, [this] { RTB2->setFocus(); });
    connect(ToolBox, &SeatPanel::dragged, this, [this] {
        // Where the player puts it, it stays; the log has its full width back.
        m_toolDocked = false;
        LayoutForm();
    });

    for (QWidget* w : std::initializer_list<QWidget*>{m_back, RTB1, RTB2})
        w->installEventFilter(this);
    RTB2->raise();
    ToolBox->raise();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    connect(Timer1, &QTimer::timeout, this, &MainForm::OnTimer1);
}

void MainForm::BuildMenus()
{
    QMenuBar* bar = menuBar();
    mFile = bar->addMenu(QString());
    mSave = mFile->addAction(QString(), this, &MainForm::SaveText);
    mHandHistory = mFile->addAction(QString(), this, &MainForm::ExportHandHistory);
    mFile->addSeparator();
    mSpeech = mFile->addAction(QString());
    mSpeech->setEnabled(false);
    mFile->addSeparator();
    mExit = mFile->addAction(QString(), this, [this] { close(); });

    mView = bar->addMenu(QString());
    mToolHide = mView->addAction(QString(), this, &MainForm::ToggleToolBox);
    mToolHide->setCheckable(true);
    mToolHide->setChecked(true);
    mSbar = mView->addAction(QString(), this, &MainForm::ToggleStatusBar);
    mSbar->setCheckable(true);
    mSbar->setChecked(true);
    mView->addSeparator();
    mScrivo = mView->addAction(QString(), this, &MainForm::ToggleScrivo);
    mScrivo->setCheckable(true);

    mTools = bar->addMenu(QString());
    mChkCall = mTools->addAction(QString(), this, [this] { DoCommand("C"); });
    mBet = mTools->addAction(QString(), this, [this] { DoCommand("B"); });
    mFold = mTools->addAction(QString(), this, [this] { DoCommand("F"); });
    mAllIn = mTools->addAction(QString(), this, [this] { DoCommand("A"); });
    mTools->addSeparator();
    mMsg = mTools->addAction(QString(), this, [this] { DoCommand("M"); });
    mStartRound = mTools->addAction(QString(), this, &MainForm::StartRoundCommand);
    mTools->addSeparator();
    // The table keeps polling while one of the program's dialogs is up:
    // the other players and the bots do not wait for this one.
    mVOpt = mTools->addAction(QString(), this, [this] { emit optionsRequested(); });

    mhelp = bar->addMenu(QString());
    mInstr = mhelp->addAction(QString(), this, [this] { emit instructionsRequested(); });
    mAbout = mhelp->addAction(QString(), this, [this] { emit aboutRequested(); });

    const std::pair<QObject*, const char*> names[] = {{mFile, "mFile"},
                                                      {mSave, "mSave"},
                                                      {mHandHistory, "mHandHistory"},
                                                      {mSpeech, "mSpeech"},
                                                      {mExit, "mExit"},
                                                      {mView, "mView"},
                                                      {mToolHide, "mToolHide"},
                                                      {mSbar, "mSbar"},
                                                      {mScrivo, "mScrivo"},
                                                      {mTools, "mTools"},
                                                      {mChkCall, "mChkCall"},
                                                      {mBet, "mBet"},
                                                      {mFold, "mFold"},
                                                      {mAllIn, "mAllIn"},
                                                      {mMsg, "mMsg"},
                                                      {mStartRound, "mStartRound"},
                                                      {mVOpt, "mVOpt"},
                                                      {mhelp, "mhelp"},
                                                      {mInstr, "mInstr"},
                                                      {mAbout, "mAbout"}};
    for (const auto& [object, name] : names)
        object->setObjectName(QString::fromLatin1(name));
}

void MainForm::SetDesignCaptions()
{
    mFile->setTitle(QStringLiteral("&File"));
    mSave->setText(QStringLiteral("Save Text..."));
    mHandHistory->setText(QStringLiteral("Export hand history..."));
    mSpeech->setText(QStringLiteral("Speech"));
    mExit->setText(QStringLiteral("E&xit"));
    mView->setTitle(QStringLiteral("&View"));
    mToolHide->setText(QStringLiteral("Info Pane [T]"));
    mSbar->setText(QStringLiteral("Status Bar [U]"));
    mScrivo->setText(QStringLiteral("Scrivo Mode! [N]"));
    mTools->setTitle(QStringLiteral("Tools"));
    mChkCall->setText(QStringLiteral("Check / Call [C]"));
    mBet->setText(QStringLiteral("Bet / Raise [B]"));
    mFold->setText(QStringLiteral("Fold [F]"));
    mAllIn->setText(QStringLiteral("All In [A]"));
    mMsg->setText(QStringLiteral("Message [M]"));
    mStartRound->setText(QStringLiteral("Start Round [S]"));
    mVOpt->setText(QStringLiteral("Options..."));
    mhelp->setTitle(QStringLiteral("&Help"));
    mInstr->setText(QStringLiteral("Instructions"));
    mAbout->setText(QStringLiteral("About..."));
}

void MainForm::ApplyLang()
{
    if (m_language.AppText[Cap::Ok].empty()) return;
    ToolBox->ApplyLang(m_language);
    mFile->setTitle(ToQ(m_language.AppText[Cap::MenuFile]));
    mView->setTitle(ToQ(m_language.AppText[Cap::MenuView]));
    mTools->setTitle(ToQ(m_language.AppText[Cap::MenuTools]));
    mhelp->setTitle(ToQ(m_language.AppText[Cap::MenuHelp]));
    mSave->setText(ToQ(m_language.AppText[Cap::SaveText]));
    mHandHistory->setText(ToQ(m_language.AppText[Cap::ExportHandHistory]));
    mSpeech->setText(ToQ(m_language.AppText[Cap::Speech]));
    mExit->setText(ToQ(m_language.AppText[Cap::Exit]));
    mToolHide->setText(Suffixed(m_language.AppText[Cap::InfoPane], " [T]"));
    mSbar->setText(Suffixed(m_language.AppText[Cap::StatusBar], " [U]"));
    mScrivo->setText(Suffixed(m_language.AppText[Cap::ScrivoMode], " [N]"));
    mChkCall->setText(Suffixed(m_language.AppText[Cap::MenuCheckCall], " [C]"));
    mBet->setText(Suffixed(m_language.AppText[Cap::MenuBetRaise], " [B]"));
    mFold->setText(Suffixed(m_language.AppText[Cap::MenuFold], " [F]"));
    mAllIn->setText(Suffixed(m_language.AppText[Cap::MenuAllIn], " [A]"));
    mMsg->setText(Suffixed(m_language.AppText[Cap::MenuMessage], " [M]"));
    mStartRound->setText(Suffixed(m_language.AppText[Cap::MenuStartRound], " [S]"));
    mVOpt->setText(ToQ(m_language.AppText[Cap::Options]));
    mInstr->setText(ToQ(m_language.AppText[Cap::Instructions]));
    mAbout->setText(ToQ(m_language.AppText[Cap::About]));
}

// ---------------------------------------------------------------- layout

double MainForm::LayoutWidth() const
{
    return PixelsToTwipsX(m_back->width(), screen()) + FrameWidth;
}

double MainForm::LayoutHeight() const
{
    return PixelsToTwipsY(m_back->height(), screen()) + FrameHeight;
}

void MainForm::LayoutForm()
{
    // Until the window is shown the client area has no real size, and the
    // tool box would be pulled to wherever that tiny area ends.
    if (!m_back || !m_back->isVisible()) return;
    const double w = LayoutWidth();
    const double h = LayoutHeight();
    auto setWidth = [](QWidget* c, double twips) { c->resize(std::max(1, Px(twips)), c->height()); };
    auto setHeight = [](QWidget* c, double twips) { c->resize(c->width(), std::max(1, Py(twips))); };
    auto setTop = [](QWidget* c, double twips) { c->move(c->x(), Py(twips)); };
    if (w > 2500) {
        // The lines under the log end at the client's right edge: wider,
        // their right end (the entry line's frame) would be cut off.
        const double clientWidth = w - FrameWidth;
        setWidth(BackLbl, clientWidth);
        setWidth(RTB1, clientWidth);
        double logLeft = 0;
        double logRight = w - 140;
        const double toolWidth = PixelsToTwipsX(ToolBox->width(), screen());
        if (m_toolDocked && !ToolBox->isHidden()) {
            const double left = std::max(0.0, w - FrameWidth - toolWidth - DockMargin);
            ToolBox->move(Px(left), Py(DockMargin));
            logRight = std::min(logRight, left - DockMargin);
        } else if (!ToolBox->isHidden()) {
            // A moved tool box covers no text: the log keeps to the wider
            // side of it, and runs under it only when that side is too narrow.
            if (!m_toolDocked) KeepToolBoxInside();
            const double left = PixelsToTwipsX(ToolBox->x(), screen());
            const double right = left + toolWidth + DockMargin;
            if (left - DockMargin >= clientWidth - right) {
                if (left - DockMargin >= MinLogWidth) logRight = std::min(logRight, left - DockMargin);
            } else if (logRight - right >= MinLogWidth) {
                logLeft = right;
            }
        }
        RTB2->setGeometry(Px(logLeft), RTB2->y(), std::max(1, Px(logRight - logLeft)), RTB2->height());
        m_entry->SetWidth(std::max(1, Px(clientWidth)));
    }
    // A larger font makes the hand line taller; the log gives up the room.
    const double taller = LineHeight * (TextScale() - 1.0);
    setTop(RTB1, h - 1365 - taller);
    setHeight(RTB1, LineHeight + taller);
    m_entry->SetTop(Py(h - 1065));
    if (h > 4000) {
        setHeight(BackLbl, h - 800);
        setHeight(RTB2, m_settings.StatusBar ? h - 1400 - taller : h - 1100);
    }
    // The hand line is the status bar: with it off, the log covers it.
    RTB1->setVisible(m_settings.StatusBar);
    if (!m_toolDocked) KeepToolBoxInside();
}

void MainForm::KeepToolBoxInside()
{
    const double w = LayoutWidth();
    const double h = LayoutHeight();
    double left = ToolBoxLeft();
    double top = ToolBoxTop();
    const double width = PixelsToTwipsX(ToolBox->width(), screen());
    const double height = PixelsToTwipsY(ToolBox->height(), screen());
    const double clientWidth = w - FrameWidth;
    if (left + width > clientWidth) left = clientWidth - width;
    if (left < 0) left = 0;
    if (top + height + 500 > h && top > 500) top = h - (height + 500);
    if (top < 50) top = 50;
    ToolBox->move(Px(left), Py(top));
}

double MainForm::ToolBoxLeft() const
{
    if (m_toolDocked) return -1;
    return PixelsToTwipsX(ToolBox->x(), screen());
}

double MainForm::ToolBoxTop() const
{
    return PixelsToTwipsY(ToolBox->y(), screen());
}

void MainForm::SetToolBoxLeft(double twips)
{
    m_toolDocked = twips < 0;
    if (!m_toolDocked) ToolBox->move(Px(twips), ToolBox->y());
    LayoutForm();
}

void MainForm::SetToolBoxTop(double twips)
{
    if (!m_toolDocked) ToolBox->move(ToolBox->x(), Py(twips));
    LayoutForm();
}

FormGeometry& MainForm::Geometry()
{
    return *m_geometry;
}

// ---------------------------------------------------------------- looks

void MainForm::ToggleScrivo()
{
    m_settings.ScrivoMode = !m_settings.ScrivoMode;
    SetPlainMode(m_settings.ScrivoMode);
    mScrivo->setChecked(m_settings.ScrivoMode);
}

void MainForm::ApplyDisguise()
{
    // Disguised, the window passes for a text editor's.
    if (m_settings.ScrivoMode) {
        setWindowTitle(QStringLiteral("notes.txt - Text Editor"));
        QIcon icon = QIcon::fromTheme(QStringLiteral("accessories-text-editor"));
        setWindowIcon(icon.isNull() ? style()->standardIcon(QStyle::SP_FileIcon) : icon);
    } else {
        setWindowTitle(m_table ? ToQ(m_table->Session().GameName) : QString());
        setWindowIcon(QApplication::windowIcon());
    }
}

void MainForm::SetPlainMode(bool on)
{
    StopTimer1();
    ApplyDisguise();
    ToolBox->setVisible(!on);
    mToolHide->setChecked(!on);
    m_settings.StatusBar = !on;
    mSbar->setChecked(m_settings.StatusBar);
    LayoutForm();
    MsgRefresh();
    if (m_table) DrawHandLine(*m_table);
    StartTimer1();
}

void MainForm::ToggleToolBox()
{
    ToolBox->setVisible(ToolBox->isHidden());
    mToolHide->setChecked(!ToolBox->isHidden());
    // The log takes the room the docked tool box leaves, and gives it back.
    LayoutForm();
}

void MainForm::ToggleStatusBar()
{
    m_settings.StatusBar = !m_settings.StatusBar;
    mSbar->setChecked(m_settings.StatusBar);
    LayoutForm();
}

// ---------------------------------------------------------------- events

bool MainForm::eventFilter(QObject* watched, QEvent* event)
{
    const bool pane = watched == RTB1 || watched == RTB2;
    switch (event->type()) {
    case QEvent::Resize:
    case QEvent::Show:
        if (watched == m_back) LayoutForm();
        break;
    case QEvent::KeyPress:
        if (pane) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (const char letter = CommandEntry::CommandLetter(*key)) {
                DoCommand(std::string(1, letter));
                return true;
            }
            if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
            // Typed text never reaches the panes; navigation keys still scroll.
            return !key->text().isEmpty() && key->text().at(0).isPrint();
        }
        break;
    case QEvent::FocusIn:
        if (pane) m_entry->FocusOpenBox();
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace scrivo

#include "console/MainForm.h"

#include <algorithm>

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFontDatabase>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>

#include "console/Looks.h"
#include "console/QtPlatform.h"
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
constexpr double ToolBoxWidth = 2655;
constexpr double SeatTop = 2010;
constexpr double SeatStep = 240;

int Px(double twips)
{
    return TwipsToPixelsX(twips);
}
int Py(double twips)
{
    return TwipsToPixelsY(twips);
}

QFont MakeFont(const QString& family, double points, bool bold = false)
{
    QFont f(family);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

QLabel* MakeLabel(QWidget* parent, const char* name, double left, double top, double width, double height,
                  const QString& text = {})
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(Px(left), Py(top), Px(width), Py(height));
    return l;
}

QPushButton* MakeButton(QWidget* parent, const char* name, double left, double top, double width,
                        const QString& text, const QString& tip = {})
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(Px(left), Py(top), Px(width), Py(330));
    b->setToolTip(tip);
    // The panes keep the keyboard: a button click never takes the focus.
    b->setFocusPolicy(Qt::NoFocus);
    return b;
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
    RTB1->setGeometry(0, Py(DesignHeight - 1365), Px(DesignWidth + 10), Py(LineHeight));

    RTB2 = new QTextEdit(m_back);
    RTB2->setObjectName(QStringLiteral("RTB2"));
    RTB2->setReadOnly(true);
    RTB2->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    RTB2->setGeometry(0, 0, Px(DesignWidth - 140), Py(DesignHeight - 1400));
    // The panes are only ever written by the program: no undo history to keep.
    RTB1->document()->setUndoRedoEnabled(false);
    RTB2->document()->setUndoRedoEnabled(false);
    RTB2->setFont(MakeFont(ToQ(m_settings.FontName.empty() ? std::string("Arial") : m_settings.FontName),
                           m_settings.FontSize > 0 ? static_cast<double>(m_settings.FontSize) : 10.0));

    auto makeLine = [this](const char* name) {
        auto* e = new QLineEdit(m_back);
        e->setObjectName(QString::fromLatin1(name));
        e->setGeometry(0, Py(DesignHeight - 1065), Px(DesignWidth), Py(LineHeight));
        return e;
    };
    StatusMsg = makeLine("StatusMsg");
    StatusMsg->setReadOnly(true);
    StatusMsg->setFocusPolicy(Qt::NoFocus);
    EnterBox = makeLine("EnterBox");
    EnterBox->hide();
    EnterMsgBox = makeLine("EnterMsgBox");
    EnterMsgBox->hide();
    connect(EnterBox, &QLineEdit::returnPressed, this, &MainForm::EnterAmount);
    connect(EnterMsgBox, &QLineEdit::returnPressed, this, &MainForm::SendChatLine);

    // The floating tool box.
    ToolBox = new QFrame(m_back);
    ToolBox->setObjectName(QStringLiteral("ToolBox"));
    ToolBox->setFrameStyle(QFrame::Panel | QFrame::Raised);
    ToolBox->setLineWidth(2);
    ToolBox->setAutoFillBackground(true);
    ToolBox->setFocusPolicy(Qt::NoFocus);
    ToolBox->setGeometry(Px(2700), Py(1620), Px(ToolBoxWidth), Py(SeatTop + 8 * SeatStep + 310));

    ToolHandle = MakeLabel(ToolBox, "ToolHandle", 0, 0, ToolBoxWidth, 270);
    SetGround(ToolHandle, 0x800000); // dark blue, like a title bar
    ToolHandle->setCursor(Qt::SizeAllCursor);
    PlayerLbl = MakeLabel(ToolBox, "PlayerLbl", 75, 15, 2250, 240);
    PlayerLbl->setFont(MakeFont(QStringLiteral("Arial"), 8.25, true));
    SetTextColour(PlayerLbl, bgr::White);
    PlayerLbl->setCursor(Qt::SizeAllCursor);
    CloseLbl = MakeLabel(ToolBox, "CloseLbl", 2385, 15, 225, 240, QStringLiteral("x"));
    CloseLbl->setFont(MakeFont(QStringLiteral("Arial"), 9, true));
    CloseLbl->setAlignment(Qt::AlignCenter);
    SetTextColour(CloseLbl, bgr::White);
    CloseLbl->setCursor(Qt::PointingHandCursor);

    CashCaption = MakeLabel(ToolBox, "CashCaption", 90, 345, 600, 240, QStringLiteral("Cash:"));
    CashLbl = MakeLabel(ToolBox, "CashLbl", 690, 345, 1900, 240);
    PotCaption = MakeLabel(ToolBox, "PotCaption", 90, 600, 600, 240, QStringLiteral("Pot:"));
    PotLbl = MakeLabel(ToolBox, "PotLbl", 690, 600, 1900, 240);
    for (QLabel* l : {CashCaption, PotCaption})
        l->setFont(MakeFont(QStringLiteral("Arial"), 9));
    for (QLabel* l : {CashLbl, PotLbl})
        l->setFont(MakeFont(QStringLiteral("Arial"), 9, true));

    // Two rows of two, wide enough for the language files' captions.
    C_Button =
        MakeButton(ToolBox, "C_Button", 90, 870, 1230, QStringLiteral("C/C"), QStringLiteral("Check/Call"));
    B_Button =
        MakeButton(ToolBox, "B_Button", 1350, 870, 1230, QStringLiteral("B"), QStringLiteral("Bet/Raise"));
    F_Button = MakeButton(ToolBox, "F_Button", 90, 1230, 1230, QStringLiteral("F"), QStringLiteral("Fold"));
    M_Button =
        MakeButton(ToolBox, "M_Button", 1350, 1230, 1230, QStringLiteral("Msg"), QStringLiteral("Message"));
    StartRoundBtn = MakeButton(ToolBox, "StartRoundBtn", 90, 1590, 2490, QStringLiteral("Start Round"));
    connect(C_Button, &QPushButton::clicked, this, [this] { DoCommand("C"); });
    connect(B_Button, &QPushButton::clicked, this, [this] { DoCommand("B"); });
    connect(F_Button, &QPushButton::clicked, this, [this] { DoCommand("F"); });
    connect(M_Button, &QPushButton::clicked, this, [this] { DoCommand("M"); });
    connect(StartRoundBtn, &QPushButton::clicked, this, &MainForm::StartRoundCommand);

    for (int i = 0; i < 9; ++i) {
        const double top = SeatTop + i * SeatStep;
        const QString n = QString::number(i);
        PlayersLbl[i] = MakeLabel(ToolBox, "PlayersLbl", 90, top, 1230, 225);
        PlayersCash[i] = MakeLabel(ToolBox, "PlayersCash", 1335, top, 780, 225);
        BlindsLbl[i] = MakeLabel(ToolBox, "BlindsLbl", 2130, top, 300, 225);
        StateLbl[i] = MakeLabel(ToolBox, "StateLbl", 2445, top, 165, 225);
        PlayersLbl[i]->setObjectName(QStringLiteral("PlayersLbl") + n);
        PlayersCash[i]->setObjectName(QStringLiteral("PlayersCash") + n);
        BlindsLbl[i]->setObjectName(QStringLiteral("BlindsLbl") + n);
        StateLbl[i]->setObjectName(QStringLiteral("StateLbl") + n);
        PlayersLbl[i]->setFont(MakeFont(QStringLiteral("Arial"), 8.25));
        PlayersCash[i]->setFont(MakeFont(QStringLiteral("Arial"), 8.25));
        SetTextColour(PlayersLbl[i], bgr::Blue);
        SetTextColour(PlayersCash[i], bgr::Blue);
        BlindsLbl[i]->setFont(MakeFont(QStringLiteral("Arial"), 7, true));
        BlindsLbl[i]->setAlignment(Qt::AlignCenter);
        SetTextColour(BlindsLbl[i], bgr::White);
        SetGround(BlindsLbl[i], bgr::DarkRed);
        StateLbl[i]->setFont(MakeFont(QStringLiteral("MS Sans Serif"), 8.25, true));
        StateLbl[i]->setAlignment(Qt::AlignCenter);
        for (QLabel* l : {PlayersLbl[i], PlayersCash[i], BlindsLbl[i], StateLbl[i]})
            l->hide();
    }

    for (QWidget* w : std::initializer_list<QWidget*>{m_back, RTB1, RTB2, ToolHandle, PlayerLbl, CloseLbl,
                                                      ToolBox, EnterBox, EnterMsgBox})
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
    // No poll runs while one of the program's dialogs is up.
    mVOpt = mTools->addAction(QString(), this, [this] {
        StopTimer1();
        emit optionsRequested();
        StartTimer1();
    });

    mhelp = bar->addMenu(QString());
    mInstr = mhelp->addAction(QString(), this, [this] { emit instructionsRequested(); });
    mAbout = mhelp->addAction(QString(), this, [this] {
        StopTimer1();
        emit aboutRequested();
        StartTimer1();
    });

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
    StartRoundBtn->setText(ToQ(m_language.AppText[Cap::StartRound]));
    M_Button->setText(ToQ(m_language.AppText[Cap::MessageButton]));
    M_Button->setToolTip(ToQ(m_language.AppText[Cap::MenuMessage]));
    C_Button->setText(ToQ(m_language.AppText[Cap::CheckCall]));
    C_Button->setToolTip(ToQ(m_language.AppText[Cap::MenuCheckCall]));
    F_Button->setText(ToQ(m_language.AppText[Cap::Fold]));
    F_Button->setToolTip(ToQ(m_language.AppText[Cap::MenuFold]));
    B_Button->setText(ToQ(m_language.AppText[Cap::BetRaise]));
    B_Button->setToolTip(ToQ(m_language.AppText[Cap::MenuBetRaise]));
    CashCaption->setText(ToQ(m_language.AppText[Cap::Cash]));
    PotCaption->setText(ToQ(m_language.AppText[Cap::Pot]));
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
        setWidth(BackLbl, w);
        setWidth(RTB1, w + 10);
        setWidth(RTB2, w - 140);
        for (QWidget* c : {static_cast<QWidget*>(EnterMsgBox), static_cast<QWidget*>(EnterBox),
                           static_cast<QWidget*>(StatusMsg)})
            setWidth(c, w);
    }
    setTop(RTB1, h - 1365);
    for (QWidget* c : {static_cast<QWidget*>(EnterMsgBox), static_cast<QWidget*>(EnterBox),
                       static_cast<QWidget*>(StatusMsg)})
        setTop(c, h - 1065);
    if (h > 4000) {
        setHeight(BackLbl, h - 800);
        setHeight(RTB2, m_settings.StatusBar ? h - 1400 : h - 1100);
    }
    // The hand line is the status bar: with it off, the log covers it.
    RTB1->setVisible(m_settings.StatusBar);
    KeepToolBoxInside();
}

void MainForm::KeepToolBoxInside()
{
    const double w = LayoutWidth();
    const double h = LayoutHeight();
    double left = ToolBoxLeft();
    double top = ToolBoxTop();
    const double width = PixelsToTwipsX(ToolBox->width(), screen());
    const double height = PixelsToTwipsY(ToolBox->height(), screen());
    if (left + width > w) left = w - width;
    if (top + height + 500 > h && top > 500) top = h - (height + 500);
    if (top < 50) top = 50;
    ToolBox->move(Px(left), Py(top));
}

double MainForm::ToolBoxLeft() const
{
    return PixelsToTwipsX(ToolBox->x(), screen());
}

double MainForm::ToolBoxTop() const
{
    return PixelsToTwipsY(ToolBox->y(), screen());
}

void MainForm::SetToolBoxLeft(double twips)
{
    ToolBox->move(Px(twips), ToolBox->y());
}

void MainForm::SetToolBoxTop(double twips)
{
    ToolBox->move(ToolBox->x(), Py(twips));
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

void MainForm::SetPlainMode(bool on)
{
    StopTimer1();
    ToolBox->setVisible(!on);
    mToolHide->setChecked(!on);
    m_settings.StatusBar = !on;
    mSbar->setChecked(m_settings.StatusBar);
    LayoutForm();
    MsgRefresh();
    StartTimer1();
}

void MainForm::ToggleToolBox()
{
    ToolBox->setVisible(!ToolBox->isVisible());
    mToolHide->setChecked(!ToolBox->isHidden());
}

void MainForm::ToggleStatusBar()
{
    m_settings.StatusBar = !m_settings.StatusBar;
    mSbar->setChecked(m_settings.StatusBar);
    LayoutForm();
}

QString MainForm::PlainFontFamily() const
{
    static const QString family = [] {
        const QString lucida = QStringLiteral("Lucida Console");
        if (QFontDatabase::families().contains(lucida, Qt::CaseInsensitive)) return lucida;
        return QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
    }();
    return family;
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
            if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
                return false; // copy, select all: the pane's own keys
            const int code = key->key();
            if (code >= 0x21 && code < 0x7F) {
                DoCommand(std::string(1, static_cast<char>(QChar(code).toUpper().toLatin1())));
                return true;
            }
            // Typed text never reaches the panes; navigation keys still scroll.
            return !key->text().isEmpty() && key->text().at(0).isPrint();
        }
        if ((watched == EnterBox || watched == EnterMsgBox) &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            CancelEntry();
            return true;
        }
        break;
    case QEvent::FocusIn:
        if (pane) {
            if (EnterBox->isVisible())
                EnterBox->setFocus();
            else if (EnterMsgBox->isVisible())
                EnterMsgBox->setFocus();
        } else if (watched == ToolBox || watched == ToolHandle) {
            RTB2->setFocus();
        }
        break;
    case QEvent::MouseButtonPress:
        if (watched == CloseLbl && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            ToggleToolBox();
            return true;
        }
        if (watched == ToolHandle || watched == PlayerLbl) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton) return true;
            m_dragging = true;
            m_dragStart = mouse->globalPosition().toPoint() - ToolBox->pos();
            return true;
        }
        break;
    case QEvent::MouseMove:
        if (m_dragging && (watched == ToolHandle || watched == PlayerLbl)) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            QPoint to = mouse->globalPosition().toPoint() - m_dragStart;
            // The panel is dragged like a window by its title bar, but it
            // never leaves the table window.
            to.setX(std::clamp(to.x(), 0, std::max(0, m_back->width() - ToolBox->width())));
            to.setY(std::clamp(to.y(), 0, std::max(0, m_back->height() - ToolBox->height())));
            ToolBox->move(to);
            return true;
        }
        break;
    case QEvent::MouseButtonRelease:
        if (m_dragging && (watched == ToolHandle || watched == PlayerLbl)) {
            m_dragging = false;
            RTB2->setFocus();
            return true;
        }
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace scrivo

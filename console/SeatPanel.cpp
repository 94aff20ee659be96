#include "console/SeatPanel.h"

#include <algorithm>

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include "console/Looks.h"
#include "console/QtPlatform.h"
#include "engine/Table.h"
#include "platform/Text.h"
#include "settings/Language.h"
#include "settings/TextIds.h"

namespace scrivo {

namespace {

constexpr double ToolBoxWidth = 3600;
constexpr double SeatTop = 2625;
constexpr double SeatStep = 240;

QPushButton* MakeButton(QWidget* parent, const char* name, double left, double top, double width,
                        const QString& text, const QString& tip = {})
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(TwipsToPixelsX(left), TwipsToPixelsY(top), TwipsToPixelsX(width), TwipsToPixelsY(330));
    b->setToolTip(tip);
    // The panes keep the keyboard: a button click never takes the focus.
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

void SetUnderline(QLabel* l, bool on)
{
    QFont f = l->font();
    if (f.underline() == on) return;
    f.setUnderline(on);
    l->setFont(f);
}

} // namespace

QFont MakeFont(const QString& family, double points, bool bold)
{
    QFont f(family);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

QLabel* MakeLabel(QWidget* parent, const char* name, double left, double top, double width, double height,
                  const QString& text)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(TwipsToPixelsX(left), TwipsToPixelsY(top), TwipsToPixelsX(width), TwipsToPixelsY(height));
    return l;
}

SeatPanel::SeatPanel(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("ToolBox"));
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(2);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(TwipsToPixelsX(2700), TwipsToPixelsY(1620), TwipsToPixelsX(ToolBoxWidth),
                TwipsToPixelsY(SeatTop + 8 * SeatStep + 310));

    ToolHandle = MakeLabel(this, "ToolHandle", 0, 0, ToolBoxWidth, 270);
    SetGround(ToolHandle, 0x800000); // dark blue, like a title bar
    ToolHandle->setCursor(Qt::SizeAllCursor);
    PlayerLbl = MakeLabel(this, "PlayerLbl", 75, 15, 2250, 240);
    PlayerLbl->setFont(MakeFont(QStringLiteral("Arial"), 8.25, true));
    SetTextColour(PlayerLbl, bgr::White);
    PlayerLbl->setCursor(Qt::SizeAllCursor);
    CloseLbl = MakeLabel(this, "CloseLbl", 2385, 15, 225, 240, QStringLiteral("x"));
    CloseLbl->setFont(MakeFont(QStringLiteral("Arial"), 9, true));
    CloseLbl->setAlignment(Qt::AlignCenter);
    SetTextColour(CloseLbl, bgr::White);
    CloseLbl->setCursor(Qt::PointingHandCursor);

    CashCaption = MakeLabel(this, "CashCaption", 90, 345, 600, 240, QStringLiteral("Cash:"));
    CashLbl = MakeLabel(this, "CashLbl", 690, 345, 1900, 240);
    PotCaption = MakeLabel(this, "PotCaption", 90, 600, 600, 240, QStringLiteral("Pot:"));
    PotLbl = MakeLabel(this, "PotLbl", 690, 600, 1900, 240);
    CallCaption = MakeLabel(this, "CallCaption", 90, 855, 600, 240, QStringLiteral("To call:"));
    CallLbl = MakeLabel(this, "CallLbl", 690, 855, 1900, 240);
    for (QLabel* l : {CashCaption, PotCaption, CallCaption})
        l->setFont(MakeFont(QStringLiteral("Arial"), 9));
    for (QLabel* l : {CashLbl, PotLbl, CallLbl})
        l->setFont(MakeFont(QStringLiteral("Arial"), 9, true));

    // Two rows of two, wide enough for the language files' captions.
    C_Button =
        MakeButton(this, "C_Button", 90, 1125, 1230, QStringLiteral("C/C"), QStringLiteral("Check/Call"));
    B_Button =
        MakeButton(this, "B_Button", 1350, 1125, 1230, QStringLiteral("B"), QStringLiteral("Bet/Raise"));
    F_Button = MakeButton(this, "F_Button", 90, 1485, 1230, QStringLiteral("F"), QStringLiteral("Fold"));
    M_Button =
        MakeButton(this, "M_Button", 1350, 1485, 1230, QStringLiteral("Msg"), QStringLiteral("Message"));
    A_Button = MakeButton(this, "A_Button", 1350, 1485, 1230, QStringLiteral("All in (A)"),
                          QStringLiteral("All In"));
    // F and A side by side, the message button under the bet sizes.
    F_Button->move(F_Button->x(), TwipsToPixelsY(1485));
    M_Button->move(M_Button->x(), TwipsToPixelsY(2205));
    MinBtn = MakeButton(this, "MinBtn", 90, 1845, 800, QStringLiteral("Min"));
    HalfPotBtn = MakeButton(this, "HalfPotBtn", 935, 1845, 800, QStringLiteral("1/2 Pot"));
    PotBtn = MakeButton(this, "PotBtn", 1780, 1845, 800, QStringLiteral("Pot"));
    for (int size = 0; QPushButton * b : {MinBtn, HalfPotBtn, PotBtn}) {
        connect(b, &QPushButton::clicked, this, [this, size] { emit betSizeRequested(size); });
        ++size;
    }
    StartRoundBtn = MakeButton(this, "StartRoundBtn", 90, 2205, 1230, QStringLiteral("Start Round"));
    BackBtn = MakeButton(this, "BackBtn", 90, 2205, 1230, QStringLiteral("I'm back"));
    BackBtn->hide();
    connect(BackBtn, &QPushButton::clicked, this, [this] { emit commandRequested(QStringLiteral("K")); });
    const std::pair<QPushButton*, const char*> commands[] = {
        {C_Button, "C"}, {B_Button, "B"}, {F_Button, "F"}, {A_Button, "A"}, {M_Button, "M"}};
    for (const auto& [button, letter] : commands)
        connect(button, &QPushButton::clicked, this,
                [this, l = QString::fromLatin1(letter)] { emit commandRequested(l); });
    connect(StartRoundBtn, &QPushButton::clicked, this, &SeatPanel::startRoundRequested);

    for (int i = 0; i < 9; ++i) {
        const double top = SeatTop + i * SeatStep;
        const QString n = QString::number(i);
        PlayersLbl[i] = MakeLabel(this, "PlayersLbl", 90, top, 1230, 225);
        PlayersCash[i] = MakeLabel(this, "PlayersCash", 1335, top, 735, 225);
        BetLbl[i] = MakeLabel(this, "BetLbl", 2085, top, 735, 225);
        DealerLbl[i] = MakeLabel(this, "DealerLbl", 2835, top, 195, 225, QStringLiteral("D"));
        // The fold/all-in mark keeps the same margin to the right edge as
        // the names keep to the left one.
        BlindsLbl[i] = MakeLabel(this, "BlindsLbl", ToolBoxWidth - 90 - 165 - 15 - 300, top, 300, 225);
        StateLbl[i] = MakeLabel(this, "StateLbl", ToolBoxWidth - 90 - 165, top, 165, 225);
        PlayersLbl[i]->setObjectName(QStringLiteral("PlayersLbl") + n);
        PlayersCash[i]->setObjectName(QStringLiteral("PlayersCash") + n);
        BlindsLbl[i]->setObjectName(QStringLiteral("BlindsLbl") + n);
        StateLbl[i]->setObjectName(QStringLiteral("StateLbl") + n);
        BetLbl[i]->setObjectName(QStringLiteral("BetLbl") + n);
        DealerLbl[i]->setObjectName(QStringLiteral("DealerLbl") + n);
        BetLbl[i]->setFont(MakeFont(QStringLiteral("Arial"), 8.25));
        BetLbl[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        DealerLbl[i]->setFont(MakeFont(QStringLiteral("Arial"), 7, true));
        DealerLbl[i]->setAlignment(Qt::AlignCenter);
        SetGround(DealerLbl[i], bgr::White);
        DealerLbl[i]->setFrameStyle(QFrame::Box | QFrame::Plain);
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
        for (QLabel* l : {PlayersLbl[i], PlayersCash[i], BlindsLbl[i], StateLbl[i], BetLbl[i], DealerLbl[i]})
            l->hide();
    }
    for (QWidget* w : std::initializer_list<QWidget*>{this, ToolHandle, PlayerLbl, CloseLbl})
        w->installEventFilter(this);
    FitCaptions();
}

void SeatPanel::ApplyLang(const Language& language)
{
    const auto& t = language.AppText;
    StartRoundBtn->setText(ToQ(t[Cap::StartRound]));
    M_Button->setText(ToQ(t[Cap::MessageButton]));
    M_Button->setToolTip(PlainToolTip(ToQ(t[Cap::MenuMessage])));
    C_Button->setText(ToQ(t[Cap::CheckCall]));
    C_Button->setToolTip(PlainToolTip(ToQ(t[Cap::MenuCheckCall])));
    F_Button->setText(ToQ(t[Cap::Fold]));
    F_Button->setToolTip(PlainToolTip(ToQ(t[Cap::MenuFold])));
    B_Button->setText(ToQ(t[Cap::BetRaise]));
    B_Button->setToolTip(PlainToolTip(ToQ(t[Cap::MenuBetRaise])));
    A_Button->setToolTip(PlainToolTip(ToQ(t[Cap::MenuAllIn])));
    const std::pair<QPushButton*, CapId> captions[] = {
        {C_Button, Cap::CheckButton}, {B_Button, Cap::BetButton},    {F_Button, Cap::FoldButton},
        {A_Button, Cap::AllInButton}, {MinBtn, Cap::MinRaiseButton}, {HalfPotBtn, Cap::HalfPotButton},
        {PotBtn, Cap::PotButton},     {BackBtn, Cap::ImBack}};
    for (const auto& [button, id] : captions)
        if (!t[id].empty()) button->setText(ToQ(t[id]));
    CashCaption->setText(ToQ(t[Cap::Cash]));
    PotCaption->setText(ToQ(t[Cap::Pot]));
    CallCaption->setText(ToQ(t[Cap::ToCall]));
    for (QLabel* l : DealerLbl)
        l->setText(ToQ(t[Cap::DealerMark]));
    FitCaptions();
}

void SeatPanel::SetTextScale(double scale)
{
    if (m_design.empty()) {
        for (QWidget* w : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            m_design.push_back({w, w->geometry(), w->font().pointSizeF()});
        m_designSize = size();
    }
    if (scale == m_scale) return;
    m_scale = scale;
    const auto scaled = [scale](int n) { return static_cast<int>(n * scale + 0.5); };
    for (const DesignLook& d : m_design) {
        const QRect& r = d.geometry;
        d.control->setGeometry(scaled(r.x()), scaled(r.y()), scaled(r.width()), scaled(r.height()));
        if (d.points > 0) {
            QFont f = d.control->font(); // keeps the underline of the seat in turn
            f.setPointSizeF(d.points * scale);
            d.control->setFont(f);
        }
    }
    resize(scaled(m_designSize.width()), scaled(m_designSize.height()));
    FitCaptions();
}

void SeatPanel::FitCaptions()
{
    const int margin = TwipsToPixelsX(90);
    const int gap = TwipsToPixelsX(30);
    auto fit = [](QWidget* w, int design) { return std::max(design, w->sizeHint().width()); };

    // Buttons: two columns as wide as the widest caption needs.
    int column = TwipsToPixelsX(1230);
    for (QPushButton* b : {C_Button, B_Button, F_Button, A_Button, M_Button, StartRoundBtn, BackBtn})
        column = fit(b, column);
    int sizeColumn = 0;
    for (QPushButton* b : {MinBtn, HalfPotBtn, PotBtn})
        sizeColumn = fit(b, sizeColumn);
    const int buttonsWidth = std::max(2 * column + gap, 3 * sizeColumn + 2 * gap);
    column = (buttonsWidth - gap) / 2;
    // The amounts keep a space after the longest caption ("To call:").
    int captionWidth = TwipsToPixelsX(600);
    for (QLabel* l : {CashCaption, PotCaption, CallCaption})
        captionWidth = std::max(captionWidth, l->sizeHint().width() + TwipsToPixelsX(90));
    const int valueWidth = TwipsToPixelsX(1900);
    const int panelWidth = std::max(
        {TwipsToPixelsX(ToolBoxWidth), 2 * margin + buttonsWidth, 2 * margin + captionWidth + valueWidth});
    resize(panelWidth, height());
    const int inner = panelWidth - 2 * margin;

    ToolHandle->resize(panelWidth, ToolHandle->height());
    CloseLbl->move(panelWidth - TwipsToPixelsX(ToolBoxWidth - 2385), CloseLbl->y());
    PlayerLbl->resize(CloseLbl->x() - PlayerLbl->x(), PlayerLbl->height());
    for (QLabel* l : {CashCaption, PotCaption, CallCaption})
        l->setGeometry(margin, l->y(), captionWidth, l->height());
    for (QLabel* l : {CashLbl, PotLbl, CallLbl})
        l->setGeometry(margin + captionWidth, l->y(), inner - captionWidth, l->height());
    for (QPushButton* b : {C_Button, F_Button, StartRoundBtn, BackBtn})
        b->setGeometry(margin, b->y(), column, b->height());
    for (QPushButton* b : {B_Button, A_Button, M_Button})
        b->setGeometry(margin + inner - column, b->y(), column, b->height());
    const int third = (inner - 2 * gap) / 3;
    for (int i = 0; QPushButton * b : {MinBtn, HalfPotBtn, PotBtn}) {
        b->setGeometry(margin + i * (third + gap), b->y(), third, b->height());
        ++i;
    }

    // Seat rows: the marks stay at the right edge, the cash column takes
    // what the panel gained.
    for (int i = 0; i < 9; ++i) {
        QLabel* mark = StateLbl[i];
        mark->move(panelWidth - margin - mark->width(), mark->y());
        QLabel* blind = BlindsLbl[i];
        blind->move(mark->x() - TwipsToPixelsX(15) - blind->width(), blind->y());
        QLabel* dealer = DealerLbl[i];
        dealer->setGeometry(blind->x() - TwipsToPixelsX(15) - fit(dealer, dealer->width()), dealer->y(),
                            fit(dealer, dealer->width()), dealer->height());
        QLabel* bet = BetLbl[i];
        // A space between the bet and the dealer's mark, as between the others.
        bet->move(dealer->x() - TwipsToPixelsX(75) - bet->width(), bet->y());
        QLabel* cash = PlayersCash[i];
        cash->resize(bet->x() - TwipsToPixelsX(15) - cash->x(), cash->height());
    }
}

void SeatPanel::SetPlayerLabel(const std::string& text)
{
    PlayerLbl->setText(ToQ(text));
}

void SeatPanel::LoadSeats(const TableState& s, const std::function<std::string(Currency)>& formatCash)
{
    const int count = std::min(s.PlayerCount, 9);
    for (int p = 1; p <= 9; ++p) {
        const int i = p - 1;
        if (p <= count) {
            const std::string name =
                p < static_cast<int>(s.PlayerNames.size()) ? s.PlayerNames[p] : std::string();
            const Currency cash = p < static_cast<int>(s.PlayerCash.size()) ? s.PlayerCash[p] : Currency();
            m_names[i] = ToQ(name);
            PlayersLbl[i]->setText(m_away[i] ? m_names[i] + QStringLiteral(" · ") + PlayersLbl[i]->toolTip()
                                             : m_names[i]);
            PlayersLbl[i]->show();
            PlayersCash[i]->setText(ToQ(formatCash(cash)));
            PlayersCash[i]->show();
        } else {
            PlayersLbl[i]->hide();
            PlayersCash[i]->hide();
        }
        BlindsLbl[i]->hide();
        StateLbl[i]->hide();
        BetLbl[i]->hide();
        DealerLbl[i]->hide();
    }
    if (count >= 1) {
        const double lastTop = PixelsToTwipsY(PlayersLbl[count - 1]->y(), screen());
        resize(width(), TwipsToPixelsY(lastTop + 310));
    }
}

void SeatPanel::ShowSeatBet(int i, const std::string& bet, bool dealer)
{
    BetLbl[i]->setText(ToQ(bet));
    BetLbl[i]->setVisible(!bet.empty());
    DealerLbl[i]->setVisible(dealer);
}

void SeatPanel::DrawSeat(int i, const PlayerRecord& r, bool current, const std::string& cash)
{
    PlayersCash[i]->setText(ToQ(cash));
    const char state = r.Action.empty() ? ' ' : r.Action[0];
    switch (state) {
    case 'X':
        SetTextColour(PlayersLbl[i], bgr::DarkRed);
        SetGround(StateLbl[i], bgr::Red);
        StateLbl[i]->setText(QStringLiteral("F"));
        StateLbl[i]->show();
        break;
    case 'A':
        SetGround(StateLbl[i], bgr::LightGreen);
        StateLbl[i]->setText(QStringLiteral("A"));
        StateLbl[i]->show();
        break;
    case 'O':
        SetTextColour(PlayersLbl[i], bgr::GreyOlive);
        SetTextColour(PlayersCash[i], bgr::GreyOlive);
        StateLbl[i]->hide();
        break;
    case 'D':
        SetTextColour(PlayersLbl[i], bgr::GreyOlive);
        PlayersCash[i]->hide();
        StateLbl[i]->hide();
        break;
    default:
        SetTextColour(PlayersLbl[i], bgr::Blue);
        SetTextColour(PlayersCash[i], bgr::Black);
        StateLbl[i]->hide();
        break;
    }
    SetUnderline(PlayersLbl[i], current);
    const std::string blind = Trim(r.Blind);
    if (blind.empty()) {
        if (BlindsLbl[i]->isVisible()) BlindsLbl[i]->hide();
    } else {
        BlindsLbl[i]->setText(ToQ(blind));
        BlindsLbl[i]->show();
    }
}

void SeatPanel::ShowMoney(const std::string& cash, const std::string& pot, const std::string& toCall)
{
    CashLbl->setText(ToQ(cash));
    PotLbl->setText(ToQ(pot));
    CallLbl->setText(ToQ(toCall));
}

void SeatPanel::SetActionsEnabled(bool myTurn)
{
    M_Button->setEnabled(true);
    for (QPushButton* b : {C_Button, B_Button, F_Button, A_Button})
        b->setEnabled(myTurn);
    if (!myTurn) SetBetSizesEnabled(false);
}

void SeatPanel::SetActionCaptions(const std::string& checkCall, const std::string& betRaise,
                                  const std::string& fold, const std::string& allIn)
{
    bool changed = false;
    const std::pair<QPushButton*, const std::string*> captions[] = {
        {C_Button, &checkCall}, {B_Button, &betRaise}, {F_Button, &fold}, {A_Button, &allIn}};
    for (const auto& [button, text] : captions) {
        if (button->text() == ToQ(*text)) continue;
        button->setText(ToQ(*text));
        changed = true;
    }
    if (changed) FitCaptions();
}

void SeatPanel::SetBetSizesEnabled(bool enabled)
{
    for (QPushButton* b : {MinBtn, HalfPotBtn, PotBtn})
        b->setEnabled(enabled);
}

void SeatPanel::SetAway(int i, bool away, const std::string& mark)
{
    if (i < 0 || i >= 9) return;
    m_away[static_cast<std::size_t>(i)] = away;
    PlayersLbl[i]->setToolTip(away ? ToQ(mark) : QString());
    if (m_names[i].isEmpty()) m_names[i] = PlayersLbl[i]->text();
    PlayersLbl[i]->setText(away ? m_names[i] + QStringLiteral(" · ") + ToQ(mark) : m_names[i]);
}

void SeatPanel::SetBackVisible(bool visible)
{
    BackBtn->setVisible(visible);
    BackBtn->raise();
}

void SeatPanel::SetGameEnded()
{
    for (QPushButton* b : {C_Button, B_Button, F_Button, A_Button, M_Button, MinBtn, HalfPotBtn, PotBtn})
        b->setEnabled(false);
    StartRoundBtn->hide();
    BackBtn->hide();
    CallLbl->clear();
}

void SeatPanel::SetStartRoundAllowed(bool allowed)
{
    StartRoundBtn->setVisible(allowed);
}

bool SeatPanel::eventFilter(QObject* watched, QEvent* event)
{
    const bool handle = watched == ToolHandle || watched == PlayerLbl;
    switch (event->type()) {
    case QEvent::FocusIn:
        if (watched == this || watched == ToolHandle) emit focusReturned();
        break;
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (watched == CloseLbl && mouse->button() == Qt::LeftButton) {
            emit closeRequested();
            return true;
        }
        if (handle) {
            if (mouse->button() != Qt::LeftButton) return true;
            m_dragging = true;
            m_dragStart = mouse->globalPosition().toPoint() - pos();
            return true;
        }
        break;
    }
    case QEvent::MouseMove:
        if (m_dragging && handle) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            QPoint to = mouse->globalPosition().toPoint() - m_dragStart;
            // Dragged like a window by its title bar, but it never leaves
            // the table window.
            const QWidget* area = parentWidget();
            to.setX(std::clamp(to.x(), 0, std::max(0, area->width() - width())));
            to.setY(std::clamp(to.y(), 0, std::max(0, area->height() - height())));
            move(to);
            return true;
        }
        break;
    case QEvent::MouseButtonRelease:
        if (m_dragging && handle) {
            m_dragging = false;
            emit dragged();
            emit focusReturned();
            return true;
        }
        break;
    default:
        break;
    }
    return QFrame::eventFilter(watched, event);
}

} // namespace scrivo

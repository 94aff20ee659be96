#include "ui/ConnectFrm.h"

#include <algorithm>
#include <exception>

#include <QCheckBox>
#include <QCloseEvent>
#include <QIcon>
#include <QIntValidator>
#include <QComboBox>
#include <QEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "gamefolder/Directory.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "settings/Language.h"
#include "settings/Settings.h"
#include "ui/MainMod.h"
#include "ui/TableLink.h"
#include "ui/UiCommon.h"
#include "settings/TextIds.h"

namespace scrivo {

namespace {
// The longest turn a game may give, in seconds: a day.
constexpr int MaxTurnSeconds = 86400;
// Beside SPK.ini: the keys that prove a seat at a protected table is this
// player's when he comes back after a crash.
constexpr const char* SigningKeyFileName = "signing.key";
} // namespace

namespace {

constexpr int RefreshMs = 5000;
constexpr long FirstShowHeight = 3230;
constexpr long CollapsedHeight = 3210;
constexpr long ExpandedHeight = 6180;

HandRules RulesOfCombo(int index)
{
    return index == 1 ? HandRules::Classic : HandRules::Standard;
}

QLabel* FieldLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

} // namespace

ConnectFrm::ConnectFrm(Settings& settings, Language& language, QWidget* parent)
    : QWidget(parent), m_language(language), m_lobby(settings, language), m_settings(settings)
{
    setObjectName("ConnectFrm");
    setWindowTitle("Scrivo Poker");
    setWindowIcon(QIcon(ProgramLogo(64)));
    BuildWidgets();
    ShowTextsPlain(this);
    Load();
}

void ConnectFrm::BuildWidgets()
{
    BuildSessionPane();
    BuildCreatePane();
    LayOutCreatePane();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(SessionFrame, 1);
    layout->addWidget(CreateFrame);
    CreateFrame->hide();

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    connect(Timer1, &QTimer::timeout, this, [this] { UpdateList(); });

    resize(TwipsToPixelsX(7800, screen()), TwipsToPixelsY(FirstShowHeight, screen()));
}

// The list of games, the player's name and the buttons below them.
void ConnectFrm::BuildSessionPane()
{
    SessionFrame = new QFrame(this);
    SessionFrame->setObjectName("SessionFrame");
    GList = new QTreeWidget(SessionFrame);
    GList->setObjectName("GList");
    GList->setColumnCount(7);
    GList->setHeaderLabels({"Name", "Players", "Blinds", "Status", "Rules", "Type", "Host"});
    GList->setRootIsDecorated(false);
    GList->setUniformRowHeights(true);
    GList->setAllColumnsShowFocus(true);
    GList->setSelectionMode(QAbstractItemView::SingleSelection);
    GList->header()->setStretchLastSection(true);
    GList->header()->setSectionsMovable(false);
    GList->viewport()->installEventFilter(this);
    connect(GList, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item, QTreeWidgetItem*) {
        if (item != nullptr) RowSelected(GList->indexOfTopLevelItem(item));
    });
    connect(GList, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (Command1->isEnabled()) JoinClick();
    });

    ActiveLbl = new QLabel("No Active Games", GList->viewport());
    ActiveLbl->setObjectName("ActiveLbl");
    ActiveLbl->setAlignment(Qt::AlignCenter);
    ActiveLbl->setEnabled(false);

    Label1 = new QLabel("Player name", SessionFrame);
    PNameLbl = new QLabel("PlayerName", SessionFrame);
    PNameLbl->setObjectName("PNameLbl");
    QFont bold = PNameLbl->font();
    bold.setBold(true);
    PNameLbl->setFont(bold);

    Command1 = new QPushButton("join", SessionFrame);
    Command1->setObjectName("Command1");
    Command1->setEnabled(false);
    Command2 = new QPushButton("create", SessionFrame);
    Command2->setObjectName("Command2");
    Command3 = new QPushButton("setup", SessionFrame);
    Command3->setObjectName("Command3");
    Command4 = new QPushButton("help", SessionFrame);
    Command4->setObjectName("Command4");
    connect(Command1, &QPushButton::clicked, this, [this] { JoinClick(); });
    connect(Command2, &QPushButton::clicked, this, [this] { CreateClick(); });
    connect(Command3, &QPushButton::clicked, this, [this] { SetupClick(); });
    connect(Command4, &QPushButton::clicked, this, [this] { HelpClick(); });

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(Label1);
    nameRow->addWidget(PNameLbl, 1);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(Command1);
    buttonRow->addWidget(Command2);
    buttonRow->addWidget(Command3);
    buttonRow->addStretch(1);
    buttonRow->addWidget(Command4);
    auto* sessionLayout = new QVBoxLayout(SessionFrame);
    sessionLayout->setContentsMargins(0, 0, 0, 0);
    sessionLayout->addWidget(GList, 1);
    sessionLayout->addLayout(nameRow);
    sessionLayout->addLayout(buttonRow);
}

// The fields of a new game and its buttons, hidden until "create".
void ConnectFrm::BuildCreatePane()
{
    CreateFrame = new QFrame(this);
    CreateFrame->setObjectName("CreateFrame");
    CreateFrame->setFrameShape(QFrame::StyledPanel);
    Label2 = new QLabel("Create Game", CreateFrame);
    QFont heading = Label2->font();
    heading.setBold(true);
    Label2->setFont(heading);
    Label3 = FieldLabel("Game:", CreateFrame);
    GameTypeCombo = new QComboBox(CreateFrame);
    GameTypeCombo->setObjectName("GameTypeCombo");
    Label6 = FieldLabel("Type:", CreateFrame);
    TypeCombo = new QComboBox(CreateFrame);
    TypeCombo->setObjectName("TypeCombo");
    RulesLbl = FieldLabel("Rules:", CreateFrame);
    RulesCombo = new QComboBox(CreateFrame);
    RulesCombo->setObjectName("RulesCombo");
    RulesCombo->addItem("Standard");
    RulesCombo->addItem("Classic");
    ProtectedChk = new QCheckBox("Protected", CreateFrame);
    ProtectedChk->setObjectName("ProtectedChk");
    ProtectedChk->setToolTip(
        "Cards are shuffled and dealt by all players together: nobody, not even the host, "
        "can see another player's cards. Dealing takes a little longer.");
    Label7 = FieldLabel("Table Name:", CreateFrame);
    GameNametxt = new QLineEdit(CreateFrame);
    GameNametxt->setObjectName("GameNametxt");
    GameNametxt->setMaxLength(25);
    Label4 = FieldLabel("Start Cash:", CreateFrame);
    StartPotTxt = new QLineEdit(CreateFrame);
    StartPotTxt->setObjectName("StartPotTxt");
    Label5 = FieldLabel("Blinds / Stakes:", CreateFrame);
    SmallBlindTxt = new QLineEdit(CreateFrame);
    SmallBlindTxt->setObjectName("SmallBlindTxt");
    BigBlindTxt = new QLineEdit(CreateFrame);
    BigBlindTxt->setObjectName("BigBlindTxt");
    Label9 = FieldLabel("Currency:", CreateFrame);
    CurrencyTxt = new QLineEdit(CreateFrame);
    CurrencyTxt->setObjectName("CurrencyTxt");
    Label15 = FieldLabel("No. Bots:", CreateFrame);
    BotsTxt = new QLineEdit(CreateFrame);
    BotsTxt->setObjectName("BotsTxt");
    connect(BotsTxt, &QLineEdit::textChanged, this, [this] { ClampBots(); });
    BotLevelLbl = FieldLabel("Bot Level:", CreateFrame);
    BotLevelCombo = new QComboBox(CreateFrame);
    BotLevelCombo->setObjectName("BotLevelCombo");
    TurnTimeLbl = FieldLabel("Turn time (s)", CreateFrame);
    TurnTimeTxt = new QLineEdit(CreateFrame);
    TurnTimeTxt->setObjectName("TurnTimeTxt");
    // Whole seconds only, up to a day: nothing else can be typed.
    TurnTimeTxt->setValidator(new QIntValidator(0, MaxTurnSeconds, TurnTimeTxt));
    TurnTimeTxt->setPlaceholderText("0");
    CreateButton = new QPushButton("Create Now", CreateFrame);
    CreateButton->setObjectName("CreateButton");
    HideBtn = new QPushButton("Hide <<", CreateFrame);
    HideBtn->setObjectName("HideBtn");
    connect(CreateButton, &QPushButton::clicked, this, [this] { CreateNowClick(); });
    connect(HideBtn, &QPushButton::clicked, this, [this] { HideClick(); });
}

// Labels left of their fields in two columns, the short amounts narrow.
void ConnectFrm::LayOutCreatePane()
{
    const int shortWidth = fontMetrics().horizontalAdvance("0000000") + 12;
    for (QLineEdit* e : {StartPotTxt, SmallBlindTxt, BigBlindTxt})
        e->setMaximumWidth(shortWidth);
    CurrencyTxt->setMaximumWidth(fontMetrics().horizontalAdvance("$$$") + 12);
    BotsTxt->setMaximumWidth(fontMetrics().horizontalAdvance("000") + 12);
    TurnTimeTxt->setMaximumWidth(fontMetrics().horizontalAdvance("00000") + 12);

    auto* blinds = new QHBoxLayout;
    blinds->addWidget(SmallBlindTxt);
    blinds->addWidget(new QLabel("/", CreateFrame));
    blinds->addWidget(BigBlindTxt);
    blinds->addStretch(1);

    auto* grid = new QGridLayout;
    grid->addWidget(Label3, 0, 0);
    grid->addWidget(GameTypeCombo, 0, 1);
    grid->addWidget(Label6, 1, 0);
    grid->addWidget(TypeCombo, 1, 1);
    grid->addWidget(Label7, 2, 0);
    grid->addWidget(GameNametxt, 2, 1);
    grid->addWidget(Label4, 0, 2);
    grid->addWidget(StartPotTxt, 0, 3);
    grid->addWidget(Label5, 1, 2);
    grid->addLayout(blinds, 1, 3);
    auto* small = new QHBoxLayout;
    small->addWidget(CurrencyTxt);
    small->addSpacing(8);
    small->addWidget(Label15);
    small->addWidget(BotsTxt);
    small->addSpacing(8);
    small->addWidget(TurnTimeLbl);
    small->addWidget(TurnTimeTxt);
    small->addStretch(1);
    grid->addWidget(Label9, 2, 2);
    grid->addLayout(small, 2, 3);
    grid->addWidget(RulesLbl, 3, 0);
    auto* rules = new QHBoxLayout;
    rules->addWidget(RulesCombo, 1);
    rules->addSpacing(8);
    rules->addWidget(ProtectedChk);
    grid->addLayout(rules, 3, 1);
    grid->addWidget(BotLevelLbl, 3, 2);
    grid->addWidget(BotLevelCombo, 3, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    auto* createButtons = new QHBoxLayout;
    createButtons->addStretch(1);
    createButtons->addWidget(CreateButton);
    createButtons->addWidget(HideBtn);

    auto* createLayout = new QVBoxLayout(CreateFrame);
    createLayout->addWidget(Label2);
    createLayout->addLayout(grid);
    createLayout->addLayout(createButtons);
}

void ConnectFrm::Load()
{
    try {
        ApplyLang();
        SetHeightTwips(FirstShowHeight);
        SetLBTabStops(80, 105, 130);
        GameTypeCombo->addItem("Texas Hold 'Em");
        GameTypeCombo->setCurrentIndex(0);
        TypeCombo->addItem(ToQ(m_language.AppText[Cap::Limit]));
        TypeCombo->addItem(ToQ(m_language.AppText[Cap::PotLimit]));
        TypeCombo->addItem(ToQ(m_language.AppText[Cap::NoLimit]));
        TypeCombo->setCurrentIndex(2);
        BotLevelCombo->addItem(ToQ(m_language.AppText[Cap::BotClassic]));
        BotLevelCombo->addItem(ToQ(m_language.AppText[Cap::BotStrong]));
        BotLevelCombo->setCurrentIndex(0);
        BotsTxt->setText("3");
        StartPotTxt->setText("50");
        ShowCreateOptions(m_settings);
        // What is typed or ticked is kept at once, as the other fields are.
        connect(TurnTimeTxt, &QLineEdit::textChanged, this, [this](const QString& text) {
            m_settings.TurnSeconds = std::clamp(text.toInt(), 0, MaxTurnSeconds);
        });
        connect(RulesCombo, &QComboBox::currentIndexChanged, this,
                [this](int index) { m_settings.Rules = std::string(RulesName(RulesOfCombo(index))); });
        connect(ProtectedChk, &QCheckBox::toggled, this, [this](bool on) { m_settings.Protected = on; });
    } catch (const std::exception& e) {
        MsgBox(std::string("Error loading Connect Form: ") + e.what());
    }
}

void ConnectFrm::ShowCreateOptions(const Settings& settings)
{
    TurnTimeTxt->setText(QString::number(std::clamp<long>(settings.TurnSeconds, 0, MaxTurnSeconds)));
    RulesCombo->setCurrentIndex(settings.Rules == "classic" ? 1 : 0);
    ProtectedChk->setChecked(settings.Protected);
}

void ConnectFrm::ApplyLang()
{
    if (m_language.AppText[Cap::Ok].empty()) return;
    GList->setHeaderLabels({ToQ(m_language.AppText[Cap::TableName]), ToQ(m_language.AppText[Cap::Players]),
                            ToQ(m_language.AppText[Cap::Blinds]), ToQ(m_language.AppText[Cap::Status]),
                            ToQ(m_language.AppText[Cap::RulesLabel]).remove(':'),
                            ToQ(m_language.AppText[Cap::TypeLabel]).remove(':'),
                            m_language.AppText[Cap::HostColumn].empty()
                                ? QStringLiteral("Host")
                                : ToQ(m_language.AppText[Cap::HostColumn])});
    Command1->setText(ToQ(m_language.AppText[Cap::Join]));
    Command2->setText(ToQ(m_language.AppText[Cap::CreateGame]));
    Command3->setText(ToQ(m_language.AppText[Cap::Setup]));
    Command4->setText(ToQ(m_language.AppText[Cap::Instructions]));
    Label1->setText(ToQ(m_language.AppText[Cap::PlayerName] + ":"));
    Label2->setText(ToQ(m_language.AppText[Cap::CreateGame]));
    Label3->setText(ToQ(m_language.AppText[Cap::GameLabel]));
    Label6->setText(ToQ(m_language.AppText[Cap::TypeLabel]));
    Label7->setText(ToQ(m_language.AppText[Cap::TableName]));
    Label4->setText(ToQ(m_language.AppText[Cap::StartCash]));
    Label5->setText(ToQ(m_language.AppText[Cap::BlindsStakes]));
    Label15->setText(ToQ(m_language.AppText[Cap::BotsLabel]));
    BotLevelLbl->setText(ToQ(m_language.AppText[Cap::BotLevelLabel]));
    if (!m_language.AppText[Cap::TurnTime].empty())
        TurnTimeLbl->setText(ToQ(m_language.AppText[Cap::TurnTime]));
    const QString turnHint = m_language.AppText[Cap::TurnTimeHint].empty()
                                 ? QStringLiteral("Whole seconds; 0 for no limit.")
                                 : ToQ(m_language.AppText[Cap::TurnTimeHint]);
    TurnTimeTxt->setToolTip(turnHint);
    TurnTimeLbl->setToolTip(turnHint);
    Label9->setText(ToQ(m_language.AppText[Cap::CurrencyLabel]));
    // A currency never chosen follows the language.
    if (CurrencyTxt->text().trimmed().isEmpty())
        CurrencyTxt->setText(m_language.AppText[Cap::DefaultCurrency].empty()
                                 ? QStringLiteral("$")
                                 : ToQ(m_language.AppText[Cap::DefaultCurrency]));
    CreateButton->setText(ToQ(m_language.AppText[Cap::CreateNow]));
    HideBtn->setText(ToQ(m_language.AppText[Cap::Hide]));
    ActiveLbl->setText(ToQ(m_language.AppText[Cap::NoActiveGames]));
    for (int i = 0; i < 3 && i < TypeCombo->count(); ++i)
        TypeCombo->setItemText(i, ToQ(m_language.AppText[Cap::Limit + i]));
    RulesLbl->setText(ToQ(m_language.AppText[Cap::RulesLabel]));
    RulesCombo->setItemText(0, ToQ(m_language.AppText[Cap::StandardRules]));
    RulesCombo->setItemText(1, ToQ(m_language.AppText[Cap::ClassicRules]));
    if (!m_language.AppText[Cap::ProtectedTable].empty())
        ProtectedChk->setText(ToQ(m_language.AppText[Cap::ProtectedTable]));
    if (!m_language.AppText[Cap::ProtectedHint].empty())
        ProtectedChk->setToolTip(ToQ(m_language.AppText[Cap::ProtectedHint]));
    if (BotLevelCombo->count() == 2) {
        BotLevelCombo->setItemText(0, ToQ(m_language.AppText[Cap::BotClassic]));
        BotLevelCombo->setItemText(1, ToQ(m_language.AppText[Cap::BotStrong]));
    }
}

void ConnectFrm::SetLBTabStops(int stop1, int stop2, int stop3)
{
    // A dialog unit across is a quarter of the average character width.
    const double unit = fontMetrics().averageCharWidth() / 4.0;
    const int stops[] = {0, stop1, stop2, stop3};
    for (int c = 0; c < 3; ++c) {
        const int width = static_cast<int>((stops[c + 1] - stops[c]) * unit + 0.5);
        GList->setColumnWidth(c, std::max(width, GList->header()->sectionSizeHint(c)));
    }
}

void ConnectFrm::SetHeightTwips(long twips)
{
    m_heightTwips = twips;
    // The height counts the title bar, as the settings file does, whether
    // the window is on screen yet or not.
    if (layout() != nullptr) layout()->activate();
    const int frameExtra = std::max(0, frameGeometry().height() - geometry().height());
    // Laid out for a small screen: a larger one gets a taller list.
    const int wanted =
        static_cast<int>(TwipsToPixelsY(static_cast<double>(twips), screen()) * ScreenScale(screen()));
    const int needed = minimumSizeHint().height() + frameExtra;
    SetOuterGeometry(this, std::nullopt, QSize(frameGeometry().width(), std::max(wanted, needed)));
}

void ConnectFrm::BackFromTable()
{
    m_leftCurrent = true;
    GList->clearSelection();
    Command1->setEnabled(false);
    // Create waits only for its own pane; setup was closed to the table.
    Command2->setEnabled(CreateFrame->isHidden());
    Command3->setEnabled(true);
    ApplyLang();
    show();
    raise();
    activateWindow();
    StartTimer();
}

void ConnectFrm::StartTimer()
{
    Timer1->setInterval(RefreshMs);
    Timer1->start();
    UpdateList();
}

bool ConnectFrm::RefreshRunning() const
{
    return Timer1->isActive();
}

void ConnectFrm::UpdateList()
{
    FolderResult<GameList> result = m_lobby.UpdateList(m_selectedGameId);
    // The rows found before an error are still shown.
    m_games = result.value;
    m_filling = true;
    GList->clear();
    for (const GameListRow& row : m_games.rows) {
        auto* item = new QTreeWidgetItem(GList);
        item->setText(0, ToQ(row.name));
        item->setText(1, QString::number(row.players));
        // The blinds with the table's currency, as the table shows amounts.
        const std::size_t slash = row.blinds.find('/');
        item->setText(2, slash == std::string::npos ? ToQ(row.blinds)
                                                    : ToQ(row.currency + row.blinds.substr(0, slash) + "/" +
                                                          row.currency + row.blinds.substr(slash + 1)));
        // The folder's status words in the player's language.
        const CapId status = row.status == WaitingStatusText ? Cap::WaitingStatus : Cap::InProgressStatus;
        const bool known = row.status == WaitingStatusText || row.status == InProgressStatusText;
        item->setText(
            3, ToQ(known && !m_language.AppText[status].empty() ? m_language.AppText[status] : row.status));
        QString rules =
            ToQ(m_language.AppText[row.rules == HandRules::Classic ? Cap::ClassicRules : Cap::StandardRules]);
        if (row.protectedTable) {
            // A mark in the rules column rather than a column of its own:
            // the list stays readable at the window's first size.
            rules += QStringLiteral(", ") + (m_language.AppText[Cap::ProtectedMark].empty()
                                                 ? QStringLiteral("protected")
                                                 : ToQ(m_language.AppText[Cap::ProtectedMark]));
            item->setToolTip(4, ProtectedChk->toolTip());
        }
        item->setText(4, rules);
        const CapId structure = row.structure == "THLI"   ? Cap::Limit
                                : row.structure == "THPL" ? Cap::PotLimit
                                                          : Cap::NoLimit;
        item->setText(5, m_language.AppText[structure].empty() ? ToQ(row.structure)
                                                               : ToQ(m_language.AppText[structure]));
        item->setText(6, ToQ(row.host));
    }
    // Every column as wide as its widest entry; the list scrolls sideways.
    for (int c = 0; c < GList->columnCount(); ++c)
        GList->resizeColumnToContents(c);
    m_filling = false;
    if (m_games.serverMissing) Timer1->stop();
    if (m_games.enableCreate && !m_leftCurrent) Command2->setEnabled(true);
    if (!m_games.rows.empty()) {
        const int row = m_games.selectRow >= 0 ? m_games.selectRow : 0;
        QTreeWidgetItem* item = GList->topLevelItem(row);
        if (GList->currentItem() == item) {
            RowSelected(row);
        } else {
            GList->setCurrentItem(item);
        }
        ActiveLbl->hide();
    } else if (m_games.serverMissing) {
        // The folder is gone, which the message says; it is not empty.
        ActiveLbl->hide();
    } else {
        ActiveLbl->show();
        PlaceActiveLbl();
    }
    // The game joined has started: its table opens. A game the player has
    // left is never reopened by a refresh; he joins again if he wants to.
    if (m_games.openTable && !m_leftCurrent) OpenTable(m_lobby.Current());
}

void ConnectFrm::RowSelected(int row)
{
    if (m_filling || row < 0) return;
    // A host who has left his table may join any game.
    const RowSelection selection =
        m_leftCurrent ? scrivo::SelectRow(m_games, row, false) : m_lobby.SelectRow(m_games, row);
    m_selectedGameId = selection.selectedGameId;
    if (selection.enableJoin) Command1->setEnabled(true);
}

int ConnectFrm::RowCount() const
{
    return GList->topLevelItemCount();
}

std::string ConnectFrm::RowText(int row) const
{
    if (row < 0 || row >= static_cast<int>(m_games.rows.size())) return {};
    return m_games.rows[static_cast<std::size_t>(row)].Line();
}

void ConnectFrm::CreateClick()
{
    SetHeightTwips(ExpandedHeight);
    CreateFrame->show();
    SetHeightTwips(ExpandedHeight);
    Command2->setEnabled(false);
    GameNametxt->setFocus();
}

void ConnectFrm::HideClick()
{
    Command2->setEnabled(true);
    CreateFrame->hide();
    SetHeightTwips(CollapsedHeight);
}

void ConnectFrm::SetupClick()
{
    ShowWizardModal();
}

void ConnectFrm::HelpClick()
{
    OpenInstructions();
}

void ConnectFrm::ClampBots()
{
    const long long value = RoundHalfEven(Val(FromQ(BotsTxt->text())));
    const long long clamped = std::clamp<long long>(value, 0, 8);
    const QString text = QString::number(clamped);
    if (BotsTxt->text() != text) {
        // Re-entry from setText sees the clamped text and stops.
        BotsTxt->setText(text);
    }
}

CreateRequest ConnectFrm::ReadCreatePane() const
{
    CreateRequest request;
    request.gameName = FromQ(GameNametxt->text());
    request.startCash = FromQ(StartPotTxt->text());
    request.smallBlind = FromQ(SmallBlindTxt->text());
    request.bigBlind = FromQ(BigBlindTxt->text());
    request.currency = FromQ(CurrencyTxt->text());
    request.bots = FromQ(BotsTxt->text());
    request.limitType = TypeCombo->currentIndex();
    request.rules = RulesOfCombo(RulesCombo->currentIndex());
    request.protectedTable = ProtectedChk->isChecked();
    // The field takes whole seconds only; empty is no limit.
    request.turnSeconds = std::clamp(TurnTimeTxt->text().toInt(), 0, MaxTurnSeconds);
    return request;
}

void ConnectFrm::CreateNowClick()
{
    const CreateRequest request = ReadCreatePane();
    m_settings.TurnSeconds = request.turnSeconds;
    m_settings.Rules = std::string(RulesName(request.rules));
    m_settings.Protected = request.protectedTable;
    if (!Lobby::CheckCreate(request)) Timer1->stop();
    const BrowserOutcome outcome = m_lobby.CreateButton(request);
    if (outcome.caption) return;
    if (!outcome.openTable) {
        // The game could not be made: stay in the browser and keep listing.
        StartTimer();
        return;
    }
    Command1->setEnabled(false);
    CreateFrame->hide();
    SetHeightTwips(CollapsedHeight);
    GameSession session = outcome.session;
    session.BotLevels.assign(MaxPlayers + 1,
                             BotLevelCombo->currentIndex() == 1 ? BotLevel::Strong : BotLevel::Classic);
    OpenTable(session);
}

void ConnectFrm::JoinClick()
{
    Timer1->stop();
    std::string gameId;
    QTreeWidgetItem* item = GList->currentItem();
    const int row = item != nullptr ? GList->indexOfTopLevelItem(item) : -1;
    if (row >= 0 && row < static_cast<int>(m_games.rows.size()))
        gameId = m_games.rows[static_cast<std::size_t>(row)].id;
    const BrowserOutcome outcome = m_lobby.JoinGame(gameId);
    if (!outcome.openTable) {
        // Refused or failed: the browser stays and goes on refreshing.
        StartTimer();
        return;
    }
    Command2->setEnabled(false);
    Command1->setEnabled(false);
    Command3->setEnabled(false);
    OpenTable(outcome.session);
}

void ConnectFrm::OpenTable(const GameSession& session)
{
    Timer1->stop();
    m_leftCurrent = false;
    GameSession table = session;
    if (table.SigningKeyFile.empty()) table.SigningKeyFile = JoinPath(SettingsFolder(), SigningKeyFileName);
    OpenTableWindow(table);
    hide();
}

void ConnectFrm::closeEvent(QCloseEvent* event)
{
    if (TableWindowVisible() || ProgramEnding()) {
        // Closing the browser while the table is open only hides it.
        event->accept();
        Timer1->stop();
        return;
    }
    // No table on screen: closing the browser ends the program through the
    // table window's unload. If that is refused the browser stays, so the
    // program never runs on without a window.
    if (TableWindowLoaded()) {
        if (!UnloadTableWindow()) {
            event->ignore();
            return;
        }
        if (ProgramEnding()) {
            event->accept();
            return;
        }
    }
    event->accept();
    EndProgram();
}

void ConnectFrm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    PlaceActiveLbl();
}

bool ConnectFrm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == GList->viewport() && event->type() == QEvent::Resize) PlaceActiveLbl();
    return QWidget::eventFilter(watched, event);
}

void ConnectFrm::PlaceActiveLbl()
{
    if (ActiveLbl != nullptr && GList != nullptr) ActiveLbl->setGeometry(GList->viewport()->rect());
}

} // namespace scrivo

#include "ui/Opts.h"

#include <stdexcept>

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

#include "platform/MessageBox.h"
#include "settings/Language.h"
#include "settings/Settings.h"
#include "ui/MainMod.h"
#include "ui/TableLink.h"
#include "ui/UiCommon.h"
#include "settings/TextIds.h"

namespace scrivo {

namespace {

// The leading whole number of a text ("12 pt" -> 12); 0 when there is none.
long LeadingNumber(const QString& text)
{
    long n = 0;
    bool any = false;
    for (QChar c : text.trimmed()) {
        if (!c.isDigit()) break;
        any = true;
        n = n * 10 + c.digitValue();
        if (n > 1000) break;
    }
    return any ? n : 0;
}

} // namespace

Opts::Opts(Settings& settings, Language& language, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_language(language)
{
    setObjectName("Opts");
    setWindowTitle("Options");
    setModal(true);

    Label2 = new QLabel("Font:", this);
    Label3 = new QLabel("Size:", this);
    Combo1 = new QComboBox(this);
    Combo1->setObjectName("Combo1");
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Combo1->setMinimumContentsLength(18);
    Combo2 = new QComboBox(this);
    Combo2->setObjectName("Combo2");
    Combo2->setEditable(true);
    Combo2->setInsertPolicy(QComboBox::NoInsert);
    Combo2->setMinimumContentsLength(3);

    RTBp = new QTextEdit(this);
    RTBp->setObjectName("RTBp");
    RTBp->setPlainText("Just some test text!");
    RTBp->setReadOnly(true);
    RTBp->setFixedHeight(64);

    OptFrame = new QGroupBox(this);
    BoldChk = new QCheckBox("Allow Bold Text", OptFrame);
    MonoChk = new QCheckBox("Allow Colour Text", OptFrame);
    SymChk = new QCheckBox("Use Suit Symbols", OptFrame);
    AnimChk = new QCheckBox("Animation", OptFrame);
    ShortNmChk = new QCheckBox("Use Short card names", OptFrame);
    CardTxtChk = new QCheckBox("Show Full Card Text", OptFrame);
    auto* checks = new QGridLayout(OptFrame);
    checks->addWidget(BoldChk, 0, 0);
    checks->addWidget(MonoChk, 1, 0);
    checks->addWidget(SymChk, 2, 0);
    checks->addWidget(ShortNmChk, 0, 1);
    checks->addWidget(CardTxtChk, 1, 1);
    checks->addWidget(AnimChk, 2, 1);
    AutoDealChk = new QCheckBox("Deal the next hand automatically", OptFrame);
    AutoDealChk->setObjectName("AutoDealChk");
    checks->addWidget(AutoDealChk, 3, 0, 1, 2);

    Command1 = new QPushButton("OK", this);
    Command1->setObjectName("Command1");
    Command1->setDefault(true);
    Command2 = new QPushButton("Cancel", this);
    Command2->setObjectName("Command2");
    connect(Command1, &QPushButton::clicked, this, [this] { Accept(); });
    connect(Command2, &QPushButton::clicked, this, &QDialog::reject);
    connect(Combo1, &QComboBox::currentTextChanged, this, [this] { UpdatePreview(); });
    connect(Combo2, &QComboBox::currentTextChanged, this, [this] { UpdatePreview(); });

    auto* fontRow = new QHBoxLayout;
    fontRow->addWidget(Label2);
    fontRow->addWidget(Combo1, 1);
    fontRow->addSpacing(8);
    fontRow->addWidget(Label3);
    fontRow->addWidget(Combo2);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fontRow);
    layout->addWidget(RTBp);
    layout->addWidget(OptFrame);
    layout->addLayout(buttons);
    ShowTextsPlain(this);

    LoadFromSettings();
}

void Opts::ApplyLang()
{
    if (m_language.AppText[Cap::Ok].empty()) return;
    setWindowTitle(ToQ(m_language.AppText[Cap::OptionsTitle]));
    Command1->setText(ToQ(m_language.AppText[Cap::Ok]));
    Command2->setText(ToQ(m_language.AppText[Cap::Cancel]));
    Label2->setText(ToQ(m_language.AppText[Cap::Font]));
    Label3->setText(ToQ(m_language.AppText[Cap::Size]));
    BoldChk->setText(ToQ(m_language.AppText[Cap::AllowBold]));
    MonoChk->setText(ToQ(m_language.AppText[Cap::AllowColour]));
    ShortNmChk->setText(ToQ(m_language.AppText[Cap::ShortCardNames]));
    SymChk->setText(ToQ(m_language.AppText[Cap::SuitSymbols]));
    AnimChk->setText(ToQ(m_language.AppText[Cap::Animation]));
    CardTxtChk->setText(ToQ(m_language.AppText[Cap::FullCardText]));
    if (!m_language.AppText[Cap::AutoDeal].empty())
        AutoDealChk->setText(ToQ(m_language.AppText[Cap::AutoDeal]));
    if (!m_language.AppText[Cap::OptionsPreview].empty())
        RTBp->setPlainText(ToQ(m_language.AppText[Cap::OptionsPreview]));
}

void Opts::FillLists()
{
    if (m_listsFilled) return;
    m_listsFilled = true;
    try {
        const QStringList families = QFontDatabase::families();
        for (const QString& f : families) {
            if (!QFontDatabase::isPrivateFamily(f)) Combo1->addItem(f);
        }
    } catch (const std::exception&) {
        MsgBox("Error loading Font list.");
    }
    Combo2->addItem("8");
    Combo2->addItem("9");
    for (int size = 10; size <= 30; size += 2)
        Combo2->addItem(QString::number(size));
}

void Opts::LoadFromSettings()
{
    ApplyLang();
    FillLists();
    const QSignalBlocker b1(Combo1);
    const QSignalBlocker b2(Combo2);
    Combo1->setCurrentText(ToQ(m_settings.FontName));
    Combo2->setCurrentText(QString::number(m_settings.FontSize));
    UpdatePreview();
    BoldChk->setChecked(m_settings.BoldText);
    MonoChk->setChecked(m_settings.ColourText);
    SymChk->setChecked(m_settings.Symbols);
    AnimChk->setChecked(m_settings.Animated);
    ShortNmChk->setChecked(m_settings.ShortText);
    CardTxtChk->setChecked(m_settings.CardText);
    AutoDealChk->setChecked(m_settings.AutoDeal);
}

void Opts::UpdatePreview()
{
    QFont font(Combo1->currentText());
    const long size = LeadingNumber(Combo2->currentText());
    if (size > 0) font.setPointSize(static_cast<int>(size));
    RTBp->selectAll();
    RTBp->setCurrentFont(font);
    RTBp->document()->setDefaultFont(font);
    QTextCursor c = RTBp->textCursor();
    c.clearSelection();
    RTBp->setTextCursor(c);
}

bool Opts::Accept()
{
    // Cards must be shown one way or the other.
    if (!ShortNmChk->isChecked() && !CardTxtChk->isChecked()) {
        MsgBox(m_language.AppText[Cap::ChooseCardLook], MsgButtons::Ok, MsgIcon::Information);
        return false;
    }
    m_settings.BoldText = BoldChk->isChecked();
    m_settings.ColourText = MonoChk->isChecked();
    m_settings.Symbols = SymChk->isChecked();
    m_settings.Animated = AnimChk->isChecked();
    m_settings.CardText = CardTxtChk->isChecked();
    m_settings.ShortText = ShortNmChk->isChecked();
    m_settings.AutoDeal = AutoDealChk->isChecked();
    m_settings.FontName = FromQ(Combo1->currentText());
    // A size box without a positive number keeps the size it had.
    const long size = LeadingNumber(Combo2->currentText());
    if (size > 0) m_settings.FontSize = size;
    RefreshTableLog();
    SaveSettingsNow(m_settings);
    accept();
    return true;
}

void Opts::showEvent(QShowEvent* event)
{
    LoadFromSettings();
    QDialog::showEvent(event);
}

} // namespace scrivo

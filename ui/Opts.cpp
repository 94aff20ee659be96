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
#include "ui/TableLink.h"
#include "ui/UiCommon.h"

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

Opts::Opts(QWidget* parent) : QDialog(parent)
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

    LoadFromSettings();
}

void Opts::ApplyLang()
{
    if (AppText[1].empty()) return;
    setWindowTitle(QStr(AppText[51]));
    Command1->setText(QStr(AppText[1]));
    Command2->setText(QStr(AppText[2]));
    Label2->setText(QStr(AppText[52]));
    Label3->setText(QStr(AppText[53]));
    BoldChk->setText(QStr(AppText[54]));
    MonoChk->setText(QStr(AppText[55]));
    ShortNmChk->setText(QStr(AppText[56]));
    SymChk->setText(QStr(AppText[57]));
    AnimChk->setText(QStr(AppText[58]));
    CardTxtChk->setText(QStr(AppText[59]));
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
    Combo1->setCurrentText(QStr(FontName));
    Combo2->setCurrentText(QString::number(FontSize));
    UpdatePreview();
    BoldChk->setChecked(BoldText);
    MonoChk->setChecked(ColourText);
    SymChk->setChecked(Symbols);
    AnimChk->setChecked(Animated);
    ShortNmChk->setChecked(ShortText);
    CardTxtChk->setChecked(CardText);
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
        MsgBox(AppText[70], MsgButtons::Ok, MsgIcon::Information);
        return false;
    }
    BoldText = BoldChk->isChecked();
    ColourText = MonoChk->isChecked();
    Symbols = SymChk->isChecked();
    Animated = AnimChk->isChecked();
    CardText = CardTxtChk->isChecked();
    ShortText = ShortNmChk->isChecked();
    FontName = StdStr(Combo1->currentText());
    // A size box without a positive number keeps the size it had.
    const long size = LeadingNumber(Combo2->currentText());
    if (size > 0) FontSize = size;
    RefreshTableLog();
    accept();
    return true;
}

void Opts::showEvent(QShowEvent* event)
{
    LoadFromSettings();
    QDialog::showEvent(event);
}

} // namespace scrivo

#include "ui/AboutFrm.h"

#include <QIcon>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "settings/Language.h"
#include "ui/ClickLabel.h"
#include "ui/MainMod.h"
#include "ui/UiCommon.h"
#include "settings/TextIds.h"

namespace scrivo {

AboutFrm::AboutFrm(const Language& language, QWidget* parent) : QDialog(parent), m_language(language)
{
    setObjectName("AboutFrm");
    setWindowTitle("Scrivo Poker");
    setWindowIcon(QIcon(ProgramLogo(64)));

    LogoPic = new QLabel(this);
    LogoPic->setObjectName("LogoPic");
    LogoPic->setPixmap(ProgramLogo(96));

    auto* title = new QLabel("Scrivo Poker", this);
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.8);
    titleFont.setBold(true);
    title->setFont(titleFont);

    VerLbl = new QLabel("Version 0.00", this);
    VerLbl->setObjectName("VerLbl");
    QFont verFont("Trebuchet MS");
    verFont.setPointSizeF(VerLbl->font().pointSizeF());
    VerLbl->setFont(verFont);

    Blurb = new QLabel("Texas Hold'em for a shared folder on your network.", this);
    Blurb->setObjectName("Blurb");
    Blurb->setWordWrap(true);

    OKBtn = new QPushButton("OK", this);
    OKBtn->setObjectName("OKBtn");
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);

    auto* text = new QVBoxLayout;
    text->addWidget(title);
    text->addWidget(VerLbl);
    text->addSpacing(6);
    text->addWidget(Blurb);
    text->addStretch(1);

    auto* top = new QHBoxLayout;
    top->addWidget(LogoPic, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(text, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKBtn);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    setMinimumWidth(380);
    ShowTextsPlain(this);
}

void AboutFrm::Prepare()
{
    ApplyLang();
    VerLbl->setText(ToQ(VersionText("V")));
}

void AboutFrm::showEvent(QShowEvent* event)
{
    Prepare();
    QDialog::showEvent(event);
}

void AboutFrm::ApplyLang()
{
    if (m_language.AppText[Cap::Ok].empty()) return;
    OKBtn->setText(ToQ(m_language.AppText[Cap::Ok]));
    if (!m_language.AppText[Cap::AboutBlurb].empty())
        Blurb->setText(ToQ(m_language.AppText[Cap::AboutBlurb]));
    if (!m_language.AppText[Cap::AboutTitle].empty())
        setWindowTitle(ToQ(m_language.AppText[Cap::AboutTitle]));
}

} // namespace scrivo

#include "ui/ConnectWiz.h"

#include <exception>

#include <QIcon>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "settings/Language.h"
#include "settings/Settings.h"
#include "ui/ClickLabel.h"
#include "ui/ConnectFrm.h"
#include "ui/FolderDialog.h"
#include "ui/MainMod.h"
#include "ui/UiCommon.h"
#include "settings/TextIds.h"

namespace scrivo {

ConnectWiz::ConnectWiz(Settings& settings, Language& language, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_language(language)
{
    setObjectName("ConnectWiz");
    setWindowTitle("Startup Wizard");
    setWindowIcon(QIcon(ProgramLogo(64)));
    BuildWidgets();
    ShowTextsPlain(this);
    Load();
}

void ConnectWiz::BuildWidgets()
{
    LogoPic = new ClickLabel(this);
    LogoPic->setObjectName("LogoPic");
    LogoPic->setPixmap(ProgramLogo(72));
    LogoPic->setCursor(Qt::PointingHandCursor);
    connect(LogoPic, &ClickLabel::clicked, this, [this] { LogoClick(); });

    Label2 = new QLabel("Scrivo Poker", this);
    QFont big = Label2->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    Label2->setFont(big);
    Label3 = new QLabel("Texas Hold'em on a shared folder", this);
    VersionLbl = new QLabel(this);
    VersionLbl->setObjectName("VersionLbl");
    Label5 = new QLabel("------------", this);
    QFont strong = Label5->font();
    strong.setBold(true);
    Label5->setFont(strong);

    DetailFrame = new QFrame(this);
    DetailFrame->setObjectName("DetailFrame");
    DetailFrame->setFrameShape(QFrame::StyledPanel);
    Label4 = new QLabel("Language:", DetailFrame);
    LangCombo = new QComboBox(DetailFrame);
    LangCombo->setObjectName("LangCombo");
    connect(LangCombo, &QComboBox::activated, this, [this] { LangComboClick(); });
    Label1 = new QLabel("Player Name:", DetailFrame);
    PName = new QLineEdit(DetailFrame);
    PName->setObjectName("PName");
    PName->setMaxLength(25);
    Label8 = new QLabel("Game Folder Location:", DetailFrame);
    ServerCombo = new QLineEdit(DetailFrame);
    ServerCombo->setObjectName("ServerCombo");
    ServerCombo->setToolTip("This needs to be set to a shared folder that can be seen by all players.");
    ServerCombo->setMinimumWidth(fontMetrics().horizontalAdvance(QString(34, 'x')));
    SelFolderBtn = new QToolButton(DetailFrame);
    SelFolderBtn->setObjectName("SelFolderBtn");
    SelFolderBtn->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    SelFolderBtn->setToolTip("Select folder");
    connect(SelFolderBtn, &QToolButton::clicked, this, [this] { SelFolderClick(); });

    auto* grid = new QGridLayout(DetailFrame);
    grid->addWidget(Label4, 0, 0);
    grid->addWidget(LangCombo, 0, 1, 1, 2);
    grid->addWidget(Label1, 1, 0);
    grid->addWidget(PName, 1, 1, 1, 2);
    grid->addWidget(Label8, 2, 0);
    grid->addWidget(ServerCombo, 2, 1);
    grid->addWidget(SelFolderBtn, 2, 2);
    grid->setColumnStretch(1, 1);

    ConnectButton = new QPushButton("OK", this);
    ConnectButton->setObjectName("ConnectButton");
    ConnectButton->setDefault(true);
    connect(ConnectButton, &QPushButton::clicked, this, [this] { ConnectClick(); });

    auto* heading = new QVBoxLayout;
    heading->addWidget(Label2);
    heading->addWidget(Label3);
    heading->addWidget(VersionLbl);
    heading->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addWidget(LogoPic, 0, Qt::AlignTop);
    top->addSpacing(10);
    top->addLayout(heading, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ConnectButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(Label5);
    layout->addWidget(DetailFrame);
    layout->addLayout(buttons);
}

void ConnectWiz::Load()
{
    try {
        VersionLbl->setText(ToQ(VersionText("v")));
        PName->setText(ToQ(m_settings.LastPlayer));
        ServerCombo->setText(ToQ(m_settings.ServerDirectory));
        if (!m_language.LangNames.empty() && !m_language.LangNames[0].empty()) {
            const QSignalBlocker block(LangCombo);
            for (std::size_t i = 0; i < m_language.LangNames.size(); ++i) {
                LangCombo->addItem(ToQ(m_language.LangNames[i]));
                if (m_language.LangNames[i] == m_settings.Language)
                    LangCombo->setCurrentIndex(static_cast<int>(i));
            }
            if (!m_settings.Language.empty() && LangCombo->currentIndex() >= 0 &&
                m_language.LangNames[static_cast<std::size_t>(LangCombo->currentIndex())] ==
                    m_settings.Language) {
                // the loaded language is already selected
            } else {
                // First start: the language of the system, else English.
                const std::size_t preferred = m_language.PreferredIndex(LocaleFromEnvironment());
                LangCombo->setCurrentIndex(static_cast<int>(preferred));
                m_language.ReadLanguageFile(m_language.LangFiles[preferred], m_settings);
            }
        } else {
            MsgBox("Problem - No language files exist (Lang_*.ini)", MsgButtons::Ok, MsgIcon::Exclamation);
        }
        ApplyLang();
    } catch (const std::exception& e) {
        MsgBox(std::string("Error loading form: ") + e.what());
    }
}

void ConnectWiz::ApplyLang()
{
    ApplyQtTranslation(m_language, m_settings);
    if (m_language.AppText[Cap::Ok].empty()) return;
    ConnectButton->setText(ToQ(m_language.AppText[Cap::Ok]));
    Label1->setText(ToQ(m_language.AppText[Cap::PlayerName]));
    Label8->setText(ToQ(m_language.AppText[Cap::FolderLocation]));
    Label5->setText(ToQ(m_language.AppText[Cap::WizardWelcome]));
    if (!m_language.AppText[Cap::WizardTitle].empty())
        setWindowTitle(ToQ(m_language.AppText[Cap::WizardTitle]));
    if (!m_language.AppText[Cap::WizardSubtitle].empty())
        Label3->setText(ToQ(m_language.AppText[Cap::WizardSubtitle]));
    // Caption 3 names the language box.
    if (!m_language.AppText[Cap::LanguageLabel].empty())
        Label4->setText(ToQ(m_language.AppText[Cap::LanguageLabel]));
}

void ConnectWiz::LangComboClick()
{
    const int pos = LangCombo->currentIndex();
    if (pos >= 0 && static_cast<std::size_t>(pos) < m_language.LangFiles.size())
        m_language.ReadLanguageFile(m_language.LangFiles[static_cast<std::size_t>(pos)], m_settings);
    ApplyLang();
}

void ConnectWiz::SelFolderClick()
{
    std::string start = FromQ(ServerCombo->text());
    if (start.empty()) start = "c";
    const std::string path = BrowseForFolder("Select folder:", start, true);
    if (!path.empty()) ServerCombo->setText(ToQ(path));
}

bool ConnectWiz::ConnectClick()
{
    try {
        const int pos = LangCombo->currentIndex();
        if (pos < 0 || static_cast<std::size_t>(pos) >= m_language.LangFiles.size() ||
            m_language.LangFiles[static_cast<std::size_t>(pos)].empty()) {
            MsgBox("No language selected.", MsgButtons::Ok, MsgIcon::Information);
            return false;
        }
        m_language.ReadLanguageFile(m_language.LangFiles[static_cast<std::size_t>(pos)], m_settings);
        if (PName->text().isEmpty()) {
            MsgBox(m_language.AppText[Cap::NeedPlayerName], MsgButtons::Ok, MsgIcon::Information);
            return false;
        }
        const std::string folder = FromQ(ServerCombo->text());
        if (!FolderExists(folder)) {
            MsgBox(m_language.AppText[Cap::FolderMissing], MsgButtons::Ok, MsgIcon::Information);
            return false;
        }
        m_settings.ServerDirectory = folder;
        m_settings.LastPlayer = FromQ(PName->text());
        ConnectFrm& browser = TheConnectFrm();
        browser.PNameLbl->setText(ToQ(m_settings.LastPlayer));
        if (m_settings.ServerDirectory.empty() || m_settings.ServerDirectory.back() != PathSeparator)
            m_settings.ServerDirectory += PathSeparator;
        if (!browser.isVisible()) {
            browser.SetHeightTwips(3230);
            browser.show();
        }
        browser.ApplyLang();
        browser.StartTimer();
        m_programClose = true;
        SaveSettingsNow(m_settings);
        accept();
        UnloadConnectWiz();
        return true;
    } catch (const std::exception& e) {
        MsgBox(std::string("Error Connecting: ") + e.what());
        return false;
    }
}

void ConnectWiz::LogoClick()
{
    ShowAbout();
}

void ConnectWiz::reject()
{
    // The close box and Escape both come here. Closed by the user while the
    // wizard is the only window on screen (first run): the program ends at
    // once, without saving anything.
    if (!m_programClose) {
        int visible = 0;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            const Qt::WindowType type = w->windowType();
            if (w->isVisible() && type != Qt::ToolTip && type != Qt::Popup) ++visible;
        }
        if (visible <= 1) {
            QDialog::reject();
            QuitProgram();
            return;
        }
    }
    QDialog::reject();
}

} // namespace scrivo

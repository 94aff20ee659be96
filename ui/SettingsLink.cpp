#include "ui/SettingsLink.h"

#include <cmath>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "console/MainForm.h"
#include "console/QtPlatform.h"
#include "ui/ConnectFrm.h"
#include "ui/MainMod.h"
#include "ui/TableLink.h"
#include "ui/UiCommon.h"

namespace scrivo {

namespace {

long CopyStepX()
{
    return std::lround(PixelsToTwipsX(CopyStepPixels * CopyNumber()));
}

long CopyStepY()
{
    return std::lround(PixelsToTwipsY(CopyStepPixels * CopyNumber()));
}

QLineEdit* FieldBox(ConnectFrm& frm, SettingsControls::Field field)
{
    switch (field) {
    case SettingsControls::Field::GameName:
        return frm.GameNametxt;
    case SettingsControls::Field::StartCash:
        return frm.StartPotTxt;
    case SettingsControls::Field::BigBlind:
        return frm.BigBlindTxt;
    case SettingsControls::Field::SmallBlind:
        return frm.SmallBlindTxt;
    case SettingsControls::Field::Currency:
        return frm.CurrencyTxt;
    case SettingsControls::Field::Bots:
        return frm.BotsTxt;
    }
    return frm.GameNametxt;
}

} // namespace

WindowSettingsControls::WindowSettingsControls()
    : m_browserWindow(std::make_unique<WidgetGeometry>(&TheConnectFrm())),
      m_screen(std::make_unique<QtScreenMetrics>(&TheConnectFrm()))
{
    m_browser = std::make_unique<CopyGeometry>(*m_browserWindow, CopyStepX(), CopyStepY());
}

WindowSettingsControls::~WindowSettingsControls() = default;

void WindowSettingsControls::SetPlayerNameCaption(const std::string& text)
{
    TheConnectFrm().PNameLbl->setText(ToQ(text));
}

int WindowSettingsControls::GameTypeComboCount() const
{
    return TheConnectFrm().GameTypeCombo->count();
}

int WindowSettingsControls::GameTypeComboIndex() const
{
    return TheConnectFrm().GameTypeCombo->currentIndex();
}

void WindowSettingsControls::SetGameTypeComboIndex(int index)
{
    TheConnectFrm().GameTypeCombo->setCurrentIndex(index);
}

int WindowSettingsControls::TypeComboCount() const
{
    return TheConnectFrm().TypeCombo->count();
}

int WindowSettingsControls::TypeComboIndex() const
{
    return TheConnectFrm().TypeCombo->currentIndex();
}

void WindowSettingsControls::SetTypeComboIndex(int index)
{
    TheConnectFrm().TypeCombo->setCurrentIndex(index);
}

int WindowSettingsControls::BotLevelComboCount() const
{
    return TheConnectFrm().BotLevelCombo->count();
}

int WindowSettingsControls::BotLevelComboIndex() const
{
    return TheConnectFrm().BotLevelCombo->currentIndex();
}

void WindowSettingsControls::SetBotLevelComboIndex(int index)
{
    TheConnectFrm().BotLevelCombo->setCurrentIndex(index);
}

void WindowSettingsControls::ShowCreateOptions(const Settings& settings)
{
    TheConnectFrm().ShowCreateOptions(settings);
}

std::string WindowSettingsControls::FieldText(Field field) const
{
    return FromQ(FieldBox(TheConnectFrm(), field)->text());
}

void WindowSettingsControls::SetFieldText(Field field, const std::string& text)
{
    FieldBox(TheConnectFrm(), field)->setText(ToQ(text));
}

FormGeometry* WindowSettingsControls::TableWindow()
{
    MainForm* form = ::scrivo::TableWindow();
    if (form == nullptr) return nullptr;
    m_table = std::make_unique<CopyGeometry>(form->Geometry(), CopyStepX(), CopyStepY());
    return m_table.get();
}

FormGeometry* WindowSettingsControls::Browser()
{
    return m_browser.get();
}

const ScreenMetrics& WindowSettingsControls::Screen() const
{
    return *m_screen;
}

double WindowSettingsControls::ToolBoxLeft() const
{
    MainForm* form = ::scrivo::TableWindow();
    return form != nullptr ? form->ToolBoxLeft() : -1;
}

double WindowSettingsControls::ToolBoxTop() const
{
    MainForm* form = ::scrivo::TableWindow();
    return form != nullptr ? form->ToolBoxTop() : 1620;
}

void WindowSettingsControls::SetToolBoxLeft(double twips)
{
    if (MainForm* form = ::scrivo::TableWindow()) form->SetToolBoxLeft(twips);
}

void WindowSettingsControls::SetToolBoxTop(double twips)
{
    if (MainForm* form = ::scrivo::TableWindow()) form->SetToolBoxTop(twips);
}

} // namespace scrivo

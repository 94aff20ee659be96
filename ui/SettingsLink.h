#pragma once

#include <memory>

#include "settings/SettingsStore.h"

namespace scrivo {

class QtScreenMetrics;
class WidgetGeometry;

// The settings file's view of the windows: the browser's create-game fields
// and player name, and the positions of the browser, the table window and
// its tool box.
class WindowSettingsControls final : public SettingsControls {
public:
    WindowSettingsControls();
    ~WindowSettingsControls() override;

    void SetPlayerNameCaption(const std::string& text) override;
    int GameTypeComboCount() const override;
    int GameTypeComboIndex() const override;
    void SetGameTypeComboIndex(int index) override;
    int TypeComboCount() const override;
    int TypeComboIndex() const override;
    void SetTypeComboIndex(int index) override;
    int BotLevelComboCount() const override;
    int BotLevelComboIndex() const override;
    void SetBotLevelComboIndex(int index) override;
    std::string FieldText(Field field) const override;
    void SetFieldText(Field field, const std::string& text) override;
    FormGeometry* TableWindow() override;
    FormGeometry* Browser() override;
    const ScreenMetrics& Screen() const override;
    double ToolBoxLeft() const override;
    double ToolBoxTop() const override;
    void SetToolBoxLeft(double twips) override;
    void SetToolBoxTop(double twips) override;

private:
    std::unique_ptr<WidgetGeometry> m_browser;
    std::unique_ptr<QtScreenMetrics> m_screen;
};

} // namespace scrivo

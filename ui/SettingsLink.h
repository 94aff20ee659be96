#pragma once

#include <memory>

#include "settings/SettingsStore.h"

namespace scrivo {

class QtScreenMetrics;
class WidgetGeometry;

// A window's place as the settings file keeps it: that of the first copy of
// the program. A later copy shows its windows a step further right and down
// and saves them back without the step, so that two copies sharing one
// settings file never open exactly on top of each other.
class CopyGeometry final : public FormGeometry {
public:
    CopyGeometry(FormGeometry& window, long stepX, long stepY) : m_window(window), m_x(stepX), m_y(stepY) {}
    int WindowState() const override { return m_window.WindowState(); }
    void SetWindowState(int state) override { m_window.SetWindowState(state); }
    long Left() const override { return m_window.Left() - m_x; }
    long Top() const override { return m_window.Top() - m_y; }
    long Width() const override { return m_window.Width(); }
    long Height() const override { return m_window.Height(); }
    void Move(long left, long top, long width, long height) override
    {
        m_window.Move(left + m_x, top + m_y, width, height);
    }

private:
    FormGeometry& m_window;
    long m_x;
    long m_y;
};

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
    void ShowCreateOptions(const Settings& settings) override;
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
    std::unique_ptr<WidgetGeometry> m_browserWindow;
    std::unique_ptr<CopyGeometry> m_browser;
    std::unique_ptr<CopyGeometry> m_table;
    std::unique_ptr<QtScreenMetrics> m_screen;
};

} // namespace scrivo

#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/Screen.h"
#include "settings/SettingsStore.h"

namespace scrivo::test {

// A window that remembers its geometry and every Move.
class FakeForm : public FormGeometry {
public:
    FakeForm(long left = 0, long top = 0, long width = 0, long height = 0)
        : left(left), top(top), width(width), height(height)
    {
    }
    int WindowState() const override { return state; }
    void SetWindowState(int s) override { state = s; }
    long Left() const override { return left; }
    long Top() const override { return top; }
    long Width() const override { return width; }
    long Height() const override { return height; }
    void Move(long l, long t, long w, long h) override
    {
        left = l;
        top = t;
        width = w;
        height = h;
        ++moves;
    }

    int state = Normal;
    long left, top, width, height;
    int moves = 0;
};

// A screen of a given size in twips, 15 twips per pixel unless told.
class FakeScreen final : public ScreenMetrics {
public:
    FakeScreen(long width = 19200, long height = 14400, long tppX = 15, long tppY = 15)
        : width(width), height(height), tppX(tppX), tppY(tppY)
    {
    }
    long WidthTwips() const override { return width; }
    long HeightTwips() const override { return height; }
    long TwipsPerPixelX() const override { return tppX; }
    long TwipsPerPixelY() const override { return tppY; }

    long width, height, tppX, tppY;
};

// The windows' side of the settings, as plain values. It starts as the
// session browser's load handler leaves it.
class FakeSettingsControls : public SettingsControls {
public:
    void SetPlayerNameCaption(const std::string& text) override { playerCaption = text; }
    int GameTypeComboCount() const override { return 1; }
    int GameTypeComboIndex() const override { return gameIndex; }
    void SetGameTypeComboIndex(int index) override { gameIndex = index; }
    int TypeComboCount() const override { return 3; }
    int TypeComboIndex() const override { return typeIndex; }
    void SetTypeComboIndex(int index) override { typeIndex = index; }
    int BotLevelComboCount() const override { return 2; }
    int BotLevelComboIndex() const override { return levelIndex; }
    void SetBotLevelComboIndex(int index) override { levelIndex = index; }
    std::string FieldText(Field field) const override
    {
        const auto it = fields.find(field);
        return it == fields.end() ? std::string() : it->second;
    }
    void SetFieldText(Field field, const std::string& text) override { fields[field] = text; }
    FormGeometry* TableWindow() override { return withWindows ? &table : nullptr; }
    FormGeometry* Browser() override { return withWindows ? &browser : nullptr; }
    const ScreenMetrics& Screen() const override { return screen; }
    double ToolBoxLeft() const override { return toolLeft; }
    double ToolBoxTop() const override { return toolTop; }
    void SetToolBoxLeft(double twips) override { toolLeft = twips; }
    void SetToolBoxTop(double twips) override { toolTop = twips; }

    std::string playerCaption = "PlayerName";
    int gameIndex = 0;
    int levelIndex = 0;
    int typeIndex = 2;
    std::map<Field, std::string> fields{{Field::Bots, "3"}, {Field::StartCash, "50"}};
    bool withWindows = true;
    FakeForm table{100, 200, 9000, 7000};
    FakeForm browser{300, 400, 6000, 3230};
    FakeScreen screen;
    double toolLeft = 0;
    double toolTop = 0;
};

} // namespace scrivo::test

#pragma once

#include <cstdint>

#include <QColor>
#include <QLabel>
#include <QPalette>
#include <QString>
#include <QWidget>

namespace scrivo {

// Colours are kept as the table describes them: 24-bit blue-green-red.
inline QColor FromBgr(std::uint32_t bgr)
{
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

namespace bgr {
inline constexpr std::uint32_t Black = 0x000000;
inline constexpr std::uint32_t White = 0xFFFFFF;
inline constexpr std::uint32_t Red = 0x0000FF;
inline constexpr std::uint32_t DarkRed = 0x0000C0;
inline constexpr std::uint32_t LightGreen = 0x80FF80;
inline constexpr std::uint32_t Blue = 0xFF0000;
inline constexpr std::uint32_t GreyOlive = 0x639894;
inline constexpr std::uint32_t DarkGreen = 0x376F00;
inline constexpr std::uint32_t Crimson = 0x2510A8;
} // namespace bgr

// Text colour of a label or button.
inline void SetTextColour(QWidget* w, std::uint32_t bgrColour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, FromBgr(bgrColour));
    p.setColor(QPalette::ButtonText, FromBgr(bgrColour));
    w->setPalette(p);
}

// Filled background of a label.
inline void SetGround(QLabel* l, std::uint32_t bgrColour)
{
    QPalette p = l->palette();
    p.setColor(QPalette::Window, FromBgr(bgrColour));
    l->setPalette(p);
    l->setAutoFillBackground(true);
}

// The suit signs, hearts, diamonds, spades, clubs.
inline constexpr char16_t SuitSigns[4] = {u'\u2665', u'\u2666', u'\u2660', u'\u2663'};

} // namespace scrivo

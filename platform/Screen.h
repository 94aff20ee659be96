#pragma once

namespace scrivo {

// Window geometry in twips (1/1440 inch), the unit of the settings file.
// The Qt windows implement these; tests use fakes.
class FormGeometry {
public:
    enum State { Normal = 0, Minimised = 1, Maximised = 2 };
    virtual ~FormGeometry() = default;
    virtual int WindowState() const = 0;
    virtual void SetWindowState(int state) = 0;
    virtual long Left() const = 0;
    virtual long Top() const = 0;
    virtual long Width() const = 0;
    virtual long Height() const = 0;
    virtual void Move(long left, long top, long width, long height) = 0;
};

class ScreenMetrics {
public:
    virtual ~ScreenMetrics() = default;
    virtual long WidthTwips() const = 0;
    virtual long HeightTwips() const = 0;
    virtual long TwipsPerPixelX() const = 0;
    virtual long TwipsPerPixelY() const = 0;
};

} // namespace scrivo

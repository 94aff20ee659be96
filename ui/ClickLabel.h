#pragma once

#include <QLabel>

namespace scrivo {

// A picture or label that reports a left click, like a clickable picture box.
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace scrivo

#include "ui/ClickLabel.h"

#include <QMouseEvent>

namespace scrivo {

void ClickLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
    QLabel::mouseReleaseEvent(event);
}

} // namespace scrivo

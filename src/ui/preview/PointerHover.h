#pragma once

#include <QEnterEvent>
#include <QEvent>
#include <QMouseEvent>

namespace tavimo {

// Follows the pointer over a widget for a hover preview, from the widget's events as an event
// filter sees them: `moved` with the pointer's place as it enters or moves (mouse tracking on),
// `left` as it leaves or the widget hides.
template <typename Moved, typename Left>
void followPointer(const QEvent* event, Moved&& moved, Left&& left) {
    switch (event->type()) {
    case QEvent::Enter:
        moved(static_cast<const QEnterEvent*>(event)->position().toPoint());
        break;
    case QEvent::MouseMove:
        moved(static_cast<const QMouseEvent*>(event)->position().toPoint());
        break;
    case QEvent::Leave:
    case QEvent::Hide:
        left();
        break;
    default:
        break;
    }
}

} // namespace tavimo

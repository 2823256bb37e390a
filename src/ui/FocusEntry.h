#pragma once

#include <QFocusEvent>

// Entering a control: the analyst moving the focus there within its window, with the mouse, Tab
// or a command. The focus a window gets back when it becomes active again (after a hint or a
// message box closed over it) or when a menu or list closes is no entering: a hint tied to
// entering would otherwise come back each time it closes.
inline bool EntersControl(const QEvent* event)
{
    if (event->type() != QEvent::FocusIn)
        return false;
    switch (static_cast<const QFocusEvent*>(event)->reason()) {
    case Qt::MouseFocusReason:
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::ShortcutFocusReason:
    case Qt::OtherFocusReason:
        return true;
    default:
        return false;
    }
}

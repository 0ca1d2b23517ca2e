// Mouse events as a user makes them, sent straight to a widget: a press,
// moves with the left button held, a release.
#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

inline void SendMouse(QWidget* target, QEvent::Type type, const QPoint& global, Qt::MouseButtons buttons) {
    const QPointF local = target->mapFromGlobal(global);
    QMouseEvent event(type, local, global, type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// Presses at from (control coordinates) on target (the control or a part
// of it), moves by delta and releases.
inline void DragBy(QWidget* control, QWidget* target, QPoint from, QPoint delta) {
    const QPoint start = control->mapToGlobal(from);
    SendMouse(target, QEvent::MouseButtonPress, start, Qt::LeftButton);
    SendMouse(target, QEvent::MouseMove, start + delta / 2, Qt::LeftButton);
    SendMouse(target, QEvent::MouseMove, start + delta, Qt::LeftButton);
    SendMouse(target, QEvent::MouseButtonRelease, start + delta, Qt::NoButton);
}

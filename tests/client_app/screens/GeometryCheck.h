// What a user sees wrong in a shown window, found from its widgets'
// geometry: a visible control that overlaps a visible sibling, reaches
// outside its parent or the screen, a label, button or date field narrower
// (or lower) than its text needs, a tab bar whose tabs do not all fit, a
// chart picture larger than its control, and a tool-bar or menu-bar command
// pushed behind the overflow button.
#pragma once

#include <QStringList>

class QWidget;

// One text per fault, naming the widget by its path from the window.
QStringList GeometryFaults(QWidget* window);

// "CMainFrame/QToolBar(Standard)/QToolButton 'Home'": classes, object
// names and texts from the window down to the widget.
QString WidgetPath(const QWidget* widget);

#include "GeometryCheck.h"

#include "CLabelCtrl.h"

#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAction>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QSizeGrip>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>

namespace {

QString Size(const QSize& size)
{
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

QString Rect(const QRect& rect)
{
    return QStringLiteral("(%1,%2 %3)").arg(rect.x()).arg(rect.y()).arg(Size(rect.size()));
}

QString ShownText(const QWidget* widget)
{
    if (auto* label = qobject_cast<const QLabel*>(widget)) return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(widget)) return button->text();
    if (auto* label = qobject_cast<const CLabelCtrl*>(widget)) return label->GetText();
    return QString();
}

// Widgets whose parts Qt places itself: each is checked as one control.
bool IsOneControl(const QWidget* widget)
{
    if (qobject_cast<const QScrollArea*>(widget)) return false;
    return qobject_cast<const QAbstractScrollArea*>(widget) || qobject_cast<const QComboBox*>(widget) ||
           qobject_cast<const QAbstractSpinBox*>(widget) || qobject_cast<const QLineEdit*>(widget) ||
           qobject_cast<const QAbstractButton*>(widget) || qobject_cast<const QLabel*>(widget) ||
           qobject_cast<const QTabBar*>(widget) || qobject_cast<const QMenuBar*>(widget) ||
           qobject_cast<const QProgressBar*>(widget) || qobject_cast<const QAbstractSlider*>(widget) ||
           qobject_cast<const QCalendarWidget*>(widget) || qobject_cast<const QSizeGrip*>(widget) ||
           qobject_cast<const CLabelCtrl*>(widget);
}

QList<QWidget*> ShownChildren(const QWidget* parent)
{
    QList<QWidget*> shown;
    for (QWidget* child : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!child->isWindow() && child->isVisible()) shown << child;
    return shown;
}

// The width a push button's text and icon take, without the style's least
// width for buttons with text.
QSize PushButtonNeeds(const QPushButton* button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.features = QStyleOptionButton::None;
    if (button->isFlat()) option.features |= QStyleOptionButton::Flat;
    if (button->autoDefault()) option.features |= QStyleOptionButton::AutoDefaultButton;
    if (button->isDefault()) option.features |= QStyleOptionButton::DefaultButton;
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    int width = 0;
    int height = 0;
    if (!button->icon().isNull()) {
        width += option.iconSize.width() + 4;
        height = option.iconSize.height();
    }
    if (!button->text().isEmpty()) {
        const QSize text = button->fontMetrics().size(Qt::TextShowMnemonic, button->text());
        width += text.width();
        height = qMax(height, text.height());
    }
    option.rect.setSize(QSize(width, height));
    return button->style()->sizeFromContents(QStyle::CT_PushButton, &option, QSize(width, height), button);
}

// A control narrower than its text (or lower than a line of it), a combo
// box that cuts its chosen entry, or a picture larger than its label.
void CheckText(const QWidget* widget, QStringList& faults)
{
    const int line = widget->fontMetrics().height();
    const auto fault = [&](const QString& what) { faults << WidgetPath(widget) + QStringLiteral(": ") + what; };
    if (auto* label = qobject_cast<const QLabel*>(widget)) {
        if (!label->pixmap().isNull()) {
            const QSize picture = label->pixmap().deviceIndependentSize().toSize();
            if (picture.width() > label->contentsRect().width() || picture.height() > label->contentsRect().height())
                fault(QStringLiteral("picture %1 larger than its control %2")
                          .arg(Size(picture), Size(label->contentsRect().size())));
            return;
        }
        if (label->text().isEmpty()) return;
        if (label->wordWrap()) {
            const int needed = label->heightForWidth(label->width());
            if (needed > label->height())
                fault(QStringLiteral("wrapped text needs %1 high, has %2").arg(needed).arg(label->height()));
            return;
        }
        const QSize needed = label->sizeHint();
        if (label->width() < needed.width())
            fault(QStringLiteral("text needs %1 wide, has %2").arg(needed.width()).arg(label->width()));
        if (label->height() < line)
            fault(QStringLiteral("text needs %1 high, has %2").arg(line).arg(label->height()));
        return;
    }
    if (auto* label = qobject_cast<const CLabelCtrl*>(widget)) {
        // Its text block whole inside it.
        if (!label->rect().contains(label->TextBlockRect()))
            fault(QStringLiteral("text needs %1, has %2").arg(Size(label->sizeHint()), Size(label->size())));
        return;
    }
    if (auto* button = qobject_cast<const QPushButton*>(widget)) {
        const QSize needed = PushButtonNeeds(button);
        if (button->width() < needed.width())
            fault(QStringLiteral("needs %1 wide, has %2").arg(needed.width()).arg(button->width()));
        if (!button->text().isEmpty() && button->height() < line)
            fault(QStringLiteral("text needs %1 high, has %2").arg(line).arg(button->height()));
        return;
    }
    if (qobject_cast<const QCheckBox*>(widget) || qobject_cast<const QRadioButton*>(widget) ||
        qobject_cast<const QToolButton*>(widget)) {
        const QSize needed = widget->sizeHint();
        if (widget->width() < needed.width())
            fault(QStringLiteral("needs %1 wide, has %2").arg(needed.width()).arg(widget->width()));
        if (!ShownText(widget).isEmpty() && widget->height() < line)
            fault(QStringLiteral("text needs %1 high, has %2").arg(line).arg(widget->height()));
        return;
    }
    if (auto* combo = qobject_cast<const QComboBox*>(widget)) {
        // The chosen entry shown whole (an editable one scrolls in its edit).
        if (combo->isEditable() || combo->currentText().isEmpty()) return;
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.editable = false;
        option.currentText = combo->currentText();
        QSize text(combo->fontMetrics().horizontalAdvance(combo->currentText()), combo->fontMetrics().height());
        if (!combo->itemIcon(combo->currentIndex()).isNull()) text.rwidth() += combo->iconSize().width() + 4;
        const QSize needed = combo->style()->sizeFromContents(QStyle::CT_ComboBox, &option, text, combo);
        if (combo->width() < needed.width())
            fault(QStringLiteral("'%1' needs %2 wide, has %3").arg(combo->currentText()).arg(needed.width()).arg(combo->width()));
        return;
    }
    if (qobject_cast<const QAbstractSpinBox*>(widget)) {
        const QSize needed = widget->sizeHint();
        if (widget->width() < needed.width())
            fault(QStringLiteral("its text needs %1 wide, has %2").arg(needed.width()).arg(widget->width()));
        if (widget->height() < line)
            fault(QStringLiteral("its text needs %1 high, has %2").arg(line).arg(widget->height()));
    }
}

// Every tab of the bar at its full size, without scroll buttons or elided captions.
void CheckTabs(const QTabWidget* tabs, QStringList& faults)
{
    const QTabBar* bar = tabs->tabBar();
    if (!bar->isVisible()) return;
    const QSize needed = bar->sizeHint();
    const bool across = tabs->tabPosition() == QTabWidget::North || tabs->tabPosition() == QTabWidget::South;
    if (across ? bar->width() < needed.width() : bar->height() < needed.height())
        faults << WidgetPath(bar) + QStringLiteral(": tabs need %1, have %2").arg(Size(needed), Size(bar->size()));
}

// Commands pushed out of a bar show its overflow button.
void CheckToolBar(const QToolBar* bar, QStringList& faults)
{
    if (auto* more = bar->findChild<QWidget*>(QStringLiteral("qt_toolbar_ext_button")); more && more->isVisible())
        faults << WidgetPath(bar) + QStringLiteral(": commands behind the overflow button");
    for (QAction* action : bar->actions()) {
        if (action->isSeparator() || !action->isVisible()) continue;
        QWidget* shown = bar->widgetForAction(action);
        if (!shown || !shown->isVisible())
            faults << WidgetPath(bar) + QStringLiteral(": command '%1' not shown").arg(action->text());
    }
}

void CheckMenuBar(const QMenuBar* bar, QStringList& faults)
{
    if (auto* more = bar->findChild<QWidget*>(QStringLiteral("qt_menubar_ext_button")); more && more->isVisible())
        faults << WidgetPath(bar) + QStringLiteral(": menus behind the overflow button");
}

void Walk(const QWidget* parent, QStringList& faults);

// A child inside its parent, its text shown whole, and what it holds.
void CheckChild(const QWidget* parent, const QWidget* child, QStringList& faults)
{
    if (!parent->rect().contains(child->geometry()))
        faults << WidgetPath(child) +
                      QStringLiteral(": %1 reaches outside its parent %2").arg(Rect(child->geometry()), Size(parent->size()));
    CheckText(child, faults);
    if (auto* bar = qobject_cast<const QToolBar*>(child)) CheckToolBar(bar, faults);
    if (auto* bar = qobject_cast<const QMenuBar*>(child)) CheckMenuBar(bar, faults);
    Walk(child, faults);
}

void Walk(const QWidget* parent, QStringList& faults)
{
    if (auto* tabs = qobject_cast<const QTabWidget*>(parent)) {
        // The bar and the page stack are the tab widget's own parts.
        CheckTabs(tabs, faults);
        if (QWidget* page = tabs->currentWidget(); page && page->isVisible()) {
            CheckText(page, faults);
            Walk(page, faults);
        }
        return;
    }
    if (auto* area = qobject_cast<const QScrollArea*>(parent)) {
        // What scrolls may be larger than the view; its own children may not.
        if (QWidget* content = area->widget(); content && content->isVisible()) Walk(content, faults);
        return;
    }
    if (IsOneControl(parent)) return;
    const QList<QWidget*> children = ShownChildren(parent);
    for (const QWidget* child : children) CheckChild(parent, child, faults);
    for (int i = 0; i < children.size(); ++i) {
        for (int j = i + 1; j < children.size(); ++j) {
            const QRect both = children[i]->geometry() & children[j]->geometry();
            if (both.isEmpty()) continue;
            faults << WidgetPath(children[i]) + QStringLiteral(" %1 overlaps %2 %3 by %4")
                                                    .arg(Rect(children[i]->geometry()), WidgetPath(children[j]),
                                                         Rect(children[j]->geometry()), Size(both.size()));
        }
    }
}

}  // namespace

QString WidgetPath(const QWidget* widget)
{
    QStringList parts;
    for (const QWidget* w = widget; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
        QString part = QString::fromLatin1(w->metaObject()->className());
        if (!w->objectName().isEmpty()) part += QStringLiteral("(%1)").arg(w->objectName());
        const QString text = ShownText(w);
        if (!text.isEmpty()) part += QStringLiteral(" '%1'").arg(text.left(40));
        parts.prepend(part);
    }
    return parts.join(QLatin1Char('/'));
}

QStringList GeometryFaults(QWidget* window)
{
    QStringList faults;
    if (!window || !window->isVisible()) return {WidgetPath(window) + QStringLiteral(": not shown")};
    if (QScreen* screen = window->screen()) {
        const QRect area = screen->availableGeometry();
        if (!area.contains(window->frameGeometry()))
            faults << WidgetPath(window) + QStringLiteral(": %1 does not fit the screen %2")
                                               .arg(Rect(window->frameGeometry()), Rect(area));
    }
    Walk(window, faults);
    return faults;
}

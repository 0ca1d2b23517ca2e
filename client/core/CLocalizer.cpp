#include "CLocalizer.h"

#include "CAppContext.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QWidget>

namespace {

QString TextFor(const QObject* object, const CAppContext& context) {
    const QVariant id = object->property("langId");
    if (!id.isValid()) return QString();
    QString text = context.Text(id.toInt());
    if (text.isEmpty()) return text;
    text.replace("\\t", "\t");
    if (object->property("langColon").toBool()) text += QLatin1Char(':');
    return text;
}

void Caption(QObject* object, const CAppContext& context) {
    const QString text = TextFor(object, context);
    if (text.isEmpty()) return;
    if (auto* action = qobject_cast<QAction*>(object)) {
        action->setText(text);
    } else if (auto* label = qobject_cast<QLabel*>(object)) {
        label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(object)) {
        button->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(object)) {
        group->setTitle(text);
    } else if (auto* menu = qobject_cast<QMenu*>(object)) {
        menu->setTitle(text);
    } else if (auto* widget = qobject_cast<QWidget*>(object)) {
        if (widget->isWindow()) widget->setWindowTitle(text);
    }
}

}  // namespace

void CLocalizer::SetId(QObject* object, int id, bool colon) {
    if (!object) return;
    object->setProperty("langId", id);
    if (colon) object->setProperty("langColon", true);
}

void CLocalizer::Apply(QWidget* root, const CAppContext& context) {
    if (!root) return;
    Caption(root, context);
    for (QObject* child : root->findChildren<QObject*>()) Caption(child, context);
    for (QWidget* window : root->findChildren<QWidget*>())
        if (auto* localizable = dynamic_cast<ILocalizable*>(window)) localizable->LocalizeCaptions();
    if (auto* localizable = dynamic_cast<ILocalizable*>(root)) localizable->LocalizeCaptions();
}

void CLocalizer::ApplyAll(const CAppContext& context) {
    for (QWidget* window : QApplication::topLevelWidgets()) Apply(window, context);
}

#include "CLocalizer.h"

#include <QWidget>

template <typename T>
T* ControlById(QWidget* dialog, int id)
{
    return dialog ? dialog->findChild<T*>(QString::number(id)) : nullptr;
}

template <typename T>
T* WithId(T* widget, int id, bool colon)
{
    widget->setObjectName(QString::number(id));
    return CLocalizer::Tag(widget, id, colon);
}

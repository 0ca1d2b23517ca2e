#include "CEditedFields.h"

void CEditedFields::Add(const FieldEdit& field, Reader read, Shower show, ToValue toValue)
{
    m_bindings.push_back({field, std::move(read), std::move(show), std::move(toValue)});
}

CEditedFields::Binding* CEditedFields::Find(const QString& column)
{
    for (Binding& b : m_bindings)
        if (b.field.column.compare(column, Qt::CaseInsensitive) == 0) return &b;
    return nullptr;
}

void CEditedFields::SetCaption(const QString& column, const QString& caption)
{
    if (Binding* b = Find(column)) b->field.caption = caption;
}

void CEditedFields::Loaded(const std::function<QString(const QString& column)>& stored)
{
    for (Binding& b : m_bindings) {
        b.field.stored = stored(b.field.column);
        b.field.loaded = b.read();
    }
}

QVector<FieldEdit> CEditedFields::Edits() const
{
    QVector<FieldEdit> edits;
    edits.reserve(m_bindings.size());
    for (const Binding& b : m_bindings) {
        FieldEdit edit = b.field;
        edit.current = b.read();
        edit.value = b.toValue ? b.toValue(edit.current) : edit.current;
        edits << edit;
    }
    return edits;
}

bool CEditedFields::HasChanges() const
{
    for (const Binding& b : m_bindings)
        if (!b.field.derived && b.read() != b.field.loaded) return true;
    return false;
}

void CEditedFields::Rebase(const QVector<FieldConflict>& conflicts, bool take)
{
    for (const FieldConflict& conflict : conflicts) {
        Binding* b = Find(conflict.column);
        if (!b) continue;
        b->field.stored = conflict.stored;
        if (!take) continue;
        b->show(conflict.stored);
        b->field.loaded = b->read();
    }
}

bool CEditedFields::Restore(const QString& column, const QString& stored, const QString& text)
{
    Binding* b = Find(column);
    if (!b) return false;
    b->field.stored = stored;
    b->show(text);
    return true;
}

void CEditedFields::Saved(const QVector<FieldEdit>& written)
{
    for (const FieldEdit& edit : written) {
        Binding* b = Find(edit.column);
        if (!b) continue;
        b->field.stored = edit.value;
        b->field.loaded = edit.current;
    }
}

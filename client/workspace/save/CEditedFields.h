// CEditedFields: the columns an edit form shows for one defect, each bound
// to its control, with the values the form loaded. It gives the save the
// field -> (loaded, current) description and keeps the baselines right
// after a save or a refusal. The defect editor's pages and quick edit each
// keep one.
#pragma once

#include "FieldEdit.h"

#include <QVector>

#include <functional>

class CEditedFields {
public:
    using Reader = std::function<QString()>;
    using Shower = std::function<void(const QString& stored)>;
    using ToValue = std::function<QString(const QString& shown)>;

    // field gives column, caption, kind and param. read gives the control's
    // text; show puts a stored value into the control; toValue turns the
    // control's text into the column's value (none: the text itself).
    void Add(const FieldEdit& field, Reader read, Shower show, ToValue toValue = {});
    void SetCaption(const QString& column, const QString& caption);

    // The controls now show the defect as the server gave it; stored gives
    // the server's text of a column.
    void Loaded(const std::function<QString(const QString& column)>& stored);
    // Every field with its baselines and its current text and value.
    QVector<FieldEdit> Edits() const;
    bool HasChanges() const;
    // After a refusal: the stored values the user was shown become the
    // baselines, so saving again writes over them deliberately; with take
    // the controls show them instead of what was typed.
    void Rebase(const QVector<FieldConflict>& conflicts, bool take);
    // After a save: what was written is what the server holds.
    void Saved(const QVector<FieldEdit>& written);
    // Text typed earlier into a form loaded with stored: the control shows
    // it and a save checks the server against stored, not the loaded value.
    // false for a column the form does not show.
    bool Restore(const QString& column, const QString& stored, const QString& text);

private:
    struct Binding {
        FieldEdit field;
        Reader read;
        Shower show;
        ToValue toValue;
    };
    Binding* Find(const QString& column);

    QVector<Binding> m_bindings;
};

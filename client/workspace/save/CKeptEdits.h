// CKeptEdits: the text quick edit could not write as the program ended
// (the server down, or another user's newer save), kept in the user's
// folder in "unsaved_edits.json" until the user restores or discards it at
// the next start.
#pragma once

#include <QString>
#include <QVector>

// One field as the panel held it: the stored value it was loaded with, so
// that a later save still sees another user's change, and the typed text.
struct KeptField {
    QString column;
    QString caption;
    QString stored;
    QString text;
};

struct KeptDefect {
    int id = 0;
    QVector<KeptField> fields;
};

class CKeptEdits {
public:
    explicit CKeptEdits(const QString& folder);

    QString Path() const { return m_path; }
    // Adds a defect's fields, replacing what was kept for it before.
    bool Add(const KeptDefect& defect);
    // What is kept, oldest first; empty when nothing is (or with Error()
    // when the file cannot be read, which then stays as it is).
    QVector<KeptDefect> Load();
    bool Remove(int id);
    const QString& Error() const { return m_error; }

private:
    // What is kept for the other defects; false when the file cannot be read.
    bool LoadOthers(int id, QVector<KeptDefect>& defects);
    bool Save(const QVector<KeptDefect>& defects);

    QString m_path;
    QString m_error;
};

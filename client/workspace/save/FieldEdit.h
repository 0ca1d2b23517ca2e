// FieldEdit: one column of a defect as an edit form holds it, so that a
// save writes only what the user changed, and never over a newer save.
#pragma once

#include <QString>

enum class FieldKind {
    Text,      // a quoted literal
    Number,    // written bare (values the client makes itself, never typed)
    Date,      // a quoted literal; an empty value is NULL
    LongText,  // sent as a long parameter and bound by its name
    Expression,  // computed by the server: value is the SQL that gives it
};

struct FieldEdit {
    QString column;   // column of t_bug
    QString caption;  // what the form calls the field
    FieldKind kind = FieldKind::Text;
    QString param;  // the long parameter's name (LongText)
    // Not typed by the user but kept by the form (the attachment flag):
    // written whenever it differs from the stored value, never refused.
    bool derived = false;
    QString stored;   // the server's text when the form loaded the defect
    QString loaded;   // what the control showed then
    QString current;  // what the control shows now
    QString value;    // what a save writes for current
    bool Changed() const { return !derived && loaded != current; }
};

// A changed field that another save changed too since the form loaded it.
struct FieldConflict {
    QString column;
    QString caption;
    QString yours;   // what the form shows
    QString stored;  // what the server holds now
};

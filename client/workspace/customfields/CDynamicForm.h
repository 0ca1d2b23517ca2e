// CDynamicForm: a form whose fields are decided at run time. It reads and
// writes its fields as layout text (an ini section: title, font and one
// "name=label,type,x,y,width,height,styles" line per field), creates one
// control per field on a parent widget, reads and sets field values as
// text, and in design mode lets the user drag and resize the controls.
// Failures are status values; the last error text is kept.
#pragma once

#include "CFormField.h"

#include <QFont>
#include <QPointer>
#include <QString>

#include <functional>
#include <vector>

class QWidget;

class CDynamicForm {
public:
    CDynamicForm();
    virtual ~CDynamicForm();
    CDynamicForm(const CDynamicForm&) = delete;
    CDynamicForm& operator=(const CDynamicForm&) = delete;

    // The scratch files: the layout text is parsed from layoutFile, and
    // GetLayoutText writes tmpstring.txt in tempFolder. Both default to the
    // user's folders (CClientFolders).
    void SetScratchFiles(const QString& layoutFile, const QString& tempFolder);
    // Where messages for the user go (a duplicate field name); without a
    // sink they are only kept as the last error.
    void SetMessageSink(std::function<void(const QString&)> sink) { m_messageSink = std::move(sink); }
    const QString& GetLastError() const { return m_lastError; }

    // Writes text to the layout scratch file and parses its section: 1, or 0
    // when the file cannot be written (the form is left as it was).
    int LoadLayoutFile(const QString& text, const QString& section);
    // Clears the form, then adds a field for every line of the section with
    // seven pieces; a missing file or section gives an empty form. Always 1.
    int ParseLayout(const QString& path, const QString& section);
    // Reads the positions back, then writes the layout text to path (empty:
    // the file last parsed). false when it cannot be written.
    bool WriteLayout(const QString& path);
    // The layout text as WriteLayout writes it, read back line by line (at
    // most 1000 lines, each ended by a line feed); empty on failure.
    QString GetLayoutText();

    // Appends a copy: false (and a message) when the name is taken. A
    // negative control id takes the next id, style 0 the type's default.
    bool AddField(const CFormField& field);
    // Removes every field of that name with its control; true if any.
    bool RemoveField(const QString& name);
    int GetFieldCount() const { return static_cast<int>(m_fields.size()); }
    bool HasField(const QString& name) const;
    const std::vector<CFormField>& Fields() const { return m_fields; }

    // The value of the first field of that name ("" without one or without
    // its control): the text of an edit, label or button, the selected item
    // of a list or combo box, a date as yyyy-mm-dd.
    QString GetFieldValue(const QString& name) const;
    // 0 without the field's control; otherwise sets the text, selects the
    // equal item (case ignored; none equal: the selection stays) or the date
    // (a button keeps its caption), and 1.
    int SetFieldValue(const QString& name, const QString& value);
    // The control of the first field of that name, null while the controls
    // do not exist; its type in type when given.
    QWidget* FindControl(const QString& name, int* type = nullptr) const;

    // 0 without parent; else (re)creates every field's control on it and 1.
    int CreateControls(QWidget* parent);
    void DestroyControls();
    // Design flag of the form, of every field and of every existing control;
    // a Static field changes between edit and label at the next creation.
    void SetDesignMode(int on);
    // Each field with a control takes the control's rectangle (a combo box's
    // bottom becomes 220). 0 without parent, else 1.
    int ReadBackPositions();
    // Destroys the controls and removes every field; the font becomes the
    // default face at size 15. Title, section, ids and parent stay.
    void Clear();
    void SetStartId(int n);

    const QString& Title() const { return m_title; }
    const QString& FontFace() const { return m_fontFace; }
    int FontSize() const { return m_fontSize; }
    const QString& Section() const { return m_section; }
    const QString& LayoutFilePath() const { return m_layoutPath; }
    int StartId() const { return m_startId; }
    int NextId() const { return m_nextId; }
    int IsDesignMode() const { return m_design; }
    int ControlsCreated() const { return m_controlsCreated; }
    QWidget* Parent() const { return m_parent; }

    static constexpr const char* kDefaultFace = "Microsoft Sans Serif";

private:
    // The layout text, as the writer writes it (positions as they stand).
    QString LayoutText() const;
    void CreateControl(CFormField& field, QWidget* parent);
    void SetFontFromLayout(const QString& value);
    void Message(const QString& text);
    const CFormField* Find(const QString& name) const;

    std::vector<CFormField> m_fields;
    int m_controlsCreated = 0;
    int m_design = 1;
    int m_startId = 6000;
    int m_nextId = 6001;
    QString m_title;
    QString m_fontFace;
    int m_fontSize = 12;
    QFont m_formFont;
    QString m_section;
    QPointer<QWidget> m_parent;
    QString m_layoutPath;

    QString m_layoutScratch;
    QString m_tempFolder;
    std::function<void(const QString&)> m_messageSink;
    QString m_lastError;
};

// CPromptInputDlg: asks for one line of text (a new name, a file name); OK
// is accepted only once something is typed.
#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;
class CAppContext;

class CPromptInputDlg : public QDialog {
    Q_OBJECT
public:
    CPromptInputDlg(CAppContext& context, QWidget* parent = nullptr);

    // Set by the caller before exec(); m_value holds the text after OK.
    QString m_value;
    QString m_title;
    QString m_initialText;

    int exec() override;

public slots:
    void OnOK();

private:
    CAppContext& m_context;
    QLineEdit* m_edit;
};

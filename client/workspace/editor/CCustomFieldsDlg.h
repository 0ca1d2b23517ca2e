// CCustomFieldsDlg: the editor's custom-fields page. This build shows no
// custom fields and contributes no column assignments.
#pragma once

#include <QString>
#include <QWidget>

class CAppContext;

class CCustomFieldsDlg : public QWidget {
    Q_OBJECT
public:
    CCustomFieldsDlg(CAppContext& context, QWidget* parent = nullptr)
        : QWidget(parent), m_context(context) {}
    // Comma-led assignments of the custom columns for an update; empty here.
    QString BuildAssignments() const { return QString(); }

private:
    CAppContext& m_context;
};

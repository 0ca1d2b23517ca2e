// CAttachmentDlg: the editor's attachments page. This build lists no
// attachments and opens no FTP session.
#pragma once

#include <QWidget>

class CAppContext;

class CAttachmentDlg : public QWidget {
    Q_OBJECT
public:
    CAttachmentDlg(CAppContext& context, QWidget* parent = nullptr)
        : QWidget(parent), m_context(context) {}
    int RowCount() const { return 0; }
    bool Connect() { return true; }

private:
    CAppContext& m_context;
};

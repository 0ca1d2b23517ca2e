// CAttachmentDlg: the editor's attachments page. This build lists the
// current defect's attachment records (t_bug_attach) read-only; it moves
// no files and opens no FTP session.
#pragma once

#include <QWidget>

class CAppContext;
class CResultGrid;

class CAttachmentDlg : public QWidget {
    Q_OBJECT
public:
    CAttachmentDlg(CAppContext& context, QWidget* parent = nullptr);
    // Rows listed: the editor sets BG_ATTACHMENT by it.
    int RowCount() const;
    bool Connect() { return true; }
    void LoadList();
    CResultGrid* Grid() const { return m_grid; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    CAppContext& m_context;
    CResultGrid* m_grid;
};

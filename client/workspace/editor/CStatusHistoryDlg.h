// CStatusHistoryDlg: the editor's read-only page of the current defect's
// status changes (t_bug_status), oldest first.
#pragma once

#include <QWidget>

class CAppContext;
class CResultGrid;

class CStatusHistoryDlg : public QWidget {
    Q_OBJECT
public:
    explicit CStatusHistoryDlg(CAppContext& context, QWidget* parent = nullptr);
    CResultGrid* Grid() const { return m_grid; }

public slots:
    void Refresh();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    CAppContext& m_context;
    CResultGrid* m_grid;
};

// CFlowDefineDlg: the workflow page: for each defect status the statuses a
// defect may move to (T_BUG_TRANS_RULE, COLUMN_NAME 'BG_STATUS'), and the
// switch of each status (PARAMETER_ENABLE). The caller reloads its cached
// statuses when m_statusesChanged is set, and its rules when
// m_rulesChanged is set.
#pragma once

#include "ISheetPage.h"

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;
class CAppContext;
class CFlowStatusGrid;

class CFlowDefineDlg : public QDialog, public ISheetPage {
    Q_OBJECT
public:
    explicit CFlowDefineDlg(CAppContext& context, QWidget* parent = nullptr);

    QWidget* Widget() override { return this; }

    void OnInitDialog();
    void ColourButtons();
    void SetTexts();
    void FillNotAllowed();
    // The selected status, empty without one.
    QString SelectedStatus() const;

    QPushButton* m_removeAll;  // ">>"
    QPushButton* m_remove;     // ">"
    QPushButton* m_addAll;     // "<<"
    QPushButton* m_addOne;     // "<"
    QPushButton* m_enable;
    QPushButton* m_disable;
    CFlowStatusGrid* m_grid;
    QListWidget* m_cannotChange;  // 3186
    QListWidget* m_canChange;     // 3185
    int m_initialised = 0;
    int m_statusesChanged = 0;
    int m_rulesChanged = 0;

public slots:
    // Fills the page at its first activation (shown, or chosen in the sheet).
    bool OnSetActive() override;
    void OnStatusSelected();
    void OnAddRule();
    void OnAddAllRules();
    void OnRemoveRule();
    void OnRemoveAllRules();
    void OnDisable();
    void OnEnable();

    // Escape inside the sheet closes the sheet, not the page alone.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool InsertRule(const QString& from, const QString& to);
    void SetEnabled(int on);

    CAppContext& m_context;
    QLabel* m_statusLabel;
    QLabel* m_canLabel;
    QLabel* m_cannotLabel;
};

// CZentryView: the defect workspace (view 101): side panels for quick
// filters, query conditions and column choice on the left, the defect grid
// on the right and, when switched on, the quick-edit panel below the grid.
// Export and Mail of its context menu come from the composition (a command
// without a handler there is disabled).
#pragma once

#include "IDefectListHost.h"
#include "IFrameView.h"

#include <QString>
#include <QWidget>

class CAppContext;
class CDefectListGrid;
class CQueryConditionDlg;
class CQueryFieldsDlg;
class CQuickEditDlg;
class CQuickFilterDlg;
class CSplitterBar;
class QMenu;
class QTabWidget;
struct CWorkspaceCommands;

class CZentryView : public QWidget, public IFrameView, public IDefectListHost {
    Q_OBJECT
public:
    // commands: the handlers of the commands done elsewhere, for this view
    // and the editors it opens (null: none, those commands are disabled).
    explicit CZentryView(CAppContext& context, QWidget* parent = nullptr,
                         const CWorkspaceCommands* commands = nullptr);
    ~CZentryView() override;

    QWidget* Widget() override { return this; }
    // The quick-edit panel writes what it shows before the view goes; what
    // it could not write goes only when the user agrees.
    bool SaveEdits() override;
    // PreView (2012) is ticked while the quick-edit panel is shown.
    int CommandCheck(int commandId) const override;

    // Runs the statement through the grid, then marks, captions and colours.
    void RefreshList(const QString& sql) override;
    void LayoutPanes();
    void MarkAttachments(int first, int last);

    // Deletes the selected defect after asking; false when nothing was deleted.
    bool DeleteSelectedDefect();
    // Opens the editor for the current defect id (modal); after a save the
    // defect's row shows what was saved.
    void OpenEditor(int bugId);
    // Reads the defect's row of the list again (the list is not queried again).
    void ReloadDefectRow(int bugId);
    void TogglePreview();
    void ToggleAutoSize();
    void ToggleFillBackground();

    CDefectListGrid* Grid() const override { return m_grid; }
    QString SelectList() const override;
    QString LastWhere() const override;
    CQueryConditionDlg* ConditionPanel() const { return m_condition; }
    CQueryFieldsDlg* FieldsPanel() const { return m_fields; }
    CQuickFilterDlg* FilterPanel() const { return m_filter; }
    CQuickEditDlg* QuickEditPanel() const { return m_quickEdit; }
    QTabWidget* Tabs() const { return m_tabs; }
    CSplitterBar* Splitter() const { return m_splitter; }
    QMenu* ContextMenu() const { return m_menu; }
    const QString& LastSql() const { return m_lastSql; }
    int m_autoSizeColumns = 1;

public slots:
    void OnRefresh() override;
    void OnAddDefect();
    void OnViewDefect();
    void OnDeleteDefect();
    // Tab captions and the four panels from the language file.
    void LocalizeTexts();
    void LocalizeCaptions() override { LocalizeTexts(); }
    void Recolour() override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreatePanes();
    void CreateMenu();
    void UpdateMenuState();
    // Runs a command of the composition's table on this view.
    void RunOutsideCommand(int commandId);
    void DecorateRows(int first, int last);
    bool DeleteAttachmentFiles(int bugId);
    bool HasRight(int right) const;

    CAppContext& m_context;
    const CWorkspaceCommands* m_commands;
    CSplitterBar* m_splitter = nullptr;
    QTabWidget* m_tabs = nullptr;
    CQueryConditionDlg* m_condition = nullptr;
    CQuickEditDlg* m_quickEdit = nullptr;
    CQuickFilterDlg* m_filter = nullptr;
    CQueryFieldsDlg* m_fields = nullptr;
    CDefectListGrid* m_grid = nullptr;
    QMenu* m_menu = nullptr;
    QString m_lastSql;
};

// CZentryView: the defect workspace (view 101): side panels for quick
// filters, query conditions and column choice on the left, the defect grid
// on the right and, when switched on, the quick-edit panel below the grid.
#pragma once

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

class CZentryView : public QWidget {
    Q_OBJECT
public:
    explicit CZentryView(CAppContext& context, QWidget* parent = nullptr);
    ~CZentryView() override;

    // Runs the statement through the grid, then marks, captions and colours.
    void RefreshList(const QString& sql);
    void LayoutPanes();
    void MarkAttachments(int first, int last);

    // Deletes the selected defect after asking; false when nothing was deleted.
    bool DeleteSelectedDefect();
    // Opens the editor for the current defect id (modal).
    void OpenEditor(int bugId);
    void TogglePreview();
    void ToggleAutoSize();
    void ToggleFillBackground();

    CDefectListGrid* Grid() const { return m_grid; }
    CQueryConditionDlg* ConditionPanel() const { return m_condition; }
    CQueryFieldsDlg* FieldsPanel() const { return m_fields; }
    CQuickFilterDlg* FilterPanel() const { return m_filter; }
    CQuickEditDlg* QuickEditPanel() const { return m_quickEdit; }
    QTabWidget* Tabs() const { return m_tabs; }
    CSplitterBar* Splitter() const { return m_splitter; }
    QMenu* ContextMenu() const { return m_menu; }
    const QString& LastSql() const { return m_lastSql; }
    int m_autoSizeColumns = 1;

signals:
    // Commands whose dialogs live elsewhere (export, mail).
    void ExportRequested();
    void MailRequested(int bugId);

public slots:
    void OnRefresh();
    void OnAddDefect();
    void OnViewDefect();
    void OnDeleteDefect();
    // Tab captions and the four panels from the language file.
    void LocalizeTexts();
    // The client's language switch calls this name on every window.
    void LocalizeCaptions() { LocalizeTexts(); }
    void Recolour();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreatePanes();
    void CreateMenu();
    void UpdateMenuState();
    void DecorateRows(int first, int last);
    bool DeleteAttachmentFiles(int bugId);
    bool HasRight(int right) const;

    CAppContext& m_context;
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

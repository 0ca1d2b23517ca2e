// CInterQueryForm: the interactive query view (view 1059). A tab strip on
// the left lists the predefined report scripts; picking one builds the
// parameter panel from the script's query template. Report runs the built
// query, shows its rows and hands the day and the rows to the report
// library, which writes the script's workbook. go lays out the default
// date and status fields.
#pragma once

#include "CQueryTemplatePanel.h"
#include "IFrameView.h"

#include <QString>
#include <QWidget>

class QPlainTextEdit;
class QPushButton;
class QResizeEvent;
class QTabWidget;
class CAppContext;
class CReportListDlg;
class CReportPageDlg;
class CResultGrid;

class CInterQueryForm : public QWidget, public IFrameView {
    Q_OBJECT
public:
    enum {
        ViewId = 1059,
        GridId = 165,
        TabsId = 1,
        ScriptTextId = 3253,
        ReportId = 3254,
        GoId = 3214,
        ListTitleId = 1060,
        PageTitleId = 1063,
    };
    // The tab strip's right edge; the script text and the grid start here.
    static constexpr int kTabsRight = 165;
    static constexpr int kGridTop = 300;

    CInterQueryForm(CAppContext& context, QWidget* parent = nullptr);
    ~CInterQueryForm() override;

    QWidget* Widget() override { return this; }
    void LocalizeCaptions() override;

    // The script the panel and the report use: the last one picked, the
    // status report before any pick.
    const QString& ScriptPath() const { return m_scriptPath; }
    static QString DefaultScriptPath();

    // Builds the panel from the query template of the script in use.
    void BuildParamForm();
    void FillLookupLists();
    // Runs the built query and the report; false when either failed (shown).
    bool OnReport();
    // The default date and status fields, without a template.
    void OnGo();

    CQueryTemplatePanel& Panel() { return m_panel; }
    CResultGrid* Grid() const { return m_grid; }
    CReportListDlg* ReportList() const { return m_reportList; }
    CReportPageDlg* ReportPage() const { return m_reportPage; }
    QTabWidget* Tabs() const { return m_tabs; }
    QPlainTextEdit* ScriptText() const { return m_scriptText; }
    QPushButton* ReportButton() const { return m_report; }
    QPushButton* GoButton() const { return m_go; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnReportPicked(const QString& path, const QString& text);
    void LayoutChildren();

    CAppContext& m_context;
    CQueryTemplatePanel m_panel;
    QString m_scriptPath;
    QTabWidget* m_tabs;
    CReportListDlg* m_reportList;
    CReportPageDlg* m_reportPage;
    QPlainTextEdit* m_scriptText;
    QPushButton* m_report;
    QPushButton* m_go;
    CResultGrid* m_grid;
};

// CResultGrid: the client's table of query results. Runs a select through
// the data client and shows its fields as columns, optionally numbered; a
// result that reaches the server's row cap is completed by a paged query.
#pragma once

#include "CGroupRowsModel.h"
#include "CResultGridModel.h"

#include <QPair>
#include <QString>
#include <QTableView>
#include <QTimer>
#include <QVector>

class CAppContext;
class CGroupByBar;
class CGroupHeaderView;
class CHttpDataClient;
class CResultSet;

class CResultGrid : public QTableView {
    Q_OBJECT
public:
    explicit CResultGrid(CAppContext& context, QWidget* parent = nullptr);
    ~CResultGrid() override;

    void SetDataClient(CHttpDataClient* client) { m_dataClient = client; }
    void SetRowNumbers(int on) { m_rowNumbers = on; }
    void SetStandardLook();
    void SetAutoSizeColumns(bool on);
    // The group-by box above the column header; hiding it ungroups the rows.
    void SetGroupByBox(bool on);
    bool GroupByBox() const { return m_groupByBox; }
    CGroupByBar* GroupBar() const;
    // Groups the rows by these columns of the table, outermost first.
    void SetGroupColumns(const QVector<int>& columns);
    const QVector<int>& GroupColumns() const { return m_groups->GroupColumns(); }
    // The rows as shown: group rows and the table's rows of expanded groups.
    CGroupRowsModel* Groups() const { return m_groups; }
    // Where a group row's sign is drawn: a click there opens or closes it.
    QRect GroupSignRect(int row) const;

    int RunQuery(const QString& sql);
    int RunQueryWidths(const QString& sql, QVector<int> widths);
    int RunQueryTyped(const QString& sql, QVector<int> widths, QVector<int> types);
    int ShowPairs(const QVector<QPair<QString, double>>& pairs, const QString& labelCaption,
                  const QString& numberCaption);
    int SetRowTextColor(int row, const QColor& colour);

    CResultGridModel* Model() const { return m_model; }
    int RowCount() const { return m_model->rowCount(); }
    // Column of a result field (ignoring case), -1 when the result has none.
    int FieldColumn(const QString& fieldName) const;
    // The table's row that is current, -1 for none or a group row.
    int CurrentRow() const;
    // Makes a row of the table current, expanding the groups that hide it.
    void SetCurrentRow(int row);
    // The selected row's value of a result field; empty without one.
    QString SelectedValue(const QString& fieldName) const;
    // True while the rest of a capped result is still being fetched.
    bool IsPaging() const { return !m_slotId.isEmpty(); }
    // Fetches the remaining pages at once (the first ones come at once anyway).
    void FinishPaging();
    // The server's cursor while paging, empty otherwise.
    const QString& PagingSlot() const { return m_slotId; }
    // True when a page failed and the rows shown are not the whole result.
    bool IsIncomplete() const { return m_pageError; }
    const QString& LastError() const { return m_lastError; }

    // Rows of a reply at or above this count may have been cut by the server.
    static constexpr int kServerRowCap = 300;

signals:
    // Rows first..last were added after the first fill (paged results).
    void RowsAppended(int first, int last);
    void PagingFinished();

protected:
    // Called after the current row changed; derived grids react here.
    virtual void OnSelChanged() {}
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Shows the group rows while grouped, the table as it is otherwise.
    void SyncGroups();
    void UseModel(QAbstractItemModel* model);
    void OnColumnDragged(int column, const QPoint& global, bool released);
    void OnBoxDragged(int box, const QPoint& global, bool released);
    // Where a drag over the box would put a column, -1 outside the box.
    int DropIndex(const QPoint& global) const;
    bool ShowsGroups() const { return model() == m_groups; }
    void PaintGroupRow(QPainter& painter, int row);

    int Fill(const QString& sql, const QVector<int>& widths, const QVector<int>* types);
    void AppendResult(const CResultSet& result, const QVector<int>* types);
    bool StartPaging(const QString& sql, const QVector<int>* types);
    bool FetchPage(int count);
    void StopPaging();
    // Stops paging; a page that failed is reported.
    void EndPaging();
    void ApplyWidths(int fields, const QVector<int>& widths);

    CAppContext& m_context;
    CHttpDataClient* m_dataClient = nullptr;
    int m_rowNumbers = 1;
    bool m_autoSize = false;
    bool m_groupByBox = false;
    CResultGridModel* m_model;
    CGroupRowsModel* m_groups;
    CGroupHeaderView* m_header;
    QString m_lastError;
    QString m_slotId;
    QVector<int> m_pageTypes;
    bool m_pageTyped = false;
    bool m_pageError = false;  // a page failed: the list is incomplete
    QTimer m_pageTimer;
};

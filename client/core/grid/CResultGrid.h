// CResultGrid: the client's table of query results. Runs a select through
// the data client and shows its fields as columns, optionally numbered; a
// result that reaches the server's row cap is completed by a paged query.
#pragma once

#include "CResultGridModel.h"

#include <QPair>
#include <QString>
#include <QTableView>
#include <QTimer>
#include <QVector>

class CAppContext;
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
    // Kept for the query panel's Group box; the grid has no group-by area.
    void SetGroupByBox(bool on) { m_groupByBox = on; }
    bool GroupByBox() const { return m_groupByBox; }

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
    int CurrentRow() const;
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

private:
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
    QString m_lastError;
    QString m_slotId;
    QVector<int> m_pageTypes;
    bool m_pageTyped = false;
    bool m_pageError = false;  // a page failed: the list is incomplete
    QTimer m_pageTimer;
};

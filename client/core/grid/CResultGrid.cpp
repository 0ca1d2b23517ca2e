#include "CResultGrid.h"

#include "CAppContext.h"
#include "CGroupByBar.h"
#include "CGroupHeaderView.h"
#include "CHttpDataClient.h"
#include "CLocalizer.h"
#include "ClientIds.h"
#include "ParamCoding.h"
#include "QtText.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>

#include <algorithm>

namespace {

const char* const kRowNumberCaption = "序号";
// Rows asked for by each select_next after the first page.
constexpr int kPageBatch = 5000;

int DefaultWidth(int fields)
{
    switch (fields) {
    case 0:
    case 1: return 400;
    case 2: return 300;
    case 3: return 140;
    case 4: return 100;
    default: return 120;
    }
}

bool IsErrorReply(const CListString& reply)
{
    return reply.GetLength() >= 2 && reply.GetAt(0) == '-' && reply.GetAt(1) == '1';
}

// A cell's text by the requested type: 0 integer, 2 text, 4 real, else empty.
QString TypedText(const QString& text, int type)
{
    switch (type) {
    case 0: return QString::number(text.trimmed().toInt());
    case 2: return text;
    case 4: return QString::number(text.trimmed().toDouble());
    default: return QString();
    }
}

}  // namespace

CResultGrid::CResultGrid(CAppContext& context, QWidget* parent)
    : QTableView(parent), m_context(context), m_model(new CResultGridModel(this)),
      m_groups(new CGroupRowsModel(m_model, this)), m_header(new CGroupHeaderView(context.Text(ids::kGroupByHint), this))
{
    CLocalizer::Tag(m_header->Bar()->Hint(), ids::kGroupByHint);
    setHorizontalHeader(m_header);
    UseModel(m_model);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(20);
    setWordWrap(false);
    connect(m_header, &CGroupHeaderView::ColumnDragged, this, &CResultGrid::OnColumnDragged);
    connect(m_header->Bar(), &CGroupByBar::BoxDragged, this, &CResultGrid::OnBoxDragged);
    connect(m_groups, &CGroupRowsModel::GroupColumnsChanged, this, &CResultGrid::SyncGroups);
    connect(m_model, &QAbstractItemModel::headerDataChanged, this, &CResultGrid::SyncGroups);
    // Rows that came by page join the order the user chose meanwhile.
    connect(this, &CResultGrid::PagingFinished, this, [this]() {
        const int column = horizontalHeader()->sortIndicatorSection();
        if (isSortingEnabled() && column >= 0 && column < m_model->columnCount())
            m_model->sort(column, horizontalHeader()->sortIndicatorOrder());
    });
    m_pageTimer.setSingleShot(true);
    m_pageTimer.setInterval(0);
    connect(&m_pageTimer, &QTimer::timeout, this, [this]() {
        if (FetchPage(kPageBatch))
            m_pageTimer.start();
        else
            EndPaging();
    });
}

CResultGrid::~CResultGrid()
{
    m_pageTimer.stop();
    if (!m_slotId.isEmpty() && m_dataClient) {
        CListString reply;
        m_dataClient->PerformCommand("select_finish", ToList("id=" + m_slotId).CStr(), reply);
    }
}

void CResultGrid::SetStandardLook()
{
    QHeaderView* header = horizontalHeader();
    header->show();
    header->setSectionsMovable(true);
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setHighlightSections(false);
    setSortingEnabled(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    setAlternatingRowColors(true);
    setShowGrid(true);
    QPalette pal = palette();
    pal.setColor(QPalette::AlternateBase, QColor(242, 246, 252));
    pal.setColor(QPalette::Highlight, QColor(198, 216, 240));
    pal.setColor(QPalette::HighlightedText, QColor(0, 0, 0));
    setPalette(pal);
    SetAutoSizeColumns(true);
    viewport()->update();
    header->viewport()->update();
}

void CResultGrid::SetAutoSizeColumns(bool on)
{
    m_autoSize = on;
    horizontalHeader()->setSectionResizeMode(on ? QHeaderView::Stretch : QHeaderView::Interactive);
}

int CResultGrid::RunQuery(const QString& sql)
{
    return Fill(sql, {}, nullptr);
}

int CResultGrid::RunQueryWidths(const QString& sql, QVector<int> widths)
{
    return Fill(sql, widths, nullptr);
}

int CResultGrid::RunQueryTyped(const QString& sql, QVector<int> widths, QVector<int> types)
{
    return Fill(sql, widths, &types);
}

int CResultGrid::Fill(const QString& sql, const QVector<int>& widths, const QVector<int>* types)
{
    m_context.SetBusy(1);
    if (!m_dataClient) {
        m_context.SetBusy(0);
        return 0;
    }
    StopPaging();
    // A new result comes in the server's order.
    if (horizontalHeader()->sortIndicatorSection() >= 0)
        horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    m_model->ClearAll();

    CResultSet result;
    CListString error;
    const QByteArray text = sql.toUtf8();
    const int rows = m_dataClient->Select(text.constData(), result, error);
    if (rows < 0 || IsErrorReply(error)) {
        m_lastError = ToQt(error);
        m_context.SetBusy(0);
        m_context.ShowMessage(m_lastError);
        return 0;
    }
    m_lastError.clear();
    m_pageError = false;

    QStringList names;
    if (m_rowNumbers) names << QString::fromUtf8(kRowNumberCaption);
    for (const CListString& field : result.GetFields()) names << ToQt(field);
    m_model->Reset(names, names);

    // A full first answer may have been cut at the server's row cap: the
    // whole result then comes from one paged cursor instead.
    if (rows < kServerRowCap || !StartPaging(sql, types)) AppendResult(result, types);
    ApplyWidths(result.GetFieldCount(), widths);
    m_context.SetBusy(0);
    // A list that could not be completed says so.
    if (m_pageError) m_context.ShowMessage(m_lastError);
    return 1;
}

void CResultGrid::AppendResult(const CResultSet& result, const QVector<int>* types)
{
    const int first = m_model->rowCount();
    const int fields = result.GetFieldCount();
    QVector<CResultGridModel::Row> rows;
    rows.reserve(result.GetRowCount());
    int number = first;
    // The set keeps the piece after the last line separator: not a row.
    const int count = std::min<int>(result.GetRowCount(), result.GetRows().size());
    for (int r = 0; r < count; ++r) {
        const CResultRow& values = result.GetRows()[r];
        CResultGridModel::Row row;
        row.cells.reserve(fields + 1);
        if (m_rowNumbers) row.cells << QString::number(++number);
        for (int k = 0; k < fields; ++k) {
            const QString cell = k < static_cast<int>(values.size()) ? ToQt(values[k]) : QString();
            row.cells << (types && k < types->size() ? TypedText(cell, types->at(k)) : cell);
        }
        rows << std::move(row);
    }
    m_model->AppendRows(std::move(rows));
    if (first > 0 && count > 0) emit RowsAppended(first, first + count - 1);
}

bool CResultGrid::StartPaging(const QString& sql, const QVector<int>* types)
{
    CListString reply;
    CListString params("sql=");
    params.Append(EncodeParam(sql.toUtf8().constData()));
    if (!m_dataClient->PerformCommand("select_prepare", params.CStr(), reply) ||
        IsErrorReply(reply) || reply.IsEmpty())
        return false;
    m_slotId = ToQt(reply).trimmed();
    m_pageTyped = types != nullptr;
    if (types) m_pageTypes = *types;
    // The first page comes at once so that the first screen is complete;
    // the rest follows from the event loop.
    if (!FetchPage(1000)) {
        StopPaging();
        return m_model->rowCount() > 0;
    }
    m_pageTimer.start();
    return true;
}

bool CResultGrid::FetchPage(int count)
{
    if (m_slotId.isEmpty() || !m_dataClient) return false;
    CListString reply;
    CListString error;
    const QString params = QStringLiteral("id=%1&count=%2").arg(m_slotId).arg(count);
    // A session the server no longer knows (it restarted, or another server
    // behind a proxy answers) ends the list with an error, never short.
    if (!m_dataClient->Command("select_next", ToList(params).CStr(), reply, error)) {
        m_lastError = ToQt(error);
        m_pageError = true;
        return false;
    }
    if (IsErrorReply(reply)) {
        if (reply.Find("No Data") < 0) {
            // The server's words without the "-1" and the separator.
            m_lastError = ToQt(reply).mid(2);
            while (!m_lastError.isEmpty() && m_lastError.at(0).unicode() < 0x20) m_lastError.remove(0, 1);
            m_pageError = true;
        }
        return false;
    }
    CResultSet page;
    if (page.Parse(reply.CStr()) <= 0) {
        m_lastError = ToQt(reply).left(200);
        m_pageError = true;
        return false;
    }
    AppendResult(page, m_pageTyped ? &m_pageTypes : nullptr);
    return page.GetRowCount() >= count;
}

void CResultGrid::FinishPaging()
{
    while (!m_slotId.isEmpty()) {
        m_pageTimer.stop();
        if (!FetchPage(kPageBatch)) EndPaging();
    }
}

void CResultGrid::EndPaging()
{
    StopPaging();
    if (m_pageError) m_context.ShowMessage(m_lastError);
}

void CResultGrid::StopPaging()
{
    m_pageTimer.stop();
    if (m_slotId.isEmpty()) return;
    CListString reply;
    if (m_dataClient)
        m_dataClient->PerformCommand("select_finish", ToList("id=" + m_slotId).CStr(), reply);
    m_slotId.clear();
    emit PagingFinished();
}

void CResultGrid::ApplyWidths(int fields, const QVector<int>& widths)
{
    const int standard = DefaultWidth(fields);
    int column = 0;
    if (m_rowNumbers) setColumnWidth(column++, 34);
    for (int k = 0; k < fields; ++k, ++column)
        setColumnWidth(column, k < widths.size() ? widths[k] : standard);
}

int CResultGrid::ShowPairs(const QVector<QPair<QString, double>>& pairs,
                           const QString& labelCaption, const QString& numberCaption)
{
    StopPaging();
    const QStringList captions = {QString::fromUtf8(kRowNumberCaption), labelCaption, numberCaption};
    m_model->Reset(captions, captions);
    QVector<CResultGridModel::Row> rows;
    int number = 0;
    for (const auto& pair : pairs) {
        CResultGridModel::Row row;
        row.cells << QString::number(++number) << pair.first
                  << QString::number(static_cast<long long>(pair.second));
        rows << std::move(row);
    }
    m_model->AppendRows(std::move(rows));
    setColumnWidth(0, 40);
    setColumnWidth(1, 200);
    setColumnWidth(2, 200);
    return 1;
}

int CResultGrid::SetRowTextColor(int row, const QColor& colour)
{
    if (m_model->rowCount() == 0 || row < 0 || row >= m_model->rowCount()) return 0;
    m_model->SetRowColour(row, colour);
    return 1;
}

int CResultGrid::FieldColumn(const QString& fieldName) const
{
    const QStringList& names = m_model->FieldNames();
    for (int i = 0; i < names.size(); ++i)
        if (names[i].compare(fieldName, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

int CResultGrid::CurrentRow() const
{
    const QModelIndex current = selectionModel()->currentIndex();
    if (!current.isValid()) return -1;
    return ShowsGroups() ? m_groups->SourceRow(current.row()) : current.row();
}

void CResultGrid::SetCurrentRow(int row)
{
    if (row < 0 || row >= m_model->rowCount()) return;
    int shown = row;
    if (ShowsGroups()) {
        m_groups->Reveal(row);
        shown = m_groups->RowOfSource(row);
    }
    setCurrentIndex(model()->index(shown, qMax(0, currentIndex().column())));
}

QString CResultGrid::SelectedValue(const QString& fieldName) const
{
    const int row = CurrentRow();
    const int column = FieldColumn(fieldName);
    if (row < 0 || column < 0) return QString();
    return m_model->Text(row, column);
}

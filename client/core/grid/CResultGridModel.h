// CResultGridModel: the table behind a result grid: captions, field names,
// rows of texts with an optional text colour per row and image per cell.
#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QIcon>
#include <QStringList>
#include <QVector>

class CResultGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Row {
        QStringList cells;
        QColor colour;        // invalid: the grid's default text colour
        QVector<int> images;  // per cell, -1 none; empty when the row has none
    };

    explicit CResultGridModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;

    void Reset(const QStringList& fieldNames, const QStringList& captions);
    void ClearAll();
    void AppendRows(QVector<Row>&& rows);
    // New texts for a row; its colour and images are dropped.
    void ReplaceRow(int row, const QStringList& cells);

    const QStringList& FieldNames() const { return m_fieldNames; }
    // The column of the last sort, -1 while the rows are in the server's order.
    int SortColumn() const { return m_sortColumn; }
    Qt::SortOrder SortOrder() const { return m_sortOrder; }
    QString Caption(int column) const { return m_captions.value(column); }
    void SetCaption(int column, const QString& caption);
    QString Text(int row, int column) const;
    void SetText(int row, int column, const QString& text);
    void SetRowColour(int row, const QColor& colour);
    QColor RowColour(int row) const;
    void SetImage(int row, int column, int image);
    int Image(int row, int column) const;
    void SetImages(const QVector<QIcon>& images) { m_icons = images; }

private:
    QStringList m_fieldNames;
    QStringList m_captions;
    QVector<Row> m_rows;
    QVector<QIcon> m_icons;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};

// CGridExport: writes what a grid shows (its column captions, then its rows)
// to a new .xlsx workbook of one sheet. The workbook is written under a temp
// name beside the target and renamed over it when whole, so a failure leaves
// an earlier file of that name as it was.
#pragma once

#include <QDateTime>
#include <QString>
#include <QVector>

class QTableView;

class CGridExport {
public:
    // A cell holds at most this many characters (the workbook format's limit).
    static constexpr int kMaxCellChars = 32767;

    // The grid's visible columns in the order the header shows them and its
    // visible rows in view order; every cell as text, or, with numeric set,
    // as a number where its text reads as one. false with LastError.
    bool Write(const QTableView& grid, const QString& sheet, int numeric, const QString& path);
    const QString& LastError() const { return m_lastError; }

    // The sheet's name for a column caption: "-" (the attachment mark) is "A".
    static QString ColumnName(const QString& caption);
    // "%04d%02d%02d%02d%02d%02d.xlsx" of the time.
    static QString ProposedFileName(const QDateTime& when);
    // The text cut to kMaxCellChars, never between the halves of a pair.
    static QString CellText(const QString& text);
    // The number a cell text stands for (blanks around allowed); false for
    // any other text and for infinities.
    static bool ReadNumber(const QString& text, double& value);

private:
    bool Fail(const QString& text);

    QString m_lastError;
};

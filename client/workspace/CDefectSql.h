// CDefectSql: the SQL texts of the defect workspace (list queries, quick
// filters, column list, the saves of quick edit and the editor, delete),
// built from plain values so that every statement can be checked without a
// window.
#pragma once

#include "FieldEdit.h"

#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

// What the query-condition panel holds when its Query button is pressed.
struct QueryConditionValues {
    QString project;
    QDate startDate;
    QDate closeDate;
    QString responsible;  // picker text, "name (full name)" or "----------"
    QString detectedBy;
    QString status;
    QString searchText;
    QString severity;
    QString version;
    bool attachmentOnly = false;
};

// The fixed columns of a new defect as the editor inserts them.
struct DefectRecord {
    int id = 0;
    QString project;
    QString status;
    QString responsible;
    QString summary;
    QString severity;
    QString priority;
    QString detectedBy;
    QString detectionDate;  // "yyyy-mm-dd" or empty
    QString detectionVersion;
    // The custom columns the user filled in and their quoted values, each
    // comma-led (",BG_USER_01" and ",'a'"), or empty.
    QString customColumns;
    QString customValues;
};

class CDefectSql {
public:
    // Every single quote doubled, for a text placed between quotes in SQL.
    static QString Quote(const QString& text);
    // The user name of a "name (full name)" text.
    static QString NamePart(const QString& text);

    // The query-condition panel's clause, "where prj_name=... order by BG_BUG_ID ".
    static QString ConditionWhere(const QueryConditionValues& values);
    // Status condition of a quick filter button applied to the user's defects.
    static QString FilterWhere(const QString& project, const QString& statusCondition,
                               const QString& userName);
    static QString FilterWhereSince(const QString& project, const QString& statusCondition,
                                    const QString& sinceText, const QString& userName);
    // Status condition of the quick filter button with that control id;
    // empty for an id that is no filter button.
    static QString QuickFilterCondition(int buttonId);
    static bool QuickFilterIsSince(int buttonId);

    // The grid's select list: COLUMN_NAME of each column whose digit at
    // 10 + i is '1' (first 50 columns), with BG_BUG_ID and BG_STATUS always
    // present so that the list can open, colour and mark its rows.
    static QString SelectList(const QString& mask, const QStringList& columnNames);
    static QString SelectStatement(const QString& selectList, const QString& clause);

    // The update of the given fields only, in their order; empty for none.
    // Long texts are named as bound parameters.
    static QString ChangedUpdate(int id, const QVector<FieldEdit>& fields);
    // The same update, applied only while each field still holds the text
    // held gives for its upper-case column (as a select returned it; empty
    // is NULL or ''): fields held does not name, and server-computed ones,
    // are not compared. A held long text is compared with the long
    // parameter HeldParam(param).
    static QString HeldUpdate(int id, const QVector<FieldEdit>& fields,
                              const QHash<QString, QString>& held);
    static QString HeldParam(const QString& param) { return param + QStringLiteral("Was"); }
    // The attachment flag as the defect's attachment rows give it.
    static QString AttachmentFlagExpression();
    // The select of the stored values of the given fields; a server-computed
    // field also gives what it computes now, named ComputedName(column).
    static QString StoredSelect(int id, const QVector<FieldEdit>& fields);
    static QString ComputedName(const QString& column) { return column + QStringLiteral("_NOW"); }

    static QString DefectInsert(const DefectRecord& record);
    static QString StatusHistoryInsert(int id, const QString& when, const QString& from,
                                       const QString& to, const QString& user);
    // Removes the row StatusHistoryInsert with the same values added.
    static QString StatusHistoryDelete(int id, const QString& when, const QString& from,
                                       const QString& to, const QString& user);
    static QString StatusHistorySelect(int id);
    // Children first, the defect row last.
    static QStringList DeleteStatements(int id);
};

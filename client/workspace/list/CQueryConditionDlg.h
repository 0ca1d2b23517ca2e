// CQueryConditionDlg: the side panel of search conditions over the current
// project's defects; Query builds the where clause and refreshes the list.
#pragma once

#include "CDefectSql.h"

#include <QDateTime>
#include <QWidget>

class CAppContext;
class CTreeComboBox;
class IDefectListHost;
class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QLineEdit;
class QPushButton;

class CQueryConditionDlg : public QWidget {
    Q_OBJECT
public:
    CQueryConditionDlg(CAppContext& context, IDefectListHost* view, QWidget* parent = nullptr);

    void RunQuery() { OnQuery(); }
    QString BuildWhere();
    QueryConditionValues Values() const;
    void Clear();
    void Recolour();
    // One calendar month back, the day at most 28, the same time of day.
    static QDateTime MonthBefore(const QDateTime& now);

    QString m_lastWhere;

    CTreeComboBox* Responsible() const { return m_responsible; }
    CTreeComboBox* DetectedBy() const { return m_detectedBy; }
    QComboBox* StatusBox() const { return m_status; }
    QComboBox* SeverityBox() const { return m_severity; }
    QComboBox* VersionBox() const { return m_version; }
    QLineEdit* SearchEdit() const { return m_search; }
    QCheckBox* AttachmentBox() const { return m_attachment; }
    QDateTimeEdit* StartDate() const { return m_startDate; }

    // Captions from the language file (labels with ':').
    void ReCaption();

public slots:
    void OnQuery();

private:
    void Fill();

    CAppContext& m_context;
    IDefectListHost* m_view;
    QDateTimeEdit* m_startDate;
    QDateTimeEdit* m_closeDate;
    CTreeComboBox* m_responsible;
    CTreeComboBox* m_detectedBy;
    QComboBox* m_status;
    QComboBox* m_severity;
    QComboBox* m_version;
    QLineEdit* m_search;
    QCheckBox* m_attachment;
    QCheckBox* m_group;
    QPushButton* m_query;
    QPushButton* m_clear;
    QPushButton* m_moreCustom;
};

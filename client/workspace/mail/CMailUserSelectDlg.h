// CMailUserSelectDlg: picks mail recipients from the users (all, one
// department, or found by name) into a To and a Cc list. The caller gives
// the address lists before exec and reads them back after OK.
#pragma once

#include "CLocalizer.h"

#include <QDialog>
#include <QString>
#include <QStringList>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class CAppContext;
class CResultGrid;

class CMailUserSelectDlg : public QDialog, public ILocalizable {
    Q_OBJECT
public:
    static constexpr int kDialog = 1069;
    static constexpr int kClearCc = 3155;
    static constexpr int kClearTo = 3154;
    static constexpr int kCcList = 3279;
    static constexpr int kToList = 3277;
    static constexpr int kDeptList = 3077;
    static constexpr int kGrid = 165;
    static constexpr int kAddCc = 3264;
    static constexpr int kAddTo = 3263;
    static constexpr int kFind = 3015;
    static constexpr int kCancel = 3063;
    static constexpr int kOk = 3043;
    static constexpr int kSearchEdit = 186;

    explicit CMailUserSelectDlg(CAppContext& context, QWidget* parent = nullptr);

    // The statements of the user grid: everybody, one department, a search.
    QString AllUsersSql(bool spaced) const;
    QString DeptUsersSql(const QString& dept) const;
    QString FindUsersSql(const QString& text) const;

    CResultGrid* Grid() const { return m_grid; }
    QComboBox* DeptList() const { return m_dept; }
    QListWidget* ToList() const { return m_toList; }
    QListWidget* CcList() const { return m_ccList; }
    QLineEdit* SearchEdit() const { return m_search; }

    // Input before exec, output after OK.
    QStringList m_to;
    QStringList m_cc;

public slots:
    void LoadUsers();
    void OnDeptChanged();
    void OnFind();
    void OnAddTo();
    void OnAddCc();
    void OnClearTo();
    void OnClearCc();
    void OnOK();
    void LocalizeCaptions() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The selected row's address into one list (no address twice).
    void AddSelected(QStringList& addresses, QListWidget* list);
    void FillLists();
    // A field alias as a quoted SQL name.
    QString Caption(const char* field) const;

    CAppContext& m_context;
    QPushButton* m_clearCc;
    QPushButton* m_clearTo;
    QListWidget* m_ccList;
    QListWidget* m_toList;
    QComboBox* m_dept;
    CResultGrid* m_grid;
    QPushButton* m_addCc;
    QPushButton* m_addTo;
    QPushButton* m_find;
    QPushButton* m_cancel;
    QPushButton* m_ok;
    QLineEdit* m_search;
    bool m_listsFilled = false;
};

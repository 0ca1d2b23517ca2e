// CQueryFieldsDlg: the side panel where the user chooses the defect grid's
// columns (the QueryFieldMask kept in the context and in t_cfg_st_user).
#pragma once

#include <QWidget>

class CAppContext;
class IDefectListHost;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

class CQueryFieldsDlg : public QWidget {
    Q_OBJECT
public:
    CQueryFieldsDlg(CAppContext& context, IDefectListHost* view, QWidget* parent = nullptr);

    // The select list of the chosen columns (always with BG_BUG_ID and BG_STATUS).
    QString GetSelectList() const;
    void Fill();
    // Moves the field with that label between the lists and stores the mask.
    bool HideField(const QString& label);
    bool ShowField(const QString& label);
    void Recolour();
    void ReCaption();

    QListWidget* ShownList() const { return m_shown; }
    QListWidget* HiddenList() const { return m_hidden; }

public slots:
    void OnRefresh();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    bool StoreField(const QString& label, bool show);

    CAppContext& m_context;
    IDefectListHost* m_view;
    QLabel* m_label;
    QPushButton* m_refresh;
    QListWidget* m_shown;
    QListWidget* m_hidden;
};

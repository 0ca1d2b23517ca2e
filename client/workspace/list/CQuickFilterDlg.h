// CQuickFilterDlg: one button per ready-made filter over the current
// project's defects in which the user is responsible or detector.
#pragma once

#include <QVector>
#include <QWidget>

class CAppContext;
class IDefectListHost;
class QPushButton;

class CQuickFilterDlg : public QWidget {
    Q_OBJECT
public:
    CQuickFilterDlg(CAppContext& context, IDefectListHost* view, QWidget* parent = nullptr);

    void RunFilter(const QString& statusCondition);
    void RunFilterSince(const QString& statusCondition, const QString& since);
    // What the button with that id does (as a click).
    void RunButton(int buttonId);
    void Recolour();
    void ReCaption();
    QPushButton* Button(int buttonId) const;

private:
    CAppContext& m_context;
    IDefectListHost* m_view;
    QVector<QPushButton*> m_buttons;
};

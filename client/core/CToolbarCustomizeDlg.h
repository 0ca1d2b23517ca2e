// CToolbarCustomizeDlg: the modeless dialog in which the user picks which
// buttons of a tool bar show and whether their text labels show under them.
#pragma once

#include "CLocalizer.h"

#include <QDialog>
#include <QPointer>

class QCheckBox;
class QListWidget;
class QListWidgetItem;
class QToolBar;
class CAppContext;

class CToolbarCustomizeDlg : public QDialog, public ILocalizable {
    Q_OBJECT
public:
    CToolbarCustomizeDlg(CAppContext& context, QToolBar* toolBar, QWidget* parent = nullptr);

    QListWidget* Buttons() const { return m_buttons; }
    QCheckBox* TextLabels() const { return m_textLabels; }

public slots:
    void LocalizeCaptions() override;

private slots:
    void OnItemChanged(QListWidgetItem* item);
    void OnTextLabels(bool on);

private:
    CAppContext& m_context;
    QPointer<QToolBar> m_toolBar;
    QListWidget* m_buttons;
    QCheckBox* m_textLabels;
};

#include "CToolbarCustomizeDlg.h"

#include "CAppContext.h"
#include "CLocalizer.h"
#include "ClientIds.h"
#include "DialogHelpers.h"

#include <QAction>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

// The action a list entry stands for.
QAction* ActionOf(QListWidgetItem* item) {
    return static_cast<QAction*>(item->data(Qt::UserRole).value<QObject*>());
}

}  // namespace

CToolbarCustomizeDlg::CToolbarCustomizeDlg(CAppContext& context, QToolBar* toolBar, QWidget* parent)
    : QDialog(parent), m_context(context), m_toolBar(toolBar) {
    setObjectName("CToolbarCustomizeDlg");
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);
    CLocalizer::Tag(this, ids::kCustomizeDlg);
    m_buttons = new QListWidget(this);
    m_buttons->setObjectName(QString::number(ids::kCustomizeButtons));
    m_textLabels = CLocalizer::Tag(new QCheckBox(this), ids::kCustomizeTextLabels);
    m_textLabels->setObjectName(QString::number(ids::kCustomizeTextLabels));
    auto* close = CLocalizer::Tag(new QPushButton(this), ids::kOk);
    close->setObjectName(QString::number(ids::kOk));
    if (m_toolBar) {
        for (QAction* action : m_toolBar->actions()) {
            if (action->isSeparator()) continue;
            // Buttons without a caption of their own (the project box) keep
            // their place and are not offered.
            const QString caption = action->text().isEmpty() ? action->toolTip() : action->text();
            if (caption.isEmpty()) continue;
            auto* item = new QListWidgetItem(action->icon(), caption, m_buttons);
            item->setData(Qt::UserRole, QVariant::fromValue<QObject*>(action));
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(action->isVisible() ? Qt::Checked : Qt::Unchecked);
        }
        m_textLabels->setChecked(m_toolBar->toolButtonStyle() == Qt::ToolButtonTextUnderIcon);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_textLabels);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_buttons);
    layout->addLayout(buttons);
    connect(m_buttons, &QListWidget::itemChanged, this, &CToolbarCustomizeDlg::OnItemChanged);
    connect(m_textLabels, &QCheckBox::toggled, this, &CToolbarCustomizeDlg::OnTextLabels);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    ApplyDialogLook(this, m_context);
    ApplyButtonFace(m_context, {close});
    SetOkIcon(close);
    CLocalizer::Apply(this, m_context);
    resize(320, 360);
}

void CToolbarCustomizeDlg::LocalizeCaptions() {
    for (int row = 0; row < m_buttons->count(); ++row) {
        QListWidgetItem* item = m_buttons->item(row);
        QAction* action = ActionOf(item);
        if (action && !action->text().isEmpty()) item->setText(action->text());
    }
}

void CToolbarCustomizeDlg::OnItemChanged(QListWidgetItem* item) {
    QAction* action = ActionOf(item);
    if (action && m_toolBar) action->setVisible(item->checkState() == Qt::Checked);
}

void CToolbarCustomizeDlg::OnTextLabels(bool on) {
    if (m_toolBar) m_toolBar->setToolButtonStyle(on ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
}

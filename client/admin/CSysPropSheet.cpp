#include "CSysPropSheet.h"

#include "CAppContext.h"
#include "CFlowDefineDlg.h"
#include "CParamSettingDlg.h"
#include "CProjectSettingFullDlg.h"
#include "CUserManageDlg.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QScreen>
#include <QStackedWidget>
#include <QStyle>

namespace {
QString Caption(const CAppContext& context, int id, const QString& fallback)
{
    const QString text = context.Text(id);
    return text.isEmpty() ? fallback : text;
}

template <typename Page>
CSheetPageEntry PageEntry(int captionId, const char* caption)
{
    return {captionId, QString::fromUtf8(caption),
            [](CAppContext& context, QWidget* parent) -> ISheetPage* { return new Page(context, parent); }};
}
}  // namespace

CSheetPages StandardSheetPages()
{
    return {PageEntry<CProjectSettingFullDlg>(1047, "项目设置"), PageEntry<CUserManageDlg>(1014, "用户管理"),
            PageEntry<CParamSettingDlg>(1011, "参数设置"), PageEntry<CFlowDefineDlg>(1038, "流程定义")};
}

CSysPropSheet::CSysPropSheet(CAppContext& context, const CSheetPages& pages, QWidget* parent)
    : QDialog(parent), m_navigation(new QListWidget(this)), m_pages(new QStackedWidget(this)),
      m_context(context)
{
    setWindowTitle(QStringLiteral("系统管理"));
    setObjectName(QStringLiteral("CSysPropSheet"));
    m_navigation->setFixedWidth(100);
    m_navigation->setIconSize(QSize(32, 32));
    m_navigation->setViewMode(QListView::IconMode);
    m_navigation->setFlow(QListView::TopToBottom);
    m_navigation->setMovement(QListView::Static);
    m_navigation->setWrapping(false);
    m_navigation->setWordWrap(true);
    m_navigation->setGridSize(QSize(92, 64));
    m_navigation->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_navigation);
    layout->addWidget(m_pages, 1);
    for (const CSheetPageEntry& entry : pages) {
        if (!entry.create) continue;
        ISheetPage* page = entry.create(context, this);
        AddPage(page, Caption(context, entry.captionId, entry.caption));
        QWidget* widget = page->Widget();
        if (auto* projects = qobject_cast<CProjectSettingFullDlg*>(widget)) m_projectsPage = projects;
        if (auto* users = qobject_cast<CUserManageDlg*>(widget)) m_usersPage = users;
        if (auto* lists = qobject_cast<CParamSettingDlg*>(widget)) m_listsPage = lists;
        if (auto* workflow = qobject_cast<CFlowDefineDlg*>(widget)) m_workflowPage = workflow;
    }
    m_hIcon = style()->standardIcon(QStyle::SP_ComputerIcon);
    connect(m_navigation, &QListWidget::currentRowChanged, this, &CSysPropSheet::OnPageSelected);
}

void CSysPropSheet::AddPage(ISheetPage* page, const QString& caption)
{
    QWidget* widget = page->Widget();
    widget->setParent(m_pages);  // a dialog page becomes a child, not a window
    m_pages->addWidget(widget);
    m_sheetPages.push_back(page);
    // A dialog page closed (Escape, its Close button) closes the sheet.
    if (auto* dialog = qobject_cast<QDialog*>(widget)) {
        connect(dialog, &QDialog::finished, this, [this, dialog] {
            dialog->setVisible(true);
            reject();
        });
    }
    auto* item = new QListWidgetItem(style()->standardIcon(QStyle::SP_FileDialogDetailedView), caption);
    item->setTextAlignment(Qt::AlignHCenter);
    m_navigation->addItem(item);
}

int CSysPropSheet::PageCount() const { return m_pages->count(); }
QWidget* CSysPropSheet::Page(int index) const { return m_pages->widget(index); }
int CSysPropSheet::ActivePage() const { return m_pages->currentIndex(); }

void CSysPropSheet::SetActivePage(int index)
{
    m_navigation->setCurrentRow(index);
}

void CSysPropSheet::OnPageSelected(int index)
{
    if (index < 0 || index >= static_cast<int>(m_sheetPages.size())) return;
    m_pages->setCurrentIndex(index);
    m_sheetPages[index]->OnSetActive();
}

void CSysPropSheet::OnInitDialog()
{
    setWindowIcon(m_hIcon);
    resize(708, 422);
    if (QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    if (PageCount() > 0 && ActivePage() != 0)
        SetActivePage(0);
    else if (PageCount() > 0)
        OnPageSelected(0);
}

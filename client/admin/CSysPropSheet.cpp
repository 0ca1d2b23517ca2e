#include "CSysPropSheet.h"

#include "CAppContext.h"
#include "CUserManageDlg.h"
#if __has_include("CProjectSettingFullDlg.h")
#include "CProjectSettingFullDlg.h"
#define ZENTRY_HAS_PROJECTS_PAGE 1
#endif
#if __has_include("CParamSettingDlg.h")
#include "CParamSettingDlg.h"
#define ZENTRY_HAS_LISTS_PAGE 1
#endif
#if __has_include("CFlowDefineDlg.h")
#include "CFlowDefineDlg.h"
#define ZENTRY_HAS_WORKFLOW_PAGE 1
#endif
#if __has_include("CFieldAttributeDlg.h")
#include "CFieldAttributeDlg.h"
#define ZENTRY_HAS_FIELDS_PAGE 1
#endif

#include <QApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QScreen>
#include <QStackedWidget>
#include <QStyle>

namespace {
QString Caption(const CAppContext& context, int id, const char* fallback)
{
    const QString text = context.Text(id);
    return text.isEmpty() ? QString::fromUtf8(fallback) : text;
}
}  // namespace

// Pages of other folders are constructed as (context, parent) and filled by
// their OnSetActive() slot.
CSysPropSheet::CSysPropSheet(CAppContext& context, QWidget* parent)
    : QDialog(parent), m_projectsPage(nullptr), m_usersPage(nullptr), m_listsPage(nullptr),
      m_workflowPage(nullptr), m_fieldsPage(nullptr), m_navigation(new QListWidget(this)),
      m_pages(new QStackedWidget(this)), m_context(context)
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
#ifdef ZENTRY_HAS_PROJECTS_PAGE
    m_projectsPage = new CProjectSettingFullDlg(context, this);
    AddPage(m_projectsPage, Caption(context, 1047, "项目设置"));
#endif
    m_usersPage = new CUserManageDlg(context, this);
    AddPage(m_usersPage, Caption(context, 1014, "用户管理"));
#ifdef ZENTRY_HAS_LISTS_PAGE
    m_listsPage = new CParamSettingDlg(context, this);
    AddPage(m_listsPage, Caption(context, 1011, "参数设置"));
#endif
#ifdef ZENTRY_HAS_WORKFLOW_PAGE
    m_workflowPage = new CFlowDefineDlg(context, this);
    AddPage(m_workflowPage, Caption(context, 1038, "流程定义"));
#endif
#ifdef ZENTRY_HAS_FIELDS_PAGE
    m_fieldsPage = new CFieldAttributeDlg(context, this);
    AddPage(m_fieldsPage, Caption(context, 1019, "属性自定义"));
#endif
    m_hIcon = style()->standardIcon(QStyle::SP_ComputerIcon);
    connect(m_navigation, &QListWidget::currentRowChanged, this, &CSysPropSheet::OnPageSelected);
}

void CSysPropSheet::AddPage(QWidget* page, const QString& caption)
{
    page->setParent(m_pages);  // a dialog page becomes a child, not a window
    m_pages->addWidget(page);
    // A dialog page closed (Escape, its Close button) closes the sheet.
    if (auto* dialog = qobject_cast<QDialog*>(page)) {
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
    QWidget* page = m_pages->widget(index);
    if (!page) return;
    m_pages->setCurrentIndex(index);
    if (page->metaObject()->indexOfSlot("OnSetActive()") >= 0)
        QMetaObject::invokeMethod(page, "OnSetActive", Qt::DirectConnection);
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

#include "CClientComposition.h"

#include "AdminCommands.h"
#include "CFieldAttributeDlg.h"
#include "CStatisticsView.h"
#include "CSysPropSheet.h"
#include "CZentryApp.h"
#include "CZentryView.h"
#include "ClientIds.h"
#include "KeptEditsOffer.h"
#include "MainFrame.h"

#include <QTimer>

CClientComposition::CClientComposition(CZentryApp& app)
    : m_app(app), m_sheetPages(StandardSheetPages())
{
    // Page 5 comes from the custom fields; its Modify List runs the lookup
    // lists of the administration.
    m_sheetPages.push_back({1019, QStringLiteral("属性自定义"), [](CAppContext& context, QWidget* parent) -> ISheetPage* {
                                return new CFieldAttributeDlg(context, parent, [&context](QWidget* owner) {
                                    OpenLookupLists(owner, context);
                                });
                            }});
}

CClientComposition::~CClientComposition() = default;

std::unique_ptr<CMainFrame> CClientComposition::CreateMainFrame()
{
    auto frame = std::make_unique<CMainFrame>(m_app.m_context);
    ComposeViews(*frame);
    ComposeCommands(*frame);
    // What quick edit kept as the program last ended, once the window is up.
    QTimer::singleShot(0, frame.get(), [this, window = frame.get()] {
        OfferKeptEdits(m_app.m_context, window, &m_workspace);
    });
    return frame;
}

void CClientComposition::ComposeViews(CMainFrame& frame)
{
    CAppContext& context = m_app.m_context;
    frame.SetViewFactory(ids::kViewDefectList, [this, &context](QWidget* parent) -> IFrameView* {
        return new CZentryView(context, parent, &m_workspace);
    });
    frame.SetViewFactory(ids::kViewStatistics, [&context](QWidget* parent) -> IFrameView* {
        return new CQueryDefectForm(context, parent);
    });
}

// CClientComposition: the client as the program runs it, the one place that
// knows every library. It makes the main frame and gives it the handlers of
// the commands that the workspace, the administration and the application
// carry out (the command table, ClientCommandTable.cpp), the views other
// than the home page, and the pages of the system management sheet.
#pragma once

#include "ISheetPage.h"
#include "WorkspaceCommands.h"

#include <memory>

class CMainFrame;
class CZentryApp;

class CClientComposition {
public:
    explicit CClientComposition(CZentryApp& app);
    ~CClientComposition();

    // A new main frame with every handler and view of the table.
    std::unique_ptr<CMainFrame> CreateMainFrame();

    const CWorkspaceCommands& WorkspaceCommands() const { return m_workspace; }
    const CSheetPages& SheetPages() const { return m_sheetPages; }

private:
    // The command table: every command done outside the window it belongs to.
    void ComposeCommands(CMainFrame& frame);
    void ComposeViews(CMainFrame& frame);

    CZentryApp& m_app;
    CWorkspaceCommands m_workspace;
    CSheetPages m_sheetPages;
};

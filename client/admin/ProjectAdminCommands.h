// The main frame's commands of the project, lookup-list and workflow
// dialogs (2032, 2021, 2044). Each needs the administrator or the
// system-management right; others get a message and nothing opens.
#pragma once

class CAppContext;
class CMainFrame;

void RegisterProjectAdminCommands(CMainFrame& frame, CAppContext& context);

// The workflow command's work after its page closed: the cached statuses
// and rules are read again when the page changed them. false when a reload
// failed (shown).
class CFlowDefineDlg;
bool ApplyWorkflowChanges(CMainFrame& frame, CAppContext& context, const CFlowDefineDlg& page);

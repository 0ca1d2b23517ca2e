// The workspace's commands of the main frame: New defect (2000) opens the
// defect editor for a new defect and then refreshes the defect list;
// PreView (2012) toggles the list's quick-edit panel.
#pragma once

class CAppContext;
class CMainFrame;

// With the application's context (none: nothing is registered).
void RegisterWorkspaceCommands(CMainFrame& frame);
void RegisterWorkspaceCommands(CMainFrame& frame, CAppContext& context);

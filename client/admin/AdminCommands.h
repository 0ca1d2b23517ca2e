// The administration commands of the main frame's menus and tool bar.
#pragma once

class CAppContext;
class CMainFrame;

// Gives the frame the handlers of the administration command ids.
void RegisterAdminCommands(CMainFrame& frame);
void RegisterAdminCommands(CMainFrame& frame, CAppContext& context);

// The administration commands of the main frame's menus and tool bar.
#pragma once

class CMainFrame;

// Gives the frame the handlers of the administration command ids.
void RegisterAdminCommands(CMainFrame& frame);

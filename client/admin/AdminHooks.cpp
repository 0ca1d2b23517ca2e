#include "AdminHooks.h"

#include "MainFrame.h"

void RegisterAdminCommands(CMainFrame& frame)
{
    (void)frame;
}

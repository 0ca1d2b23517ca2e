// The client's cached projects after administration changed them.
#pragma once

class CAppContext;
class CMainFrame;

// The user's projects, the versions and the frame's project selector are
// read again; a current project that is gone gives way to the first one.
// frame null: the context's main window when it is the frame. false when a
// query failed (shown).
bool RefreshProjectCaches(CAppContext& context, CMainFrame* frame = nullptr);

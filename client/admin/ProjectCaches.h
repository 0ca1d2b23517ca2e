// The client's cached projects after administration changed them.
#pragma once

class CAppContext;

// The user's projects, the versions and the main frame's project selector
// (when there is a frame) are read again; a current project that is gone
// gives way to the first one, whose custom-field layout is read. false
// when a query failed (shown).
bool RefreshProjectCaches(CAppContext& context);

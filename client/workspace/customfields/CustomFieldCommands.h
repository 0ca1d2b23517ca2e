// The main frame's custom-field commands, as the composition (client/app)
// binds them: 2064 the layout designer of the current project, 2035 the
// field-attribute page alone. Each needs the administrator or the
// system-management right: anyone else gets a message and nothing opens.
#pragma once

#include <functional>

class QWidget;
class CAppContext;

void OpenLayoutDesigner(QWidget* parent, CAppContext& context);
// openListEditor: what the page's Modify List runs (the lookup lists).
void OpenFieldAttributes(QWidget* parent, CAppContext& context,
                         std::function<void(QWidget*)> openListEditor);

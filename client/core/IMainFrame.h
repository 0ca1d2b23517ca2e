// IMainFrame: what the client core asks of the main window once it exists
// (CAppContext::m_mainFrame): the busy indicator around server calls, new
// captions after a language switch, the project selector after the
// projects changed, and a command by its id.
#pragma once

class IMainFrame {
public:
    virtual ~IMainFrame() = default;
    virtual void ShowBusy(int on) = 0;
    virtual void ReloadTexts() = 0;
    virtual void FillProjectCombo() = 0;
    // Runs a command as its menu item would (nothing when it is disabled).
    virtual void RunCommand(int commandId) = 0;
};

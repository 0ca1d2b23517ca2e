// Commands a workspace window takes from the composition (client/app)
// rather than doing them itself: by command id, a handler given the window
// the command came from. A command without a handler is disabled.
#pragma once

#include <functional>
#include <map>
#include <utility>

class CAttachmentDlg;
class CZentryView;

template <typename Target>
class CCommandHandlers {
public:
    using Handler = std::function<void(Target& target)>;

    void Set(int commandId, Handler handler) { m_handlers[commandId] = std::move(handler); }
    bool Has(int commandId) const {
        const auto it = m_handlers.find(commandId);
        return it != m_handlers.end() && it->second;
    }
    // false when the command has no handler.
    bool Run(int commandId, Target& target) const {
        const auto it = m_handlers.find(commandId);
        if (it == m_handlers.end() || !it->second) return false;
        // Copied: a handler may outlive a change of the table while it runs.
        const Handler handler = it->second;
        handler(target);
        return true;
    }

private:
    std::map<int, Handler> m_handlers;
};

// What the defect list and the editors it opens take from the composition.
struct CWorkspaceCommands {
    CCommandHandlers<CZentryView> list;            // the list's context menu
    CCommandHandlers<CAttachmentDlg> attachments;  // the attachments page's tool bar
};

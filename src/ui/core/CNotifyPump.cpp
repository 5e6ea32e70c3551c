#include "ui/core/CNotifyPump.h"

#include "ui/core/CControlUI.h"

namespace vivori::ui {

bool CNotifyPump::AddVirtualWnd(std::string_view name, CNotifyPump* pump) {
    if (pump == nullptr || name.empty()) return false;
    return virtualWnds_.try_emplace(AsciiLower(name), pump).second;
}

bool CNotifyPump::RemoveVirtualWnd(std::string_view name) {
    return virtualWnds_.erase(AsciiLower(name)) > 0;
}

void CNotifyPump::OnNotify(std::string_view type, Handler handler) {
    entries_.push_back({std::string(type), std::string(), std::move(handler)});
}

void CNotifyPump::OnNotify(std::string_view type, std::string_view controlName, Handler handler) {
    entries_.push_back({std::string(type), AsciiLower(controlName), std::move(handler)});
}

bool CNotifyPump::NotifyPump(TNotifyUI& msg) {
    if (!msg.sVirtualWnd.empty()) {
        auto found = virtualWnds_.find(AsciiLower(msg.sVirtualWnd));
        if (found != virtualWnds_.end()) return found->second->LoopDispatch(msg);
    }
    return LoopDispatch(msg);
}

bool CNotifyPump::LoopDispatch(TNotifyUI& msg) {
    std::string sender =
        msg.pSender != nullptr ? AsciiLower(msg.pSender->GetName()) : std::string();
    // A handler for this very control wins over one for the whole type.
    for (const Entry& entry : entries_) {
        if (entry.type == msg.sType && !entry.name.empty() && entry.name == sender) {
            Handler handler = entry.handler;
            handler(msg);
            return true;
        }
    }
    for (const Entry& entry : entries_) {
        if (entry.type == msg.sType && entry.name.empty()) {
            Handler handler = entry.handler;
            handler(msg);
            return true;
        }
    }
    return false;
}

}  // namespace vivori::ui

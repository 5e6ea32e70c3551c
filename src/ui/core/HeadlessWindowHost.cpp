#include "ui/core/HeadlessWindowHost.h"

#include "ui/core/WindowImplBase.h"

namespace vivori::ui {
namespace {

WindowHostFactory& Factory() {
    static WindowHostFactory factory;
    return factory;
}

}  // namespace

void SetWindowHostFactory(WindowHostFactory factory) {
    Factory() = std::move(factory);
}

std::unique_ptr<IWindowHost> CreateWindowHost(WindowImplBase& window) {
    if (Factory()) {
        if (auto host = Factory()(window)) return host;
    }
    return std::make_unique<HeadlessWindowHost>();
}

void HeadlessWindowHost::Show(bool show, bool activate) {
    visible_ = show;
    if (show) minimized_ = false;
    if (show && activate) active_ = true;
    if (!show) active_ = false;
}

void HeadlessWindowHost::SysCommand(WPARAM command) {
    switch (command) {
        case SC_MINIMIZE:
            minimized_ = true;
            active_ = false;
            break;
        case SC_MAXIMIZE:
            maximized_ = true;
            minimized_ = false;
            break;
        case SC_RESTORE:
            minimized_ = false;
            maximized_ = false;
            break;
        default:
            break;
    }
}

}  // namespace vivori::ui

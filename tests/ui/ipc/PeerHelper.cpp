// Another process of the user, for the inter-process tests:
//   instance NAME   - takes the single-instance lock and waits to be woken (prints
//                     "first", then "woken W L"), or, when the lock is held, wakes the
//                     holder and ends (prints "second")
//   send TITLE DWDATA SIZE - finds the window by title and sends SIZE bytes of copy-data
//                     (prints "delivered RESULT" or "refused")
//   post NAME W L   - posts the registered message NAME with W and L to every peer, as
//                     any local program of the user can (prints "reached N")
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ui/ipc/IpcEndpoint.h"
#include "ui/ipc/IpcPeers.h"
#include "ui/ipc/SingleInstanceLock.h"
#include "ui/message/CoreApplication.h"
#include "ui/message/MessageWindow.h"
#include "ui/message/Messages.h"

using namespace vivori::ui;

namespace {

class WakeWindow : public MessageWindow {
  public:
    explicit WakeWindow(UINT wake) : wake_(wake) {}
    LRESULT HandleMessage(UINT msg, WPARAM w, LPARAM l) override {
        if (msg == wake_) {
            std::printf("woken %llu %lld\n", static_cast<unsigned long long>(w),
                        static_cast<long long>(l));
            std::fflush(stdout);
            PostQuitMessage(0);
        } else if (msg == WM_TIMER) {
            PostQuitMessage(2);
        }
        return 0;
    }

  private:
    UINT wake_;
};

int RunInstance(const char* name) {
    EnsureCoreApplication();
    IpcEndpoint endpoint;
    if (!endpoint.Start()) return 3;
    endpoint.AllowRemotePost(RegisterWindowMessage(name));
    IpcEndpoint::InstallBroadcastForwarder();
    SingleInstanceLock lock;
    switch (lock.Acquire(name)) {
        case SingleInstanceLock::Result::AlreadyRunning:
            std::printf("second %s\n", WakeRunningInstance(name) ? "woke" : "reached nobody");
            return 0;
        case SingleInstanceLock::Result::Failed:
            return 4;
        case SingleInstanceLock::Result::Acquired:
            break;
    }
    WakeWindow window(RegisterWindowMessage(name));
    if (window.CreateHandle(name, "InstanceWnd") == 0) return 5;
    SetTimer(window.GetHWND(), 1, 10000);  // give up when nobody wakes us
    std::printf("first\n");
    std::fflush(stdout);
    return RunMessageLoop();
}

int RunSend(const char* title, const char* dwData, const char* size) {
    auto window = FindRemoteWindow("", title);
    if (!window) {
        std::printf("not found\n");
        return 0;
    }
    std::vector<std::uint8_t> data(std::strtoul(size, nullptr, 10));
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i);
    LRESULT result = 0;
    if (SendCopyData(*window, std::strtoul(dwData, nullptr, 10), data, 1500, &result)) {
        std::printf("delivered %lld\n", static_cast<long long>(result));
    } else {
        std::printf("refused\n");
    }
    return 0;
}

int RunPost(const char* name, const char* w, const char* l) {
    const UINT msg = RegisterWindowMessage(name);
    const int reached = BroadcastToPeers(msg, std::strtoull(w, nullptr, 0),
                                         static_cast<LPARAM>(std::strtoll(l, nullptr, 0)));
    std::printf("reached %d\n", reached);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "instance") == 0) return RunInstance(argv[2]);
    if (argc == 5 && std::strcmp(argv[1], "send") == 0) return RunSend(argv[2], argv[3], argv[4]);
    if (argc == 5 && std::strcmp(argv[1], "post") == 0) return RunPost(argv[2], argv[3], argv[4]);
    std::fprintf(stderr,
                 "usage: ipc_peer_helper instance NAME | send TITLE DWDATA SIZE | post NAME W L\n");
    return 1;
}

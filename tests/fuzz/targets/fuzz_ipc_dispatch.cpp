// Any bytes as a request on the application's local socket, decoded and dispatched as
// the endpoint does it: posts, window queries and copy-data reach this process's
// windows. A post may only arrive when its message is one the process allows; the
// hook messages, whose lParam is a pointer here, never cross over.

#include <cstdlib>

#include "FuzzFolder.h"
#include "ui/ipc/IpcEndpoint.h"
#include "ui/ipc/IpcFrame.h"
#include "ui/message/CoreApplication.h"
#include "ui/message/MessageWindow.h"
#include "ui/message/Messages.h"

using namespace vivori;
using namespace vivori::ui;

namespace {

// Registered first in a fresh runtime folder, so the corpus can name them by number:
// 0xC000 is allowed, 0xC001 (a hook message) is not.
struct Setup {
    Setup() {
        setenv("XDG_RUNTIME_DIR", fuzz::ScratchFolder().c_str(), 1);
        EnsureCoreApplication();
        allowed = RegisterWindowMessage("Game_Start");
        hook = RegisterWindowMessage("WM_HOOK_KEY_SINGLEKEY_MSG");
        endpoint.AllowRemotePost(allowed);
        window.CreateHandle("fuzz", "FuzzWnd");
    }
    class Window : public MessageWindow {
      public:
        UINT* allowed = nullptr;
        LRESULT HandleMessage(UINT msg, WPARAM, LPARAM) override {
            // Anything posted from outside but the allowed message is a fault.
            if (msg >= WM_USER && msg != WM_COPYDATA && msg != *allowed) __builtin_trap();
            return 0;
        }
    };
    UINT allowed = 0;
    UINT hook = 0;
    IpcEndpoint endpoint;  // not listening: only its dispatch is exercised
    Window window;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Setup* setup = [] {
        auto* made = new Setup;
        made->window.allowed = &made->allowed;
        return made;
    }();
    IpcFrameReader reader;
    if (reader.Add(data, size) != IpcFrameReader::State::Complete) return 0;
    setup->endpoint.Handle(reader.Frame());
    PumpMessages();
    return 0;
}

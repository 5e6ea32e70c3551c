// Shows a layout (the gallery by default) in a window and prints its notifications;
// with --screenshot it renders the window offscreen into a PNG and ends.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "GalleryWindow.h"
#include "ui/core/CPaintManagerUI.h"
#include "ui/core/CResourceManager.h"
#include "ui/ipc/IpcEndpoint.h"
#include "ui/ipc/SingleInstanceLock.h"
#include "ui/message/Messages.h"
#include "ui/qt/GuiApplication.h"
#include "ui/qt/OffscreenSurface.h"

using namespace vivori::ui;

int main(int argc, char** argv) {
    std::string layout = "resources/gallery/gallery.xml";
    std::string screenshot;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc) {
            screenshot = argv[++i];
        } else {
            layout = argv[i];
        }
    }
    GuiApplication application(argc, argv, !screenshot.empty());

    std::filesystem::path file = std::filesystem::absolute(layout);
    CPaintManagerUI::SetResourcePath(file.parent_path().string());
    CResourceManager::GetInstance().LoadResource("res.xml");
    if (std::filesystem::exists(file.parent_path() / "lan_en.xml")) {
        CResourceManager::GetInstance().LoadLanguage("lan_en.xml");
    }

    // One gallery per user: a second start shows the first one and ends.
    IpcEndpoint endpoint;
    SingleInstanceLock instance;
    if (screenshot.empty()) {
        endpoint.Start();
        endpoint.AllowRemotePost(RegisterWindowMessage("vivori-gallery"));
        IpcEndpoint::InstallBroadcastForwarder();
        if (instance.Acquire("vivori-gallery") == SingleInstanceLock::Result::AlreadyRunning) {
            std::printf("a gallery is already running: %s\n",
                        WakeRunningInstance("vivori-gallery") ? "woken" : "not reached");
            return 0;
        }
    }

    auto* window = new vivori::gallery::GalleryWindow(file.filename().string());
    if (window->Create(0, "vivori gallery", WS_POPUP | WS_VISIBLE, 0) == 0) {
        std::fprintf(stderr, "vivori-gallery: %s cannot be built\n", layout.c_str());
        delete window;
        return 1;
    }
    window->CenterWindow();
    if (!screenshot.empty()) {
        bool saved = SaveWindowPng(window->PaintManager(), screenshot);
        std::printf("%s %s\n", saved ? "wrote" : "could not write", screenshot.c_str());
        delete window;
        return saved ? 0 : 1;
    }
    int code = CPaintManagerUI::MessageLoop();
    delete window;
    return code;
}

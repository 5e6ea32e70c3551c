#include "app/Application.h"

#include <filesystem>

#include "app/AppMessages.h"
#include "controls/CustomControls.h"
#include "platform/Debug.h"
#include "platform/InstallFolders.h"
#include "ui/core/CPaintManagerUI.h"
#include "ui/core/CResourceManager.h"
#include "ui/message/Messages.h"

namespace vivori::app {
namespace {

constexpr const char* kFonts[] = {"Font/Simplified_Chinese.ttf",   "Font/Display-Regular.otf",
                                  "Font/NotoSansThai-Regular.ttf", "Font/NotoSansCJKtc-Regular.otf",
                                  "Font/Roboto-Bold.ttf",          "Font/Roboto-Light.ttf",
                                  "Font/Roboto-Regular.ttf"};

}  // namespace

Application::Application(AppOptions options) : options_(std::move(options)) {
    if (options_.programFolder.empty()) options_.programFolder = ShippedDataFolder().string();
}

Application::~Application() {
    Shutdown();
}

int Application::FontsLoaded() const {
    int loaded = 0;
    for (const auto& font : fonts_) loaded += font->IsLoaded() ? 1 : 0;
    return loaded;
}

Application::StartResult Application::Start() {
    // A missing font only means the toolkit falls back to the system's.
    for (const char* file : kFonts) {
        auto font = std::make_unique<ui::MemoryFont>(options_.programFolder);
        if (!font->Load(file)) DebugPrintf("font %s not loaded", file);
        fonts_.push_back(std::move(font));
    }
    const ui::UINT wake = RegisterAppInstanceMessage();
    if (wake < ui::kFirstRegisteredMessage || wake > ui::kLastRegisteredMessage)
        return StartResult::Failed;
    if (options_.singleInstance) {
        const auto held = instance_.Acquire(kApplicationName);
        if (held == ui::SingleInstanceLock::Result::AlreadyRunning) {
            ui::WakeRunningInstance(kApplicationName);
            return StartResult::AlreadyRunning;
        }
        // Without a lock (no runtime folder) the application still runs.
        if (held == ui::SingleInstanceLock::Result::Failed)
            DebugOutput("single-instance lock failed");
        if (endpoint_.Start()) ui::IpcEndpoint::InstallBroadcastForwarder();
    }
    ui::CPaintManagerUI::SetInstancePath(options_.programFolder);
    ui::CPaintManagerUI::SetResourcePath(
        (std::filesystem::path(options_.programFolder) / "skin").string());
    ui::CResourceManager::GetInstance().LoadResource("res.xml");
    controls::RegisterCustomControls();
    RegisterAppMessages();

    window_ = std::make_unique<CMainWnd>(options_.window);
    // Created hidden: the window shows itself once discovery has had its first look.
    const ui::HWND hwnd = window_->Create(0, kApplicationName, ui::WS_POPUP, 0, 0, 0, 800, 572);
    if (hwnd == 0) {
        window_.reset();
        return StartResult::Failed;
    }
    window_->CenterWindow();
    endpoint_.SetCopyDataLimit(hwnd, 1, CMainWnd::kSpectrumBytes);
    endpoint_.SetCopyDataLimit(hwnd, 2, CMainWnd::kShortFrameBytes);
    endpoint_.SetCopyDataLimit(hwnd, CMainWnd::kSpectrumBytes);
    return StartResult::Started;
}

int Application::Run() {
    if (!window_) return 0;
    ui::CPaintManagerUI::MessageLoop();
    return 0;
}

void Application::Shutdown() {
    if (window_ && window_->GetHWND() != 0) window_->DestroyNow();
    window_.reset();
    ui::CResourceManager::GetInstance().Release();
    endpoint_.Stop();
    ui::SetBroadcastForwarder({});
    instance_.Release();
    while (!fonts_.empty()) fonts_.pop_back();  // last loaded first
}

}  // namespace vivori::app

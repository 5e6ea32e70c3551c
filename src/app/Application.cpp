#include "app/Application.h"

#include <filesystem>

#include "app/AppMessages.h"
#include "app/CDeviceOptionUI.h"
#include "controls/CHandImgSelectButtonUI.h"
#include "controls/CustomControls.h"
#include "devices/CQuorvaneUSBDevice.h"
#include "platform/ChildProcess.h"
#include "platform/Debug.h"
#include "platform/InstallFolders.h"
#include "ui/core/CControlFactory.h"
#include "ui/core/CPaintManagerUI.h"
#include "ui/core/CResourceManager.h"
#include "ui/message/Messages.h"
#include "ui/qt/GuiApplication.h"

namespace vivori::app {
namespace {

constexpr int kChildrenEndMs = 2000;

}  // namespace

Application::Application(AppOptions options) : options_(std::move(options)) {
    if (options_.programFolder.empty()) options_.programFolder = ShippedDataFolder().string();
}

Application::~Application() {
    Shutdown();
}

int Application::FontsLoaded() const {
    return fonts_ ? fonts_->Loaded() : 0;
}

Application::StartResult Application::Start() {
    fonts_ = std::make_unique<LanguageFonts>(options_.programFolder);
    fonts_->LoadBase();
    options_.window.fonts = fonts_.get();
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
    ui::CControlFactory& factory = ui::CControlFactory::GetInstance();
    factory.RegistControl("CDeviceOptionUI", [] { return new CDeviceOptionUI; });
    factory.RegistControl("CQuorvaneUSBDevice", [bus = options_.window.bus] {
        return new devices::CQuorvaneUSBDevice(bus);
    });
    // The panning image button learns its image's size from the window system.
    controls::CHandImgSelectButtonUI::SetImageSizeLookup(
        [](const std::string& file) { return ui::LayoutImageSize(file); });
    for (const ui::UINT msg : RegisterAppMessages().FromOtherProcesses())
        endpoint_.AllowRemotePost(msg);

    window_ = std::make_unique<CMainWnd>(options_.window);
    // Created hidden: the window shows itself once discovery has had its first look.
    const ui::HWND hwnd = window_->Create(0, kApplicationName, ui::WS_POPUP, 0, 0, 0, 800, 572);
    if (hwnd == 0) {
        window_.reset();
        return StartResult::Failed;
    }
    window_->CenterWindow();
    // Suspend, resume and screen changes reach the window as the messages it handles.
    systemEvents_ = std::make_unique<ui::SystemEvents>(ui::SystemEvents::Handlers{
        [hwnd](bool sleeping) {
            ui::PostMessage(hwnd, WM_POWERBROADCAST,
                            sleeping ? PBT_APMSUSPEND : PBT_APMRESUMEAUTOMATIC, 0);
        },
        [hwnd] { ui::PostMessage(hwnd, WM_DISPLAYCHANGE, 0, 0); }});
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
    systemEvents_.reset();
    if (window_ && window_->GetHWND() != 0) window_->DestroyNow();
    window_.reset();
    // The recorder and the updater were asked to end with the window; what has not
    // ended by now is killed, so no program of ours outlives the application.
    EndAllChildren(kChildrenEndMs);
    ui::CResourceManager::GetInstance().Release();
    endpoint_.Stop();
    ui::SetBroadcastForwarder({});
    instance_.Release();
    fonts_.reset();
}

}  // namespace vivori::app

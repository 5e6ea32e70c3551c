// The audio settings of the lighting panel (the music mode's colours and style), the
// audio style window, and the audio recorder that feeds the keyboard's music mode.
#include <cctype>
#include <cstdio>

#include "app/AppMessages.h"
#include "app/AudioLightState.h"
#include "app/CMainWnd.h"
#include "app/handlers/Handlers.h"
#include "app/windows/MusicWnd.h"
#include "device/SupportedDevices.h"
#include "lighting/LightTypes.h"
#include "panels/CLightControlUI.h"
#include "panels/ColourText.h"
#include "platform/Debug.h"
#include "platform/InstallFolders.h"
#include "ui/core/CProgressUI.h"
#include "ui/message/Messages.h"

namespace vivori::app {

using devices::CQuorvaneUSBDevice;
using panels::AudioLight;
using panels::CLightControlUI;
using namespace ui;

namespace {

constexpr const char* kRecorderProgram = "vivori-audio-recorder";
constexpr const char* kUnavailableNote = "music_input_unavailable_text";

// The device keeps its audio words apart from the colour panel's current colour.
AudioLight AudioWordsOf(const CQuorvaneUSBDevice& device) {
    const devices::AudioLightWords words = device.GetAudioLightWords();
    return {words.first, words.second, words.layer};
}

void SetLayerColour(AudioLight& audio, UiColor colour) {
    const uint32_t rgb = uint32_t(panels::RedOf(colour)) | uint32_t(panels::GreenOf(colour)) << 8 |
                         uint32_t(panels::BlueOf(colour)) << 16;
    if (audio.third == 1)
        audio.second = (audio.second & 0xFF000000u) | rgb;
    else
        audio.first = (audio.first & 0xFFu) | rgb << 8;
}

UiColor LayerColour(const AudioLight& audio) {
    const uint32_t rgb = audio.third == 1 ? audio.second : audio.first >> 8;
    return panels::OpaqueColour(int(rgb & 0xFF), int(rgb >> 8 & 0xFF), int(rgb >> 16 & 0xFF));
}

using Change = std::function<bool(AudioLight&, CLightControlUI&)>;

// Reads the current device's audio settings, changes them, stores them back, shows
// them, saves and reapplies.
void EditAudio(CMainWnd& window, const Change& change) {
    CQuorvaneUSBDevice* device = window.CurrentDevice();
    CLightControlUI* panel = device ? device->LightPanel() : nullptr;
    if (panel == nullptr) return;
    AudioLight audio = AudioWordsOf(*device);
    if (!change(audio, *panel)) return;
    device->SetAudioLightWords({audio.first, audio.second, audio.third});
    panel->SetAudioLightInfo(audio);
    device->SaveProfile();
    device->ApplyProfileLighting();
}

void OnAudioColourTyped(CMainWnd& window, TNotifyUI& msg) {
    const std::string name = msg.pSender ? msg.pSender->GetName() : std::string();
    if (name.empty()) return;
    const size_t channel = std::string_view("RGB").find(char(std::toupper(name.back())));
    if (channel == std::string_view::npos) return;
    const panels::ColourComponent typed = panels::ReadColourComponent(msg.pSender->GetText());
    if (typed.rewrite) msg.pSender->SetText(*typed.rewrite);
    EditAudio(window, [&](AudioLight& audio, CLightControlUI&) {
        const UiColor c = LayerColour(audio);
        int rgb[3] = {panels::RedOf(c), panels::GreenOf(c), panels::BlueOf(c)};
        rgb[channel] = typed.value;
        SetLayerColour(audio, panels::OpaqueColour(rgb[0], rgb[1], rgb[2]));
        return true;
    });
}

void OpenStyleWindow(CMainWnd& window) {
    AudioLightState& state = window.AudioLight();
    HWND& open = window.ChildWindow(CMainWnd::kChildAudioStyles);
    if (open != 0 && IsWindow(open)) return;
    MusicWnd styles(state.set, window.Dpi());
    open = styles.CreateFor(window.GetHWND());
    if (open == 0) return;
    const UINT result = styles.ShowModal();
    open = 0;
    if (result != 1) return;
    state.set = styles.Set();
    if (state.recorder.Known()) state.recorder.SendLevels(profiles::RecorderLevels(state.set));
    if (!state.file.Save(state.set)) DebugOutput("audio styles not saved");
}

void ShowMusicNote(CMainWnd& window, bool unavailable) {
    for (CQuorvaneUSBDevice* device : window.DevicesOfKind({kKindKeyboard}))
        if (CLightControlUI* panel = device->LightPanel())
            panel->SetMusicInputNote(unavailable ? kUnavailableNote : "");
}

}  // namespace

void LoadAudioStyles(CMainWnd& window) {
    AudioLightState& state = window.AudioLight();
    state.set = state.file.Load();
    if (state.recorder.Known() || state.recorder.Find())
        state.recorder.SendLevels(profiles::RecorderLevels(state.set));
}

void UpdateAudioRecorder(CMainWnd& window) {
    AudioLightState& state = window.AudioLight();
    bool wanted = false;
    for (CQuorvaneUSBDevice* device : window.DevicesOfKind({kKindKeyboard}))
        if (device->Commands().IsOpen() && device->Light().mode == lighting::kMusicMode)
            wanted = true;
    if (wanted == state.recorderWanted) return;
    state.recorderWanted = wanted;
    if (!wanted) {
        state.recorder.Stop(Messages().audioStyle);
        ShowMusicNote(window, false);
        return;
    }
    // A program beside this one, in the build tree as in /usr/bin; the shipped data
    // may be elsewhere (share/vivori-trivex).
    const auto program = ExecutableFolder() / kRecorderProgram;
    const bool started = state.recorder.Start(program.string());
    ShowMusicNote(window, !started);
    if (started) window.WatchAudioRecorder();
}

void CheckAudioRecorder(CMainWnd& window) {
    AudioLightState& state = window.AudioLight();
    if (!state.recorderWanted) return;
    if (state.recorder.Running()) {
        // Found once it is up, so the style levels reach it.
        if (!state.recorder.Known() && state.recorder.Find())
            state.recorder.SendLevels(profiles::RecorderLevels(state.set));
        return;
    }
    // Ended on its own: no sound server, or it failed.
    ShowMusicNote(window, state.recorder.LastExit().value_or(1) != 0);
}

void EndAudioRecorder(CMainWnd& window) {
    AudioLightState& state = window.AudioLight();
    state.recorder.SendEndCommands(Messages().audioStyle);
    state.recorder.Stop();
}

void AddAudioLightHandlers(CMainWnd& window, HandlerTable& handlers) {
    CMainWnd* w = &window;
    handlers["AudioModeList"] = [w](TNotifyUI&, int) {
        EditAudio(*w,
                  [](AudioLight& a, CLightControlUI& p) { return p.GetAudioLightInfo(true, a); });
    };
    handlers["AudioStyleOption"] = [w](TNotifyUI& msg, int) {
        const bool colourful =
            msg.pSender && EqualNoCase(msg.pSender->GetName(), "deng_7audiocolor_check");
        EditAudio(*w, [colourful](AudioLight& a, CLightControlUI& p) {
            return p.GetAudioLightInfo(colourful, a);
        });
    };
    handlers["AudioStyleColour"] = [w](TNotifyUI&, int) {
        EditAudio(*w, [](AudioLight& a, CLightControlUI& p) {
            SetLayerColour(a, p.GetAudioPaletteColour());
            return true;
        });
    };
    handlers["AudioPresetColour"] = [w](TNotifyUI&, int index) {
        EditAudio(*w, [index](AudioLight& a, CLightControlUI& p) {
            SetLayerColour(a, p.GetAudioPresetColour(index));
            return true;
        });
    };
    handlers["AudioColourTyped"] = [w](TNotifyUI& msg, int) { OnAudioColourTyped(*w, msg); };
    handlers["BackgroundLightOff"] = [w](TNotifyUI&, int) {
        EditAudio(*w, [](AudioLight& a, CLightControlUI&) {
            a.first &= 0xFFu;
            return true;
        });
    };
    handlers["OpenAudioStyleWindow"] = [w](TNotifyUI&, int) { OpenStyleWindow(*w); };
    handlers["AudioChannelSlider"] = [w](TNotifyUI& msg, int) {
        auto* slider = dynamic_cast<CProgressUI*>(msg.pSender);
        const std::string name = msg.pSender ? msg.pSender->GetName() : std::string();
        if (slider == nullptr || name.empty()) return;
        const char channel = static_cast<char>(std::toupper(name[0]));
        const size_t index = std::string_view("RGB").find(channel);
        if (index == std::string_view::npos) return;
        char text[16];
        std::snprintf(text, sizeof text, "%c %d", channel, slider->GetValue());
        const std::string label = std::string(1, channel) + "_light_label";
        // The label beside the slider, in the panel that holds it.
        CLightControlUI* panel = nullptr;
        for (CControlUI* c = msg.pSender; c != nullptr && panel == nullptr; c = c->GetParent())
            panel = static_cast<CLightControlUI*>(c->GetInterface("LightControl"));
        if (CControlUI* control = panel ? panel->Child(label) : nullptr) control->SetText(text);
        AudioRecorderLink& recorder = w->AudioLight().recorder;
        if (recorder.Known())
            recorder.PostStyleMessage(Messages().audioStyle, AudioRecorderLink::kLevelR + index,
                                      slider->GetValue());
    };
}

}  // namespace vivori::app

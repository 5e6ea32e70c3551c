// The audio light settings of the lighting panel, the audio style window, and the
// audio recorder program feeding the main window: from a WAV file and from a real
// PulseAudio server started by the test.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cmath>

#include "AppFixture.h"
#include "FrequencyAnalyser.h"
#include "app/windows/MusicWnd.h"
#include "panels/CLightControlUI.h"
#include "ui/core/CComboUI.h"
#include "ui/core/COptionUI.h"
#include "ui/core/CProgressUI.h"

extern char** environ;

namespace vivori::testing {
namespace {

// A child process, ended (SIGTERM) when the test ends.
class Child {
  public:
    Child(std::vector<std::string> args) {
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) pid_ = -1;
    }
    ~Child() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    bool Started() const { return pid_ > 0; }
    // The exit status once it ended by itself; -1 while it runs.
    int Status() {
        int status = 0;
        if (pid_ <= 0 || waitpid(pid_, &status, WNOHANG) != pid_) return -1;
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    }

  private:
    pid_t pid_ = -1;
};

// A tone at hz swelling and fading three times a second, as music would: the
// reduction looks at changes, so a steady tone would fade out of it. The swell is
// smooth, so the tone stays in its own bands.
std::vector<float> BeatingTone(double hz, double seconds) {
    std::vector<float> out(size_t(seconds * recorder::kSampleRate));
    const double pi = 3.14159265358979;
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / recorder::kSampleRate;
        const double swell = 0.5 - 0.5 * std::cos(2 * pi * 3 * t);
        out[i] = float(0.6 * swell * std::sin(2 * pi * hz * t));
    }
    return out;
}

class AudioLightTest : public AppTest {
  protected:
    void StartWithKeyboard(bool singleInstance = false) {
        Start(singleInstance);
        Plug("keyboard");
        ASSERT_TRUE(PumpUntil([&] { return KeyboardShown(); }));
        panel = Keyboard()->LightPanel();
        ASSERT_NE(panel, nullptr);
    }
    void Notify(std::string_view name, const char* type) {
        Window().PaintManager().SendNotify(panel->Child(name), type);
    }
    std::array<int, 3> Words() {
        const devices::AudioLightWords words = Keyboard()->GetAudioLightWords();
        return {int(words.first), int(words.second), int(words.layer)};
    }
    // Waits for music input whose strongest band is `band`, clearly lit; `seen` is that
    // input. The reduction divides by 20 each frame, so only a delivery that meets a
    // change of the sound shows it strongly.
    bool MusicPeaksAt(int band, int timeoutMs, std::vector<int>* seen = nullptr) {
        return PumpUntil(
            [&] {
                const std::vector<int> music = Keyboard()->Music();
                if (music.size() < 25) return false;
                const auto top = std::max_element(music.begin(), music.begin() + 25);
                if (top - music.begin() != band || *top < 100) return false;
                if (seen) *seen = music;
                return true;
            },
            timeoutMs);
    }
    std::string Recorder() { return VIVORI_RECORDER; }

    panels::CLightControlUI* panel = nullptr;
};

TEST_F(AudioLightTest, PanelEditsChangeTheDevicesAudioWordsAndModeThreeHasNoColours) {
    StartWithKeyboard();
    auto* combo = static_cast<ui::CComboUI*>(panel->Child("light_combo_audiomodeSelect"));
    combo->SelectItem(3, false, false);
    Notify("light_combo_audiomodeSelect", ui::kNotifyItemSelect);
    EXPECT_EQ(Words()[0] & 0xFF, 3);
    EXPECT_FALSE(panel->Child("light_audiocolor_layout")->IsEnabled());
    EXPECT_FALSE(panel->Child("audiocolorpallet_layout")->IsEnabled());
    combo->SelectItem(1, false, false);
    Notify("light_combo_audiomodeSelect", ui::kNotifyItemSelect);
    EXPECT_TRUE(panel->Child("light_audiocolor_layout")->IsEnabled());
    // The foreground layer takes the typed colour, held to 255.
    static_cast<ui::COptionUI*>(panel->Child("audio_FgColor_check"))->Selected(true, false);
    static_cast<ui::COptionUI*>(panel->Child("audio_BkColor_check"))->Selected(false, false);
    Notify("audio_FgColor_check", ui::kNotifySelectChanged);
    EXPECT_EQ(Words()[2], 1);
    panel->Child("deng_audioedit_G")->SetText("300");
    Notify("deng_audioedit_G", ui::kNotifyKillFocus);
    EXPECT_EQ(panel->Child("deng_audioedit_G")->GetText(), "255");
    EXPECT_EQ(Words()[1] >> 8 & 0xFF, 255);
    // The background: a preset, then switched off.
    static_cast<ui::COptionUI*>(panel->Child("audio_BkColor_check"))->Selected(true, false);
    static_cast<ui::COptionUI*>(panel->Child("audio_FgColor_check"))->Selected(false, false);
    Notify("audio_BkColor_check", ui::kNotifySelectChanged);
    Window().PaintManager().SendNotify(panel->Child("audiocolor_option_5"), ui::kNotifyClick);
    EXPECT_EQ(uint32_t(Words()[0]) >> 8, 0xFF0000u);  // blue in byte 3
    Window().PaintManager().SendNotify(panel->Child("Close_bkColor_btn"), ui::kNotifyClick);
    EXPECT_EQ(Words()[0], 1);                // mode 1, background black
    EXPECT_EQ(Words()[1] >> 8 & 0xFF, 255);  // the foreground kept
}

TEST_F(AudioLightTest, StyleWindowRestoresAnEmptiedNameAndKeepsSliderLevels) {
    StartWithKeyboard();
    profiles::AudioStyleSet set;
    set.names = {"a", "b", "c", "d"};
    app::MusicWnd styles(set);
    ASSERT_NE(styles.CreateFor(Window().GetHWND()), 0u);
    auto& pm = styles.PaintManager();
    auto* tab = static_cast<ui::COptionUI*>(pm.FindControl("audio_select_tab3"));
    tab->Selected(true, true);
    pm.FindControl("audio_edit_name3")->SetText("");
    pm.SendNotify(pm.FindControl("audio_edit_name3"), ui::kNotifyKillFocus);
    // Shown in the interface's language, stored as the files have always held it.
    EXPECT_EQ(pm.FindControl("audio_edit_name3")->GetText(), "Group 3");
    static_cast<ui::CProgressUI*>(pm.FindControl("audio_g_slider"))->SetValue(7);
    pm.SendNotify(pm.FindControl("audio_g_slider"), ui::kNotifyValueChanged);
    pm.SendNotify(pm.FindControl("okbtn"), ui::kNotifyClick);
    ASSERT_TRUE(PumpUntil([&] { return styles.GetHWND() == 0; }));
    EXPECT_EQ(styles.Result(), 1u);
    EXPECT_EQ(styles.Set().style, 2);
    EXPECT_EQ(styles.Set().names[2], "第三组");
    EXPECT_EQ(styles.Set().levels[2][1], 7);
}

TEST_F(AudioLightTest, RecorderPlayingAWavLightsTheKeyboardsOneKilohertzBand) {
    StartWithKeyboard(true);
    const std::string wav =
        (std::filesystem::path(getenv("XDG_RUNTIME_DIR")) / "tone.wav").string();
    ASSERT_TRUE(recorder::WriteWavMono(wav, BeatingTone(1000, 2.0)));
    Child child({Recorder(), "--input", wav});
    ASSERT_TRUE(child.Started());
    // 1 kHz is value 268 of the 500: band 13 of the keyboard's 25.
    std::vector<int> music;
    ASSERT_TRUE(MusicPeaksAt(recorder::BandOfFrequency(1000) / 20, 4000, &music));
    for (int band : {0, 5, 10, 16, 20, 24})
        EXPECT_LT(music[size_t(band)], music[13] / 4) << "band " << band;
    ASSERT_TRUE(PumpUntil([&] { return child.Status() >= 0; }, 4000));
}

TEST_F(AudioLightTest, RecorderWithoutASoundServerFailsWithOneLine) {
    Start();
    setenv("PULSE_SERVER", "unix:/nonexistent/vivori-no-server", 1);
    Child child({Recorder()});
    unsetenv("PULSE_SERVER");
    int status = -1;
    ASSERT_TRUE(PumpUntil([&] { return (status = child.Status()) >= 0; }, 4000));
    EXPECT_EQ(status, 1);
}

// A real sound server: a PulseAudio daemon of the test's own with a null sink as the
// default, a tone played into it, and the recorder capturing the sink's monitor.
TEST_F(AudioLightTest, RecorderCapturesTheDefaultSinksMonitorOfARealServer) {
    StartWithKeyboard(true);
    const std::filesystem::path home = std::filesystem::path(getenv("XDG_RUNTIME_DIR")) / "pulse";
    std::filesystem::create_directories(home);
    const std::string socket = (home / "native").string();
    const std::string oldHome = getenv("HOME") ? getenv("HOME") : "";
    setenv("HOME", home.c_str(), 1);
    Child server({"/usr/bin/pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                  "--use-pid-file=no", "--log-target=stderr", "--log-level=0", "-L",
                  "module-native-protocol-unix socket=" + socket + " auth-anonymous=1", "-L",
                  "module-null-sink sink_name=vivori_test"});
    const bool up = PumpUntil([&] { return std::filesystem::exists(socket); }, 4000);
    if (!up) {
        setenv("HOME", oldHome.c_str(), 1);
        GTEST_SKIP() << "no PulseAudio server could be started here (/usr/bin/pulseaudio "
                        "missing or refused to run), so the capture path is not tested";
    }
    setenv("PULSE_SERVER", ("unix:" + socket).c_str(), 1);
    const std::string wav = (home / "tone.wav").string();
    ASSERT_TRUE(recorder::WriteWavMono(wav, BeatingTone(1000, 6.0)));
    Child recorderProcess({Recorder()});
    Child player({"/usr/bin/paplay", "--device=vivori_test", wav});
    const bool lit = MusicPeaksAt(13, 6000);
    unsetenv("PULSE_SERVER");
    setenv("HOME", oldHome.c_str(), 1);
    EXPECT_TRUE(lit) << "the tone played into the null sink did not reach the keyboard";
    EXPECT_EQ(recorderProcess.Status(), -1);  // still capturing
}

}  // namespace
}  // namespace vivori::testing

// The headset's equaliser in a real sound server: a private PulseAudio whose null sink
// stands for the headset's sound card, the real audio library and the real headset
// page on a simulated headset. Tones go through the equaliser's sink and are measured
// at the null sink's monitor.
#include <signal.h>

#include <fstream>

#include "AppFixture.h"
#include "audio/AlsaAudioLibrary.h"
#include "audio/Equaliser.h"
#include "devices/CQuorvaneRI6533Device.h"
#include "platform/ChildProcess.h"
#include "profiles/JsonFile.h"
#include "support/PulseServer.h"
#include "ui/core/COptionUI.h"
#include "ui/core/CProgressUI.h"

namespace vivori::testing {
namespace {

using audio::HeadsetEqualiser;
using devices::CQuorvaneRI6533Device;

constexpr double kToneAmplitude = 0.03;
const std::vector<double> kCentres(audio::eq::kCentreHz.begin(), audio::eq::kCentreHz.end());

class HeadsetEqualiserTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        server = std::make_unique<PulseServer>();
        if (!server->Up())
            GTEST_SKIP() << "no PulseAudio server could be started here (" << PulseServer::kBinary
                         << " missing or refused to run), so the equaliser is not tested in one";
        setenv("PULSE_SERVER", server->Address().c_str(), 1);
        setenv("VIVORI_HEADSET_SINK", server->HeadsetSink().c_str(), 1);
    }
    void TearDown() override {
        AppTest::TearDown();
        audio::SetAudioLibrary(nullptr);
        library.reset();
        unsetenv("PULSE_SERVER");
        unsetenv("VIVORI_HEADSET_SINK");
        server.reset();
    }

    void StartWithHeadset() {
        library = std::make_shared<audio::AlsaAudioLibrary>();
        audio::SetAudioLibrary(library);
        Start();
        simulated = Plug("headset");
        ASSERT_TRUE(PumpUntil([&] { return Headset() && Headset()->Commands().IsOpen(); }, 5000));
        Window().ShowWindow(true);
    }
    CQuorvaneRI6533Device* Headset() {
        return dynamic_cast<CQuorvaneRI6533Device*>(Window().CurrentDevice());
    }
    HeadsetEqualiser::State EqState() {
        return library && library->Equaliser() ? library->Equaliser()->GetState() : HeadsetEqualiser::State::Off;
    }
    void ClickOption(std::string_view name) {
        ui::CControlUI* control = Window().PaintManager().FindSubControlByName(Headset(), name);
        ASSERT_NE(control, nullptr) << name;
        static_cast<ui::COptionUI*>(control->GetInterface("Option"))->Selected(true);
        PumpFor(20);
    }
    // Each centre's level after the equaliser, in dB relative to the tone played.
    std::vector<double> MeasureThroughEqualiser() {
        const auto recorded = server->PlayAndRecord(HeadsetEqualiser::kSinkName, server->HeadsetSink() + ".monitor",
                                                    MultiTone(kCentres, kToneAmplitude, 2.0));
        std::vector<double> gains;
        for (double hz : kCentres) gains.push_back(ToneLevelDb(recorded, hz) - 20 * std::log10(kToneAmplitude));
        return gains;
    }

    std::unique_ptr<PulseServer> server;
    std::shared_ptr<audio::AlsaAudioLibrary> library;
    std::shared_ptr<sim::SimDevice> simulated;
};

TEST_F(HeadsetEqualiserTest, PresetsShapeWhatPlaysOnTheHeadsetAndItsStreamsMoveAndReturn) {
    // Something already plays on the headset.
    PulseServer::Player player(*server, server->HeadsetSink());
    ASSERT_TRUE(player.Playing());
    StartWithHeadset();
    ASSERT_TRUE(PumpUntil([&] { return EqState() == HeadsetEqualiser::State::Running; }, 8000))
        << int(EqState());
    EXPECT_TRUE(server->HasSink(HeadsetEqualiser::kSinkName));
    EXPECT_NE(server->Pactl("list sinks").find(HeadsetEqualiser::kSinkDescription), std::string::npos);
    EXPECT_EQ(server->StreamSinks(), std::vector<std::string>{HeadsetEqualiser::kSinkName});
    EXPECT_FALSE(Headset()->EqualiserNoteShown());

    ClickOption("6533_eq_option_5");  // flat
    const std::vector<double> flat = MeasureThroughEqualiser();
    for (size_t k = 0; k < flat.size(); ++k) EXPECT_NEAR(flat[k], 0.0, 0.5) << kCentres[k] << " Hz";

    ClickOption("6533_eq_option_9");
    // The click's gains are in the plugin's shared block when it returns; the plugin
    // takes them at its next block.
    const std::array<double, 10> wanted = {8, 2, -4, -8, 1, 3, 8, 11, 14, 16};
    for (int b = 0; b < 10; ++b) EXPECT_EQ(library->Equaliser()->Band(b), wanted[size_t(b)]) << b;
    const std::vector<double> preset9 = MeasureThroughEqualiser();
    // The equaliser lowers everything by its pre-gain so that the boosts cannot clip;
    // each band's own gain is what the preset says.
    const double preGain = audio::eq::DesignFor(wanted, PulseServer::kRate).preGainDb;
    EXPECT_LT(preGain, -15.0);
    for (size_t k = 0; k < preset9.size(); ++k)
        EXPECT_NEAR(preset9[k] - preGain, wanted[k], 1.5) << kCentres[k] << " Hz";

    // A band moved on the page is played at once, too.
    ui::CControlUI* slider = Window().PaintManager().FindSubControlByName(Headset(), "6533_eq_hz_slider_2");
    static_cast<ui::CProgressUI*>(slider->GetInterface("Progress"))->SetValue(9);
    Window().PaintManager().SendNotify(slider, ui::kNotifyValueChanged);
    EXPECT_EQ(library->Equaliser()->Band(2), 9);

    // The headset leaves: the sink goes and the stream is back on the headset.
    bus->Unplug(simulated);
    ASSERT_TRUE(PumpUntil([&] { return EqState() == HeadsetEqualiser::State::Off; }, 5000));
    ASSERT_TRUE(library->Equaliser()->WaitSettled(5000));
    EXPECT_FALSE(server->HasSink(HeadsetEqualiser::kSinkName));
    EXPECT_EQ(server->StreamSinks(), std::vector<std::string>{server->HeadsetSink()});
}

TEST_F(HeadsetEqualiserTest, TheProgramReplacesALeftOverSinkAndRemovesItsOwnOnSigterm) {
    // A sink a crashed run left behind, with a stream on it.
    const std::string plugin = HeadsetEqualiser::PluginPath();
    ASSERT_TRUE(std::filesystem::exists(plugin)) << plugin;
    server->Pactl(std::string("load-module module-ladspa-sink sink_name=") + HeadsetEqualiser::kSinkName +
                  " sink_master=" + server->HeadsetSink() + " plugin=" + plugin +
                  " label=" + HeadsetEqualiser::kPluginLabel + " control=0,0,0,0,0,0,0,0,0,0,12345");
    ASSERT_TRUE(server->HasSink(HeadsetEqualiser::kSinkName));
    const std::string staleModules = server->Pactl("list short modules");
    PulseServer::Player player(*server, HeadsetEqualiser::kSinkName);

    const std::string folder = std::getenv("XDG_RUNTIME_DIR");
    const std::string command = "XDG_DATA_HOME='" + folder + "/data' XDG_CONFIG_HOME='" + folder +
                                "/config' QT_QPA_PLATFORM=offscreen VIVORI_SIMULATE=headset VIVORI_DEBUG=1 exec '" +
                                VIVORI_TRIVEX + "' 2>'" + folder + "/app.log'";
    const auto child = StartChild({"/bin/sh", "-c", command});
    ASSERT_TRUE(child);
    // Ours replaces it: one LADSPA sink, made by another module.
    const bool replaced = PumpUntil(
        [&] {
            return server->ModuleCount("module-ladspa-sink") == 1 &&
                   server->Pactl("list short modules") != staleModules && server->HasSink(HeadsetEqualiser::kSinkName);
        },
        15000);
    const auto log = [&] {
        std::ifstream file(folder + "/app.log");
        std::string text, line;
        while (std::getline(file, line))
            if (line.find("equaliser") != std::string::npos) text += line + "\n";
        return text;
    };
    EXPECT_TRUE(replaced) << server->Pactl("list short modules") << log();
    EXPECT_TRUE(PumpUntil([&] { return server->StreamSinks() == std::vector<std::string>{HeadsetEqualiser::kSinkName}; }));

    kill(*child, SIGTERM);
    int code = -1;
    EXPECT_TRUE(PumpUntil([&] { return !ChildRunning(*child, &code); }, 10000));
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(server->HasSink(HeadsetEqualiser::kSinkName));
    EXPECT_EQ(server->ModuleCount("module-ladspa-sink"), 0);
    EXPECT_EQ(server->StreamSinks(), std::vector<std::string>{server->HeadsetSink()});
}

// Without a sound server the page says that the equaliser needs one, and the presets
// are kept as before; the voice effect panel notes that its effects are only kept.
class HeadsetEqualiserNoServerTest : public AppTest {
  protected:
    void TearDown() override {
        AppTest::TearDown();
        audio::SetAudioLibrary(nullptr);
        unsetenv("PULSE_SERVER");
        unsetenv("VIVORI_HEADSET_SINK");
    }
};

TEST_F(HeadsetEqualiserNoServerTest, ThePageSaysTheEqualiserNeedsASoundServerUntilOneStarts) {
    setenv("PULSE_SERVER", "unix:/nonexistent/vivori-no-server", 1);
    setenv("VIVORI_HEADSET_SINK", "fakeheadset", 1);
    auto library = std::make_shared<audio::AlsaAudioLibrary>();
    audio::SetAudioLibrary(library);
    Start();
    Plug("headset");
    auto headset = [&] { return dynamic_cast<CQuorvaneRI6533Device*>(Window().CurrentDevice()); };
    ASSERT_TRUE(PumpUntil([&] { return headset() && headset()->Commands().IsOpen(); }, 5000));
    ASSERT_TRUE(PumpUntil([&] { return headset()->EqualiserNoteShown(); }, 5000));
    ui::CControlUI* note = Window().PaintManager().FindSubControlByName(headset(), "eq_server_note");
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(note->IsOwnVisible());
    EXPECT_NE(note->GetText().find("sound server"), std::string::npos) << note->GetText();
    EXPECT_EQ(library->Equaliser()->GetState(), HeadsetEqualiser::State::NoServer);
    // The voice effects have no counterpart here at all, and the page says so.
    ui::CControlUI* magicNote = Window().PaintManager().FindSubControlByName(headset(), "magic_linux_note");
    ASSERT_NE(magicNote, nullptr);
    EXPECT_TRUE(magicNote->IsOwnVisible());
    EXPECT_NE(magicNote->GetText().find("Linux"), std::string::npos) << magicNote->GetText();

    headset()->ApplyPreset(9);
    EXPECT_EQ(headset()->AudioSettings().eqType, 9);
    EXPECT_EQ(headset()->Profile().GetSystemSetStages().eqType, 9);

    // A server that starts later is found by itself, and the note goes.
    PulseServer server;
    if (!server.Up()) return;  // the rest needs PulseAudio
    setenv("PULSE_SERVER", server.Address().c_str(), 1);
    EXPECT_TRUE(PumpUntil([&] { return !headset()->EqualiserNoteShown(); }, 8000));
    EXPECT_FALSE(note->IsOwnVisible());
    EXPECT_EQ(library->Equaliser()->GetState(), HeadsetEqualiser::State::Running);
    EXPECT_TRUE(server.HasSink(HeadsetEqualiser::kSinkName));
    AppTest::TearDown();  // the sink goes while its server is still there
    audio::SetAudioLibrary(nullptr);
    library.reset();
    EXPECT_FALSE(server.HasSink(HeadsetEqualiser::kSinkName));
}

}  // namespace
}  // namespace vivori::testing

#include "audio/HeadsetEqualiser.h"

#include <dirent.h>
#include <fcntl.h>
#include <pulse/pulseaudio.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <new>
#include <optional>
#include <random>
#include <thread>
#include <vector>

#include "platform/Debug.h"
#include "platform/InstallFolders.h"
#include "platform/Time.h"

namespace vivori::audio {
namespace {

constexpr const char* kBlockPrefix = "vivori-headset-eq-";
constexpr int kRetryMs = 2000;

struct SinkInfo {
    uint32_t index = 0;
    std::string name;
    uint32_t ownerModule = PA_INVALID_INDEX;
    std::string alsaCard;
    std::string vendor;
    std::string product;
};

struct InputInfo {
    uint32_t index = 0;
    uint32_t sink = 0;
    uint32_t ownerModule = PA_INVALID_INDEX;
    std::string group;  // PipeWire: the node group of a module's streams
};

struct ModuleInfo {
    uint32_t index = 0;
    std::string name;
    std::string argument;
};

std::string Prop(pa_proplist* list, const char* key) {
    const char* value = list ? pa_proplist_gets(list, key) : nullptr;
    return value ? value : "";
}

// "0x0c76", "0C76" and "0c76" are one id.
std::string UsbId(std::string id) {
    if (id.rfind("0x", 0) == 0 || id.rfind("0X", 0) == 0) id.erase(0, 2);
    for (char& c : id) c = char(std::tolower(static_cast<unsigned char>(c)));
    return id;
}

const SinkInfo* FindSink(const std::vector<SinkInfo>& sinks, const std::string& name) {
    for (const SinkInfo& s : sinks)
        if (s.name == name) return &s;
    return nullptr;
}

// One connection to the server with its own main loop, run only on the calling
// thread, every wait ending at a deadline.
class PulseSession {
  public:
    explicit PulseSession(int timeoutMs)
        : deadline_(std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs)) {
        loop_ = pa_mainloop_new();
        if (loop_ == nullptr) return;
        pa_proplist* props = pa_proplist_new();
        pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "VIVORI Trivex");
        pa_proplist_sets(props, PA_PROP_APPLICATION_ID, "org.vivori.Trivex");
        context_ = pa_context_new_with_proplist(pa_mainloop_get_api(loop_), "VIVORI Trivex", props);
        pa_proplist_free(props);
    }
    ~PulseSession() {
        if (context_ != nullptr) {
            pa_context_disconnect(context_);
            pa_context_unref(context_);
        }
        if (loop_ != nullptr) pa_mainloop_free(loop_);
    }

    // The server of the environment (PULSE_SERVER, or the user's), never started
    // for us.
    bool Connect() {
        if (context_ == nullptr) return false;
        if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) return false;
        return RunUntil([this] {
            const pa_context_state_t s = pa_context_get_state(context_);
            return s == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(s);
        }) && pa_context_get_state(context_) == PA_CONTEXT_READY;
    }

    std::optional<std::string> DefaultSink() {
        struct Out {
            std::optional<std::string> name;
            bool done = false;
        } out;
        Finish(pa_context_get_server_info(
                   context_,
                   [](pa_context*, const pa_server_info* info, void* user) {
                       auto* o = static_cast<Out*>(user);
                       if (info && info->default_sink_name) o->name = info->default_sink_name;
                       o->done = true;
                   },
                   &out),
               out.done);
        return out.name;
    }

    std::optional<std::vector<SinkInfo>> Sinks() {
        return List<pa_sink_info, SinkInfo>(pa_context_get_sink_info_list, [](const pa_sink_info& i) {
            return SinkInfo{i.index, i.name ? i.name : "", i.owner_module, Prop(i.proplist, "alsa.card"),
                            UsbId(Prop(i.proplist, "device.vendor.id")), UsbId(Prop(i.proplist, "device.product.id"))};
        });
    }
    std::optional<std::vector<InputInfo>> Inputs() {
        return List<pa_sink_input_info, InputInfo>(pa_context_get_sink_input_info_list,
                                                   [](const pa_sink_input_info& i) {
                                                       return InputInfo{i.index, i.sink, i.owner_module,
                                                                        Prop(i.proplist, "node.group")};
                                                   });
    }
    std::vector<ModuleInfo> Modules() {
        return List<pa_module_info, ModuleInfo>(pa_context_get_module_info_list, [](const pa_module_info& i) {
                   return ModuleInfo{i.index, i.name ? i.name : "", i.argument ? i.argument : ""};
               }).value_or(std::vector<ModuleInfo>{});
    }

    std::optional<uint32_t> LoadModule(const std::string& name, const std::string& arguments) {
        struct Out {
            uint32_t index = PA_INVALID_INDEX;
            bool done = false;
        } out;
        Finish(pa_context_load_module(
                   context_, name.c_str(), arguments.c_str(),
                   [](pa_context*, uint32_t index, void* user) {
                       auto* o = static_cast<Out*>(user);
                       o->index = index;
                       o->done = true;
                   },
                   &out),
               out.done);
        if (out.index == PA_INVALID_INDEX) return std::nullopt;
        return out.index;
    }

    bool UnloadModule(uint32_t index) {
        return Success(pa_context_unload_module(context_, index, SuccessCallback, &success_));
    }
    bool MoveInput(uint32_t input, const std::string& sink) {
        return Success(pa_context_move_sink_input_by_name(context_, input, sink.c_str(), SuccessCallback,
                                                          &success_));
    }
    bool SetDefaultSink(const std::string& sink) {
        return Success(pa_context_set_default_sink(context_, sink.c_str(), SuccessCallback, &success_));
    }

    // Waits (within the session's deadline) until no sink has this name.
    bool WaitUntilGone(const std::string& sink) {
        while (std::chrono::steady_clock::now() < deadline_) {
            const auto sinks = Sinks();
            if (!sinks) return false;
            if (FindSink(*sinks, sink) == nullptr) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

  private:
    // One of the server's lists (sinks, streams, modules), each entry made an Item.
    template <typename Info, typename Item>
    std::optional<std::vector<Item>> List(
        pa_operation* (*start)(pa_context*, void (*)(pa_context*, const Info*, int, void*), void*),
        Item (*convert)(const Info&)) {
        struct Out {
            std::vector<Item> list;
            Item (*convert)(const Info&);
            bool done = false;
            bool failed = false;
        } out{{}, convert};
        const bool finished = Finish(start(
                                         context_,
                                         [](pa_context*, const Info* info, int eol, void* user) {
                                             auto* o = static_cast<Out*>(user);
                                             if (eol != 0) {
                                                 o->failed = eol < 0;
                                                 o->done = true;
                                             } else {
                                                 o->list.push_back(o->convert(*info));
                                             }
                                         },
                                         &out),
                                     out.done);
        if (!finished || out.failed) return std::nullopt;
        return out.list;
    }

    struct SuccessState {
        bool ok = false;
        bool done = false;
    };
    static void SuccessCallback(pa_context*, int ok, void* user) {
        auto* s = static_cast<SuccessState*>(user);
        s->ok = ok != 0;
        s->done = true;
    }
    bool Success(pa_operation* operation) {
        success_ = {};
        return Finish(operation, success_.done) && success_.ok;
    }

    bool Finish(pa_operation* operation, const bool& done) {
        if (operation == nullptr) return false;
        const bool finished = RunUntil([&] {
            return done || pa_operation_get_state(operation) != PA_OPERATION_RUNNING;
        });
        if (!finished) pa_operation_cancel(operation);
        pa_operation_unref(operation);
        return finished && done;
    }

    bool RunUntil(const std::function<bool()>& done) {
        while (!done()) {
            const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
                deadline_ - std::chrono::steady_clock::now());
            if (left.count() <= 0) return false;
            if (pa_mainloop_prepare(loop_, int(std::min<int64_t>(left.count(), 100000))) < 0 ||
                pa_mainloop_poll(loop_) < 0 || pa_mainloop_dispatch(loop_) < 0)
                return false;
            if (context_ && !PA_CONTEXT_IS_GOOD(pa_context_get_state(context_))) return done();
        }
        return true;
    }

    std::chrono::steady_clock::time_point deadline_;
    pa_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    SuccessState success_;
};

// Module arguments are split at spaces unless quoted.
std::string Quoted(const std::string& value) {
    std::string out = "\"";
    for (char c : value) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

// Every module that made a sink of our name: the one a crashed run left, too.
std::vector<uint32_t> OurModules(PulseSession& session, const SinkInfo* sink) {
    std::vector<uint32_t> found;
    const std::string argument = std::string("sink_name=") + HeadsetEqualiser::kSinkName;
    for (const ModuleInfo& m : session.Modules()) {
        if (m.name != "module-ladspa-sink") continue;
        const size_t at = m.argument.find(argument);
        const size_t end = at + argument.size();
        if (at != std::string::npos && (end == m.argument.size() || m.argument[end] == ' '))
            found.push_back(m.index);
    }
    if (found.empty() && sink != nullptr && sink->ownerModule != PA_INVALID_INDEX)
        found.push_back(sink->ownerModule);
    return found;
}

// Moves what plays on sink `from` to sink `to`, except the streams of `skipModule`:
// the equaliser's own output must stay on the headset (PulseAudio names its module,
// PipeWire's pulse server its node group).
void MoveStreams(PulseSession& session, uint32_t from, const std::string& to, uint32_t skipModule) {
    const auto inputs = session.Inputs();
    if (!inputs) return;
    const std::string group = "ladspa-sink-" + std::to_string(skipModule);
    for (const InputInfo& input : *inputs) {
        const bool ours = skipModule != PA_INVALID_INDEX && (input.ownerModule == skipModule || input.group == group);
        if (input.sink == from && !ours) session.MoveInput(input.index, to);
    }
}

int64_t NowMs() {
    return int64_t(GetTickCount64());
}

}  // namespace

HeadsetEqualiser::HeadsetEqualiser(Options options) : options_(std::move(options)) {
    if (options_.plugin.empty()) options_.plugin = PluginPath();
    RemoveStaleBlocks();
    // The block's name carries a random key (the plugin's control value, exact as a
    // float up to 2^24); a taken name is tried again with another.
    std::random_device random;
    for (int attempt = 0; attempt < 8 && block_ == nullptr; ++attempt) {
        const uint32_t key = 1 + random() % ((1u << 24) - 1);
        const std::string name = eq::ControlBlockName(key);
        const int fd = shm_open(name.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0644);
        if (fd < 0) continue;
        void* mapped = MAP_FAILED;
        if (ftruncate(fd, sizeof(eq::ControlBlock)) == 0)
            mapped = mmap(nullptr, sizeof(eq::ControlBlock), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        close(fd);
        if (mapped == MAP_FAILED) {
            shm_unlink(name.c_str());
            continue;
        }
        block_ = new (mapped) eq::ControlBlock{};
        block_->ownerPid = getpid();
        block_->magic = eq::ControlBlock::kMagic;
        key_ = key;
    }
    if (block_ == nullptr) DebugOutput("equaliser: no shared block; gains apply when the sink is made");
    worker_ = std::thread([this] { Loop(); });
}

HeadsetEqualiser::~HeadsetEqualiser() {
    {
        std::lock_guard lock(mutex_);
        wanted_ = false;
        quit_ = true;
        ++requested_;
    }
    wake_.notify_all();
    // Each exchange with the server ends at its deadline, so this join is bounded.
    if (worker_.joinable()) worker_.join();
    if (block_ != nullptr) {
        munmap(block_, sizeof(eq::ControlBlock));
        shm_unlink(eq::ControlBlockName(key_).c_str());
    }
}

std::string HeadsetEqualiser::PluginPath() {
    if (const char* env = std::getenv("VIVORI_EQ_PLUGIN"); env && *env) return env;
    const std::filesystem::path program = ExecutableFolder();
    const std::string file = std::string(kPluginLabel) + ".so";
    for (const auto& candidate : {program.parent_path() / "lib" / "vivori-trivex" / file, program / file}) {
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error)) return candidate.string();
    }
    return (program.parent_path() / "lib" / "vivori-trivex" / file).string();
}

void HeadsetEqualiser::RemoveStaleBlocks() {
    DIR* dir = opendir("/dev/shm");
    if (dir == nullptr) return;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.rfind(kBlockPrefix, 0) != 0) continue;
        const int fd = shm_open(("/" + name).c_str(), O_RDONLY | O_CLOEXEC, 0);
        if (fd < 0) continue;
        // One still being made may be shorter than a block: reading past its end
        // would fault, and it is not stale.
        struct stat st {};
        void* mapped = MAP_FAILED;
        if (fstat(fd, &st) == 0 && size_t(st.st_size) >= sizeof(eq::ControlBlock))
            mapped = mmap(nullptr, sizeof(eq::ControlBlock), PROT_READ, MAP_SHARED, fd, 0);
        close(fd);
        if (mapped == MAP_FAILED) continue;
        const auto* block = static_cast<const eq::ControlBlock*>(mapped);
        const pid_t owner = block->magic == eq::ControlBlock::kMagic ? block->ownerPid : 0;
        munmap(mapped, sizeof(eq::ControlBlock));
        if (owner > 0 && kill(owner, 0) != 0 && errno == ESRCH) shm_unlink(("/" + name).c_str());
    }
    closedir(dir);
}

void HeadsetEqualiser::Publish() {
    if (block_ != nullptr) eq::WriteBands(*block_, bands_, enabled_);
}

void HeadsetEqualiser::Request(bool wanted) {
    const State state = state_.load();
    const bool failed = state == State::NoServer || state == State::NoHeadsetSink || state == State::Failed;
    if (wanted == wanted_ && !(wanted && failed && NowMs() - lastAttemptMs_ >= kRetryMs)) return;
    wanted_ = wanted;
    if (wanted) lastAttemptMs_ = NowMs();
    ++requested_;
    wake_.notify_all();
}

void HeadsetEqualiser::SetEnabled(bool on) {
    std::lock_guard lock(mutex_);
    enabled_ = on;
    Publish();
    Request(true);
}

void HeadsetEqualiser::SetBand(int band, double db) {
    if (band < 0 || band >= eq::kBands) return;
    std::lock_guard lock(mutex_);
    bands_[size_t(band)] = db;
    Publish();
    Request(true);
}

bool HeadsetEqualiser::Enabled() const {
    std::lock_guard lock(mutex_);
    return enabled_;
}

double HeadsetEqualiser::Band(int band) const {
    std::lock_guard lock(mutex_);
    return band >= 0 && band < eq::kBands ? bands_[size_t(band)] : 0.0;
}

void HeadsetEqualiser::Retry() {
    std::lock_guard lock(mutex_);
    if (wanted_) Request(true);
}

void HeadsetEqualiser::Release() {
    std::lock_guard lock(mutex_);
    Request(false);
}

bool HeadsetEqualiser::WaitSettled(int timeoutMs) {
    std::unique_lock lock(mutex_);
    return settled_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [this] { return handled_ == requested_; });
}

void HeadsetEqualiser::Loop() {
    std::unique_lock lock(mutex_);
    while (true) {
        wake_.wait(lock, [this] { return handled_ != requested_; });
        const uint64_t request = requested_;
        const bool want = wanted_ && !quit_;
        const bool quit = quit_;
        lock.unlock();
        if (want && !running_)
            SetUp();
        else if (!want && running_)
            TakeDown();
        lock.lock();
        handled_ = request;
        settled_.notify_all();
        if (quit && handled_ == requested_) return;
    }
}

void HeadsetEqualiser::SetUp() {
    state_ = State::Starting;
    PulseSession session(options_.timeoutMs);
    if (!session.Connect()) {
        DebugOutput("equaliser: no sound server");
        state_ = State::NoServer;
        return;
    }
    const auto sinks = session.Sinks();
    if (!sinks) {
        state_ = State::NoServer;
        return;
    }
    const SinkInfo* headset = nullptr;
    for (const SinkInfo& s : *sinks) {
        if (s.name == kSinkName) continue;
        const bool match = !options_.headsetSink.empty()
                               ? s.name == options_.headsetSink
                               : (options_.alsaCard >= 0 && s.alsaCard == std::to_string(options_.alsaCard)) ||
                                     (s.vendor == UsbId(options_.usbVendor) && s.product == UsbId(options_.usbProduct));
        if (match) {
            headset = &s;
            break;
        }
    }
    if (headset == nullptr) {
        DebugOutput("equaliser: the sound server has no sink for the headset");
        state_ = State::NoHeadsetSink;
        return;
    }
    const SinkInfo headsetSink = *headset;
    std::optional<std::string> defaultSink = session.DefaultSink();

    // One left by an earlier run that ended without removing it: its streams go back
    // to the headset and it goes.
    if (const SinkInfo* stale = FindSink(*sinks, kSinkName)) {
        DebugOutput("equaliser: removing the sink an earlier run left");
        MoveStreams(session, stale->index, headsetSink.name, PA_INVALID_INDEX);
        if (defaultSink == kSinkName) {
            session.SetDefaultSink(headsetSink.name);
            defaultSink = headsetSink.name;
        }
        for (uint32_t module : OurModules(session, stale)) session.UnloadModule(module);
        // The server unloads a module a moment after it answers; a sink made before
        // the old one is gone would get another name.
        if (!session.WaitUntilGone(kSinkName)) {
            DebugOutput("equaliser: the sink an earlier run left does not go");
            state_ = State::Failed;
            return;
        }
    }

    std::string controls;
    {
        std::lock_guard lock(mutex_);
        char value[32];
        for (int b = 0; b < eq::kBands; ++b) {
            std::snprintf(value, sizeof value, "%.2f,", enabled_ ? bands_[size_t(b)] : 0.0);
            controls += value;
        }
    }
    controls += std::to_string(key_);
    const std::string arguments =
        std::string("sink_name=") + kSinkName + " sink_master=" + Quoted(headsetSink.name) +
        " sink_properties=" + Quoted(std::string("device.description='") + kSinkDescription + "' node.description='" +
                                         kSinkDescription + "'") +
        " plugin=" + Quoted(options_.plugin) + " label=" + kPluginLabel + " control=" + controls;
    std::error_code error;
    const std::optional<uint32_t> module = std::filesystem::is_regular_file(options_.plugin, error)
                                               ? session.LoadModule("module-ladspa-sink", arguments)
                                               : std::nullopt;
    if (!module) {
        DebugPrintf("equaliser: the server did not make the sink (%s)", arguments.c_str());
        state_ = State::Failed;
        return;
    }
    module_ = *module;
    headsetName_ = headsetSink.name;
    running_ = true;
    MoveStreams(session, headsetSink.index, kSinkName, module_);
    // New streams follow the default: when that was the headset, it is now the equaliser.
    if (defaultSink == headsetSink.name) session.SetDefaultSink(kSinkName);
    DebugPrintf("equaliser: sink %s on %s (module %u)", kSinkName, headsetName_.c_str(), module_);
    state_ = State::Running;
}

void HeadsetEqualiser::TakeDown() {
    running_ = false;
    state_ = State::Off;
    PulseSession session(options_.timeoutMs);
    if (!session.Connect()) return;  // the server went, and the sink with it
    const auto sinks = session.Sinks();
    if (!sinks) return;
    const SinkInfo* ours = FindSink(*sinks, kSinkName);
    const bool headsetThere = FindSink(*sinks, headsetName_) != nullptr;
    if (ours != nullptr && headsetThere) {
        MoveStreams(session, ours->index, headsetName_, PA_INVALID_INDEX);
        if (session.DefaultSink() == kSinkName) session.SetDefaultSink(headsetName_);
    }
    std::vector<uint32_t> modules = OurModules(session, ours);
    if (modules.empty() && module_ != PA_INVALID_INDEX && ours != nullptr) modules.push_back(module_);
    for (uint32_t module : modules) session.UnloadModule(module);
    module_ = PA_INVALID_INDEX;
    DebugOutput("equaliser: sink removed");
}

}  // namespace vivori::audio

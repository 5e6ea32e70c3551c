#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Our audio library for the headset: the calls the headset object makes of its audio
// chip, answered by a simulated chip or by the sound card's mixer. No UI, no Qt.
namespace vivori::audio {

inline constexpr int kFlowPlayback = 0;
inline constexpr int kFlowRecording = 1;

// A device of the library: four 32-bit values; the caller reads the type and the state
// (1 = usable) and hands the record back unchanged.
struct DeviceRecord {
    int32_t id = 0;
    int32_t type = 0;
    int32_t flow = 0;
    int32_t state = 0;
    bool operator==(const DeviceRecord&) const = default;
};
static_assert(sizeof(DeviceRecord) == 16);

// The property call's value buffer: a get fills it with decimal text (NUL-terminated);
// a set reads a 32-bit integer, or a 32-bit float for the scalar volumes, from its
// first four bytes.
inline constexpr size_t kValueBufferSize = 1024;
using ValueBuffer = std::array<char, kValueBufferSize>;
// The parameter: a channel (-1 the microphone, 0 the monitor path), or a block such as
// the surround's (4, -1, 0). Null: none.
using Parameter = std::vector<int32_t>;

inline constexpr int kAudioOk = 0;
inline constexpr int kAudioFailed = -1;

class IAudioLibrary {
  public:
    virtual ~IAudioLibrary() = default;
    // False when the library could not be loaded: none of its calls is made then.
    virtual bool Loaded() const { return true; }
    // 0 on success.
    virtual int ConfLibInit() = 0;
    virtual void CreateDeviceList() = 0;
    virtual int GetDeviceCount(int flow, int& count) = 0;
    virtual int GetDeviceById(int flow, int index, DeviceRecord& record) = 0;
    // 0 on success; set false reads into value, true writes from it.
    virtual int PropertyControl(const DeviceRecord& record, std::string_view name,
                                ValueBuffer& value, const Parameter* parameter, bool set) = 0;
    // The caller is done with the devices for now (the headset left, or the program
    // ends): what the library set up for them is undone. A later property call
    // starts again.
    virtual void ConfLibUnInit() {}
};

// The property calls in their three value forms. Reads give nullopt on a failure.
std::optional<std::string> GetText(IAudioLibrary& library, const DeviceRecord& record,
                                   std::string_view name, const Parameter* parameter = nullptr);
std::optional<double> GetNumber(IAudioLibrary& library, const DeviceRecord& record,
                                std::string_view name, const Parameter* parameter = nullptr);
bool SetInt(IAudioLibrary& library, const DeviceRecord& record, std::string_view name,
            int32_t value, const Parameter* parameter = nullptr);
bool SetFloat(IAudioLibrary& library, const DeviceRecord& record, std::string_view name,
              float value, const Parameter* parameter = nullptr);

// The value forms inside the buffer, for the libraries that answer the calls.
void PutText(ValueBuffer& value, std::string_view text);
int32_t TakeInt(const ValueBuffer& value);
float TakeFloat(const ValueBuffer& value);

// Which library the program uses: the one set here (the simulated chip, when the
// environment simulates the headset) or else the sound card's mixer. Null: no library,
// as when the vendor's library cannot be loaded.
void SetAudioLibrary(std::shared_ptr<IAudioLibrary> library);
// The library in use, made once and shared; null when it is not loaded.
std::shared_ptr<IAudioLibrary> LoadAudioLibrary();

}  // namespace vivori::audio

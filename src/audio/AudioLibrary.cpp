#include "audio/AudioLibrary.h"

#include <cerrno>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <mutex>

#include "audio/AlsaAudioLibrary.h"

namespace vivori::audio {
namespace {

std::mutex libraryMutex;
std::shared_ptr<IAudioLibrary> chosen;
bool chosenSet = false;

}  // namespace

void PutText(ValueBuffer& value, std::string_view text) {
    value.fill(0);
    std::memcpy(value.data(), text.data(), std::min(text.size(), value.size() - 1));
}

int32_t TakeInt(const ValueBuffer& value) {
    int32_t v = 0;
    std::memcpy(&v, value.data(), sizeof v);
    return v;
}

float TakeFloat(const ValueBuffer& value) {
    float v = 0;
    std::memcpy(&v, value.data(), sizeof v);
    return v;
}

std::optional<std::string> GetText(IAudioLibrary& library, const DeviceRecord& record,
                                   std::string_view name, const Parameter* parameter) {
    ValueBuffer value{};
    if (library.PropertyControl(record, name, value, parameter, false) != kAudioOk)
        return std::nullopt;
    value.back() = 0;  // whatever the library wrote, the text ends inside the buffer
    return std::string(value.data());
}

std::optional<double> GetNumber(IAudioLibrary& library, const DeviceRecord& record,
                                std::string_view name, const Parameter* parameter) {
    const std::optional<std::string> text = GetText(library, record, name, parameter);
    if (!text || text->empty()) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const double number = std::strtod(text->c_str(), &end);
    // Text that is not a number is a failed read, not a zero.
    if (end == text->c_str() || errno == ERANGE) return std::nullopt;
    return number;
}

bool SetInt(IAudioLibrary& library, const DeviceRecord& record, std::string_view name,
            int32_t value, const Parameter* parameter) {
    ValueBuffer buffer{};
    std::memcpy(buffer.data(), &value, sizeof value);
    return library.PropertyControl(record, name, buffer, parameter, true) == kAudioOk;
}

bool SetFloat(IAudioLibrary& library, const DeviceRecord& record, std::string_view name,
              float value, const Parameter* parameter) {
    ValueBuffer buffer{};
    std::memcpy(buffer.data(), &value, sizeof value);
    return library.PropertyControl(record, name, buffer, parameter, true) == kAudioOk;
}

void SetAudioLibrary(std::shared_ptr<IAudioLibrary> library) {
    std::lock_guard lock(libraryMutex);
    chosen = std::move(library);
    chosenSet = true;
}

std::shared_ptr<IAudioLibrary> LoadAudioLibrary() {
    std::lock_guard lock(libraryMutex);
    if (!chosenSet) {
        chosen = std::make_shared<AlsaAudioLibrary>();
        chosenSet = true;
    }
    return chosen && chosen->Loaded() ? chosen : nullptr;
}

}  // namespace vivori::audio

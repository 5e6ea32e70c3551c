#include "profiles/JsonFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

#include "platform/Debug.h"

namespace vivori::profiles {
namespace {

struct Fd {
    int fd = -1;
    ~Fd() {
        if (fd >= 0) close(fd);
    }
};

std::string SizeText(std::uintmax_t bytes) {
    return std::to_string(bytes) + " bytes";
}

// Reads the file, telling a missing file from one that is present but unreadable.
// O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused below.
FileState ReadWhole(const std::filesystem::path& path, std::string* out, std::string* why) {
    Fd file{open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY)};
    int error = file.fd < 0 ? errno : 0;
    std::string reason;
    struct stat st {};
    if (file.fd >= 0 && fstat(file.fd, &st) != 0) error = errno;
    if (file.fd >= 0 && error == 0 && !S_ISREG(st.st_mode)) {
        error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        reason = S_ISDIR(st.st_mode) ? "it is a folder" : "it is not a regular file";
    }
    if (file.fd >= 0 && error == 0 && std::uintmax_t(st.st_size) > kMaxTextFileBytes) {
        error = EFBIG;
        reason = "it holds " + SizeText(std::uintmax_t(st.st_size)) + ", more than the " +
                 SizeText(kMaxTextFileBytes) + " a stored file may have";
    }
    if (error == 0) {
        out->resize(std::size_t(st.st_size));
        std::size_t done = 0;
        while (done < out->size()) {
            ssize_t n = read(file.fd, out->data() + done, out->size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                error = errno;
                break;
            }
            if (n == 0) break;  // shrank while reading: keep what is there
            done += std::size_t(n);
        }
        out->resize(done);
    }
    DebugPrintf("readjsonFile 错误吗：：%d\n", error);
    if (why) *why = error == 0 ? std::string() : reason.empty() ? std::strerror(error) : reason;
    if (error == ENOENT || error == ENOTDIR) return FileState::Missing;
    return error == 0 ? FileState::Parsed : FileState::Unreadable;
}

thread_local std::string lastWriteError;

bool WriteRefused(const std::filesystem::path& path, std::string reason) {
    DebugPrintf("not written: %s: %s\n", path.c_str(), reason.c_str());
    lastWriteError = std::move(reason);
    return false;
}

// Where the content really goes: a symbolic link is followed to its target, so the
// link itself survives and whatever it points at is updated.
std::filesystem::path WriteTarget(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_symlink(std::filesystem::symlink_status(path, ec))) return path;
    std::filesystem::path target = std::filesystem::weakly_canonical(path, ec);
    return ec ? path : target;
}

// A temporary file beside `path`, created as open() creates any file, so the umask
// applies to its mode.
int CreateTemporary(const std::filesystem::path& path, std::string* name) {
    static std::atomic<unsigned> counter{0};
    // Appended piece by piece: g++ 12 at -O3 takes "." + string for an overlapping copy.
    std::string hidden = ".";
    hidden.append(path.filename().string()).append(".");
    const std::string base = (path.parent_path() / hidden).string();
    for (int attempt = 0; attempt < 100; ++attempt) {
        *name = base;
        name->append(std::to_string(getpid())).append("-").append(std::to_string(counter++));
        int fd = open(name->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

bool WriteAll(int fd, std::string_view content) {
    while (!content.empty()) {
        ssize_t n = write(fd, content.data(), content.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        content.remove_prefix(std::size_t(n));
    }
    return true;
}

const Json::Value& Null() {
    static const Json::Value null;
    return null;
}

}  // namespace

std::optional<Json::Value> ParseJsonText(std::string_view text) {
    Json::CharReaderBuilder builder;  // comments allowed and collected; depth limited
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value value;
    std::string errors;
    try {
        if (!reader->parse(text.data(), text.data() + text.size(), &value, &errors))
            return std::nullopt;
    } catch (const std::exception&) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::string> ReadTextFile(const std::filesystem::path& path, std::string* why) {
    std::string text;
    if (ReadWhole(path, &text, why) != FileState::Parsed) return std::nullopt;
    return text;
}

JsonDocument ReadJsonDocument(const std::filesystem::path& path) {
    JsonDocument doc;
    std::string text;
    doc.state = ReadWhole(path, &text, nullptr);
    if (doc.state == FileState::Unreadable) DebugPrintf("unreadable JSON file: %s\n", path.c_str());
    if (doc.state != FileState::Parsed) return doc;
    if (text.empty()) {
        DebugPrintf("%s\n", path.c_str());
        doc.state = FileState::Corrupt;
        return doc;
    }
    std::optional<Json::Value> parsed = ParseJsonText(text);
    if (parsed)
        doc.value = std::move(*parsed);
    else
        doc.state = FileState::Corrupt;
    if (doc.state == FileState::Corrupt) {
        doc.value = Json::Value();
        DebugPrintf("bad JSON file: %s\n", path.c_str());
    }
    return doc;
}

Json::Value ReadJsonFile(const std::filesystem::path& path) {
    return ReadJsonDocument(path).value;
}

std::string StyledJson(const Json::Value& value) {
    // StyledWriter indents by three spaces and ends the document with one line break.
    Json::StyledWriter writer;
    return writer.write(value);
}

std::string OversizeReason(const std::filesystem::path& path, std::size_t bytes) {
    if (bytes <= kMaxTextFileBytes) return {};
    return path.filename().string() + " would hold " + SizeText(bytes) + ", more than the " +
           SizeText(kMaxTextFileBytes) + " a stored file may have";
}

const std::string& LastWriteError() {
    return lastWriteError;
}

bool WriteFileAtomically(const std::filesystem::path& given, std::string_view content) {
    // The content is flushed before the rename, so after a crash the file holds the
    // old or the new content whole. The folder itself is not flushed: that would
    // only make the rename durable, at the price of a second disk flush per save.
    lastWriteError.clear();
    if (std::string reason = OversizeReason(given, content.size()); !reason.empty())
        return WriteRefused(given, std::move(reason));
    const std::filesystem::path path = WriteTarget(given);
    struct stat old {};
    const bool exists = stat(path.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode))
        return WriteRefused(given, path.string() + " is not a regular file");
    // Root may write anything, so the mode bits are asked too: a file nobody may
    // write was made read-only on purpose.
    if (exists && (access(path.c_str(), W_OK) != 0 || (old.st_mode & 0222) == 0))
        return WriteRefused(given, path.string() + " is read-only");
    std::string temp;
    Fd file{CreateTemporary(path, &temp)};
    if (file.fd < 0)
        return WriteRefused(given, "cannot create a temporary file beside " + path.string() + ": " +
                                       std::strerror(errno));
    bool ok = (!exists || fchmod(file.fd, old.st_mode & 07777) == 0) &&
              WriteAll(file.fd, content) && fsync(file.fd) == 0;
    ok = close(file.fd) == 0 && ok;
    file.fd = -1;
    if (ok) ok = rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        const int error = errno;
        unlink(temp.c_str());
        return WriteRefused(given, "cannot write " + path.string() + ": " + std::strerror(error));
    }
    return true;
}

bool WriteJsonFile(const std::filesystem::path& path, const Json::Value& value) {
    return WriteFileAtomically(path, StyledJson(value));
}

bool IsBareFileName(std::string_view name) {
    return !name.empty() && name != "." && name.find("..") == std::string_view::npos &&
           name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

std::optional<std::int64_t> AsInt64(const Json::Value& value) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    if (value.isBool()) return value.asBool() ? 1 : 0;
    if (value.isInt64()) return value.asInt64();
    if (value.isUInt64()) return kMax;  // above the signed range
    if (value.isDouble()) {             // whole part of a real, clamped by its sign
        double real = value.asDouble();
        if (std::isnan(real)) return std::nullopt;
        if (real >= 9.2e18) return kMax;
        if (real <= -9.2e18) return kMin;
        return std::int64_t(real);
    }
    if (value.isString()) {
        const char* begin = nullptr;
        const char* end = nullptr;
        if (!value.getString(&begin, &end)) return std::nullopt;
        if (begin != end && *begin == '+') ++begin;
        std::int64_t n = 0;
        auto [ptr, ec] = std::from_chars(begin, end, n);
        if (ptr != end || begin == end) return std::nullopt;
        if (ec == std::errc::result_out_of_range) return *begin == '-' ? kMin : kMax;
        if (ec == std::errc()) return n;
    }
    return std::nullopt;
}

int AsInt(const Json::Value& value, int fallback) {
    auto n = AsInt64(value);
    if (!n) return fallback;
    return int(std::clamp<std::int64_t>(*n, INT_MIN, INT_MAX));
}

bool AsBool(const Json::Value& value, bool fallback) {
    auto n = AsInt64(value);
    return n ? *n != 0 : fallback;
}

std::string AsString(const Json::Value& value, std::string fallback) {
    if (value.isString()) return value.asString();
    if (value.isIntegral()) return value.asString();  // integers, in decimal
    return fallback;
}

const Json::Value& JsonMember(const Json::Value& object, const char* key) {
    if (!object.isObject()) return Null();
    const Json::Value* found = object.find(key, key + std::strlen(key));
    return found ? *found : Null();
}

const Json::Value& JsonElement(const Json::Value& array, std::size_t index) {
    if (!array.isArray() || index >= array.size()) return Null();
    return array[Json::ArrayIndex(index)];
}

int JsonInt(const Json::Value& object, const char* key, int fallback) {
    return AsInt(JsonMember(object, key), fallback);
}

std::int64_t JsonInt64(const Json::Value& object, const char* key, std::int64_t fallback) {
    return AsInt64(JsonMember(object, key)).value_or(fallback);
}

bool JsonBool(const Json::Value& object, const char* key, bool fallback) {
    return AsBool(JsonMember(object, key), fallback);
}

std::string JsonString(const Json::Value& object, const char* key, std::string fallback) {
    return AsString(JsonMember(object, key), std::move(fallback));
}

Json::Value& ObjectMember(Json::Value& object, const char* key) {
    if (!object.isObject()) object = Json::Value(Json::objectValue);
    Json::Value& member = object[key];
    if (!member.isObject()) member = Json::Value(Json::objectValue);
    return member;
}

Json::Value& ArrayMember(Json::Value& object, const char* key) {
    if (!object.isObject()) object = Json::Value(Json::objectValue);
    Json::Value& member = object[key];
    if (!member.isArray()) member = Json::Value(Json::arrayValue);
    return member;
}

Json::Value& ObjectElement(Json::Value& array, Json::ArrayIndex index) {
    if (!array.isArray()) array = Json::Value(Json::arrayValue);
    Json::Value& element = array[index];
    if (!element.isObject()) element = Json::Value(Json::objectValue);
    return element;
}

Json::Value& ArrayElement(Json::Value& array, Json::ArrayIndex index) {
    if (!array.isArray()) array = Json::Value(Json::arrayValue);
    Json::Value& element = array[index];
    if (!element.isArray()) element = Json::Value(Json::arrayValue);
    return element;
}

}  // namespace vivori::profiles

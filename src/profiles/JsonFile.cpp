#include "profiles/JsonFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstring>
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

// Reads the file, telling a missing file from one that is present but unreadable.
FileState ReadWhole(const std::filesystem::path& path, std::string* out) {
    Fd file{open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    int error = file.fd < 0 ? errno : 0;
    struct stat st {};
    if (file.fd >= 0 && fstat(file.fd, &st) != 0) error = errno;
    if (file.fd >= 0 && error == 0 && !S_ISREG(st.st_mode)) error = EISDIR;
    if (file.fd >= 0 && error == 0 && std::uintmax_t(st.st_size) > kMaxTextFileBytes) error = EFBIG;
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
    if (error == ENOENT || error == ENOTDIR) return FileState::Missing;
    return error == 0 ? FileState::Parsed : FileState::Unreadable;
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

std::optional<std::string> ReadTextFile(const std::filesystem::path& path) {
    std::string text;
    if (ReadWhole(path, &text) != FileState::Parsed) return std::nullopt;
    return text;
}

JsonDocument ReadJsonDocument(const std::filesystem::path& path) {
    JsonDocument doc;
    std::string text;
    doc.state = ReadWhole(path, &text);
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

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view content) {
    // The content is flushed before the rename, so after a crash the file holds the
    // old or the new content whole. The folder itself is not flushed: that would
    // only make the rename durable, at the price of a second disk flush per save.
    std::filesystem::path folder = path.parent_path();
    std::string temp = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
    Fd file{mkstemp(temp.data())};
    if (file.fd < 0) {
        DebugPrintf("cannot create a temporary file beside %s: %s\n", path.c_str(),
                    std::strerror(errno));
        return false;
    }
    struct stat old {};
    mode_t mode = stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    bool ok = fchmod(file.fd, mode) == 0 && WriteAll(file.fd, content) && fsync(file.fd) == 0;
    ok = close(file.fd) == 0 && ok;
    file.fd = -1;
    if (ok) ok = rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        DebugPrintf("cannot write %s: %s\n", path.c_str(), std::strerror(errno));
        unlink(temp.c_str());
        return false;
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
    if (value.isBool()) return value.asBool() ? 1 : 0;
    if (value.isInt64()) return value.asInt64();
    if (value.isDouble()) {  // whole part of a real within the 64-bit range
        double real = value.asDouble();
        if (real > -9.2e18 && real < 9.2e18) return std::int64_t(real);
    }
    if (value.isString()) {
        const char* begin = nullptr;
        const char* end = nullptr;
        if (!value.getString(&begin, &end)) return std::nullopt;
        if (begin != end && *begin == '+') ++begin;
        std::int64_t n = 0;
        auto [ptr, ec] = std::from_chars(begin, end, n);
        if (ec == std::errc() && ptr == end && begin != end) return n;
    }
    return std::nullopt;
}

int AsInt(const Json::Value& value, int fallback) {
    auto n = AsInt64(value);
    if (!n || *n < INT_MIN || *n > INT_MAX) return fallback;
    return int(*n);
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

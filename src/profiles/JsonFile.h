#pragma once

// Access to every stored JSON file. Reading never throws and never grows a document:
// bad files read as null and the getters below fall back instead of converting by
// force. Writing always replaces the whole file atomically.

#include <json/json.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vivori::profiles {

// Larger files are refused rather than read: no stored file comes near it. Writes
// are held to the same limit, so nothing is stored that could not be read back.
inline constexpr std::uintmax_t kMaxTextFileBytes = 8u << 20;

// The whole file, or nullopt when it is missing, not a regular file, unreadable or
// larger than kMaxTextFileBytes; `why` then says which, for the user. A FIFO or a
// device node is refused without waiting for a writer.
std::optional<std::string> ReadTextFile(const std::filesystem::path& path,
                                        std::string* why = nullptr);

// How a read went, for callers that must tell "absent" from "present but bad".
enum class FileState {
    Missing,     // no such file
    Parsed,      // read and parsed
    Corrupt,     // read, but empty or not JSON
    Unreadable,  // present but could not be read (permissions, I/O, too large)
};

struct JsonDocument {
    Json::Value value;  // null unless state is Parsed
    FileState state = FileState::Missing;
};

// Text parsed as JSON; nothing when it does not parse. Never throws.
std::optional<Json::Value> ParseJsonText(std::string_view text);

JsonDocument ReadJsonDocument(const std::filesystem::path& path);

// The parsed document; null when missing, unreadable, oversized or unparsable. A debug
// line names a file that is present but bad.
Json::Value ReadJsonFile(const std::filesystem::path& path);

// Text of a document as stored: styled, three-space indentation, one trailing line break.
std::string StyledJson(const Json::Value& value);

// Writes a temporary file in the same folder, flushes it to disk and renames it over
// `path`, so readers see the old or the new content whole. Refused, with nothing
// changed: content over kMaxTextFileBytes, a target that is not a regular file, and
// a target the user made read-only. A symbolic link is written through: its target
// gets the new content and the link stays. A new file gets 0666 less the umask; an
// existing one keeps its mode.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view content);
bool WriteJsonFile(const std::filesystem::path& path, const Json::Value& value);

// Why the last refused or failed write of this thread did not happen, for the user.
const std::string& LastWriteError();

// The refusal of a text of `bytes` bytes for `path`, or empty when it fits.
std::string OversizeReason(const std::filesystem::path& path, std::size_t bytes);

// A name taken from a stored file may only name a file in a known folder: no path
// separator, not "." or "..", no "..", no NUL, not empty.
bool IsBareFileName(std::string_view name);

// Type-checked conversions that never throw. Accepted: what jsoncpp converts cleanly
// (integers, booleans as 0/1, reals) and decimal integers held in strings. Numbers
// past the 64-bit range are clamped by their sign; AsInt clamps to the int range.
std::optional<std::int64_t> AsInt64(const Json::Value& value);
int AsInt(const Json::Value& value, int fallback);
bool AsBool(const Json::Value& value, bool fallback);
std::string AsString(const Json::Value& value, std::string fallback = {});

// Members and elements by const access: a missing member, a non-object or a
// non-array gives a shared null value instead of being created.
const Json::Value& JsonMember(const Json::Value& object, const char* key);
const Json::Value& JsonElement(const Json::Value& array, std::size_t index);

int JsonInt(const Json::Value& object, const char* key, int fallback);
std::int64_t JsonInt64(const Json::Value& object, const char* key, std::int64_t fallback);
bool JsonBool(const Json::Value& object, const char* key, bool fallback);
std::string JsonString(const Json::Value& object, const char* key, std::string fallback = {});

// The first `limit` elements of an array converted with `read`; empty for a non-array.
template <class Read>
auto ReadArray(const Json::Value& array, std::size_t limit, Read read) {
    std::vector<decltype(read(array))> out;
    std::size_t count = array.isArray() ? std::min<std::size_t>(array.size(), limit) : 0;
    for (std::size_t i = 0; i < count; ++i) out.push_back(read(array[Json::ArrayIndex(i)]));
    return out;
}

// Writable access that repairs a wrong type instead of letting jsoncpp throw: the
// member or element becomes an empty object or array when it holds anything else.
Json::Value& ObjectMember(Json::Value& object, const char* key);
Json::Value& ArrayMember(Json::Value& object, const char* key);
Json::Value& ObjectElement(Json::Value& array, Json::ArrayIndex index);
Json::Value& ArrayElement(Json::Value& array, Json::ArrayIndex index);

}  // namespace vivori::profiles

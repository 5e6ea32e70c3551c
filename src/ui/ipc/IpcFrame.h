#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace vivori::ui {

// One message between processes on a local socket: a fixed header (magic, kind,
// payload length) and the payload. Each connection carries one request and, for
// requests that are answered, one reply.
enum class IpcKind : std::uint32_t {
    Post = 1,      // u32 msg, u64 wParam, i64 lParam
    Find = 2,      // u32 class length, u32 title length, class, title
    CopyData = 3,  // u32 window, u64 dwData, bytes
    Reply = 4,     // i64 result
};

struct IpcFrame {
    IpcKind kind = IpcKind::Post;
    std::vector<std::uint8_t> payload;
};

inline constexpr std::uint32_t kIpcMagic = 0x31495656;  // "VVI1"
inline constexpr std::size_t kIpcHeaderBytes = 12;
// No frame of ours is larger; a peer announcing more is not trusted with memory.
inline constexpr std::size_t kIpcMaxPayload = 1024 * 1024;

std::vector<std::uint8_t> EncodeFrame(IpcKind kind, const std::vector<std::uint8_t>& payload);

// Collects bytes as they arrive and hands out the frame once it is complete. A bad
// magic, an unknown kind or an announced length over the limit is an error, found as
// soon as the header is in, before the payload is read.
class IpcFrameReader {
  public:
    enum class State { NeedMore, Complete, Bad };

    State Add(const std::uint8_t* data, std::size_t size);
    const IpcFrame& Frame() const { return frame_; }
    const std::string& Error() const { return error_; }

  private:
    std::vector<std::uint8_t> buffer_;
    IpcFrame frame_;
    std::string error_;
    State state_ = State::NeedMore;
};

// Little helpers to write and read the fixed-width fields of a payload.
class IpcWriter {
  public:
    template <typename T>
    IpcWriter& Put(T value) {
        return PutBytes(&value, sizeof(T));
    }
    IpcWriter& PutBytes(const void* data, std::size_t size);
    std::vector<std::uint8_t>& Data() { return data_; }

  private:
    std::vector<std::uint8_t> data_;
};

class IpcReader {
  public:
    explicit IpcReader(const std::vector<std::uint8_t>& data) : data_(data) {}
    template <typename T>
    std::optional<T> Get() {
        if (data_.size() - offset_ < sizeof(T)) return std::nullopt;
        T value;
        std::memcpy(&value, data_.data() + offset_, sizeof(T));
        offset_ += sizeof(T);
        return value;
    }
    std::optional<std::string> GetString(std::size_t size);
    std::size_t Remaining() const { return data_.size() - offset_; }
    const std::uint8_t* Current() const { return data_.data() + offset_; }

  private:
    const std::vector<std::uint8_t>& data_;
    std::size_t offset_ = 0;
};

}  // namespace vivori::ui

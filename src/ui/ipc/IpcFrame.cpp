#include "ui/ipc/IpcFrame.h"

#include <algorithm>

namespace vivori::ui {

std::vector<std::uint8_t> EncodeFrame(IpcKind kind, const std::vector<std::uint8_t>& payload) {
    IpcWriter writer;
    writer.Put(kIpcMagic)
        .Put(static_cast<std::uint32_t>(kind))
        .Put(static_cast<std::uint32_t>(payload.size()));
    writer.PutBytes(payload.data(), payload.size());
    return std::move(writer.Data());
}

IpcWriter& IpcWriter::PutBytes(const void* data, std::size_t size) {
    if (size == 0) return *this;
    std::size_t at = data_.size();
    data_.resize(at + size);
    std::memcpy(data_.data() + at, data, size);
    return *this;
}

std::optional<std::string> IpcReader::GetString(std::size_t size) {
    if (Remaining() < size) return std::nullopt;
    std::string text(reinterpret_cast<const char*>(Current()), size);
    offset_ += size;
    return text;
}

IpcFrameReader::State IpcFrameReader::Add(const std::uint8_t* data, std::size_t size) {
    if (state_ != State::NeedMore) return state_;
    buffer_.insert(buffer_.end(), data, data + size);
    if (buffer_.size() < kIpcHeaderBytes) return state_;
    IpcReader header(buffer_);
    std::uint32_t magic = *header.Get<std::uint32_t>();
    std::uint32_t kind = *header.Get<std::uint32_t>();
    std::uint32_t length = *header.Get<std::uint32_t>();
    if (magic != kIpcMagic) {
        error_ = "not a message of ours";
    } else if (kind < static_cast<std::uint32_t>(IpcKind::Post) ||
               kind > static_cast<std::uint32_t>(IpcKind::Reply)) {
        error_ = "unknown kind " + std::to_string(kind);
    } else if (length > kIpcMaxPayload) {
        error_ = "announces " + std::to_string(length) + " bytes";
    }
    if (!error_.empty()) return state_ = State::Bad;
    if (buffer_.size() < kIpcHeaderBytes + length) return state_;
    if (buffer_.size() > kIpcHeaderBytes + length) {
        error_ = "bytes after the message";
        return state_ = State::Bad;
    }
    frame_.kind = static_cast<IpcKind>(kind);
    frame_.payload.assign(buffer_.begin() + kIpcHeaderBytes, buffer_.end());
    buffer_.clear();
    return state_ = State::Complete;
}

}  // namespace vivori::ui

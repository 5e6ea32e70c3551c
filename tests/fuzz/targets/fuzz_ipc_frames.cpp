// Any bytes as what arrives on the application's local socket: fed to the frame
// reader in pieces of every size the input's first byte picks, and each complete
// frame's payload read field by field as its kind lays it out.

#include <algorithm>

#include "ui/ipc/IpcFrame.h"

using namespace vivori::ui;

namespace {

void ReadPayload(const IpcFrame& frame) {
    IpcReader reader(frame.payload);
    switch (frame.kind) {
        case IpcKind::Post:
            reader.Get<std::uint32_t>();
            reader.Get<std::uint64_t>();
            reader.Get<std::int64_t>();
            break;
        case IpcKind::Find: {
            auto classLength = reader.Get<std::uint32_t>();
            auto titleLength = reader.Get<std::uint32_t>();
            if (classLength) reader.GetString(*classLength);
            if (titleLength) reader.GetString(*titleLength);
            break;
        }
        case IpcKind::CopyData:
            reader.Get<std::uint32_t>();
            reader.Get<std::uint64_t>();
            reader.Remaining();
            break;
        case IpcKind::Reply:
            reader.Get<std::int64_t>();
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::size_t piece = size == 0 ? 1 : std::size_t(data[0] % 17) + 1;
    IpcFrameReader reader;
    for (std::size_t at = 0; at < size; at += piece) {
        const auto state = reader.Add(data + at, std::min(piece, size - at));
        if (state == IpcFrameReader::State::Bad) return 0;
        if (state == IpcFrameReader::State::Complete) {
            ReadPayload(reader.Frame());
            // What goes out is what comes in.
            const auto encoded = EncodeFrame(reader.Frame().kind, reader.Frame().payload);
            IpcFrameReader again;
            if (again.Add(encoded.data(), encoded.size()) != IpcFrameReader::State::Complete)
                __builtin_trap();
            return 0;
        }
    }
    return 0;
}

#pragma once

#include <memory>
#include <vector>

#include "platform/hid/HidBus.h"

namespace vivori::hid {

// One open top-level collection of a hidraw node, on a descriptor of its own.
//
// The kernel hands every open descriptor of a node its own copy of every input
// report, so each handle filters its reads by the report IDs its collection owns.
// That keeps two collections of one node apart without a shared reader, a dispatch
// thread or any state between handles, and closing one handle cannot disturb the
// other. The cost is reading and dropping the other collections' reports, which are
// a few bytes each.
class HidrawHandle : public HidHandle {
  public:
    // Takes ownership of fd (opened non-blocking).
    HidrawHandle(int fd, const HidAttributes& attributes,
                 std::shared_ptr<const ParsedDescriptor> descriptor, size_t collectionIndex);
    ~HidrawHandle() override;
    HidrawHandle(const HidrawHandle&) = delete;
    HidrawHandle& operator=(const HidrawHandle&) = delete;

    const HidAttributes& Attributes() const override { return attributes_; }
    const HidCollection& Collection() const override { return collection_; }
    IoStatus Read(std::span<uint8_t> buffer, size_t& bytesRead, int timeoutMs,
                  Event& abort) override;
    IoStatus Write(std::span<const uint8_t> report, size_t& bytesWritten, int timeoutMs,
                   Event& abort) override;

  private:
    // The largest report the kernel passes up, plus the report ID byte we may add.
    static constexpr size_t kMaxReportBytes = 16384 + 1;

    const int fd_;
    const HidAttributes attributes_;
    const std::shared_ptr<const ParsedDescriptor> descriptor_;
    const HidCollection& collection_;
    std::vector<uint8_t> scratch_;
};

}  // namespace vivori::hid

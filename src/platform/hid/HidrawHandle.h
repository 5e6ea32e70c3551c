#pragma once

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/hid/HidBus.h"

namespace vivori::hid {

// The descriptors open on one claimed path, for the removal probe: a device pulled
// and plugged back between two probes comes back under the same node name, and only
// its old descriptors know it went (the kernel hangs them up).
class NodeWatch {
  public:
    void Add(int fd);
    void Remove(int fd);
    // A descriptor met the end of its device.
    void MarkGone() { gone_.store(true); }
    // Whether a descriptor met the end of its device, or hangs up now.
    bool Gone();

  private:
    std::mutex mutex_;
    std::vector<int> fds_;
    std::atomic<bool> gone_{false};
};

// One open top-level collection of a hidraw node, on a descriptor of its own.
//
// The kernel hands every open descriptor of a node its own copy of every input
// report, so each handle filters its reads by the report IDs its collection owns.
// That keeps two collections of one node apart without a shared reader, a dispatch
// thread or any state between handles, and closing one handle cannot disturb the
// other. The cost is reading and dropping the other collections' reports, which are
// a few bytes each.
//
// The kernel keeps at most 64 unread reports per descriptor and drops new ones
// beyond that. A command collection is read only while a command waits, so while it
// is idle the keyboard's own key reports on the same node would fill its list and
// the next reply would be lost. Each write therefore first empties the descriptor:
// this collection's reports are kept for the next read, the others dropped. Whoever
// wants none of the kept ones (a request whose answer must not be an older reply)
// discards them first.
class HidrawHandle : public HidHandle {
  public:
    // Takes ownership of fd (opened non-blocking). watch, when given, learns of fd and
    // of the device's end.
    HidrawHandle(int fd, const HidAttributes& attributes,
                 std::shared_ptr<const ParsedDescriptor> descriptor, size_t collectionIndex,
                 std::shared_ptr<NodeWatch> watch = nullptr);
    ~HidrawHandle() override;
    HidrawHandle(const HidrawHandle&) = delete;
    HidrawHandle& operator=(const HidrawHandle&) = delete;

    const HidAttributes& Attributes() const override { return attributes_; }
    const HidCollection& Collection() const override { return collection_; }
    IoStatus Read(std::span<uint8_t> buffer, size_t& bytesRead, int timeoutMs,
                  Event& abort) override;
    IoStatus Write(std::span<const uint8_t> report, size_t& bytesWritten, int timeoutMs,
                   Event& abort) override;
    void DiscardInput() override;

  private:
    enum class Take { Report, Empty, Gone };
    // One read() without waiting; this collection's report lands in pending_.
    // Called with mutex_ held.
    Take TakeOne();

    // The largest report the kernel passes up, plus the report ID byte we may add.
    static constexpr size_t kMaxReportBytes = 16384 + 1;

    const int fd_;
    const HidAttributes attributes_;
    const std::shared_ptr<const ParsedDescriptor> descriptor_;
    const HidCollection& collection_;
    const std::shared_ptr<NodeWatch> watch_;
    // Guards scratch_ and pending_: a writer may empty the descriptor while another
    // thread reads it.
    std::mutex mutex_;
    std::vector<uint8_t> scratch_;
    std::deque<std::vector<uint8_t>> pending_;
    static constexpr size_t kPendingLimit = 64;  // as many as the kernel keeps
};

}  // namespace vivori::hid

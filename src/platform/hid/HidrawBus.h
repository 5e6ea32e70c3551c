#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>

#include "platform/hid/HidBus.h"
#include "platform/hid/HidrawHandle.h"
#include "platform/hid/HidrawNode.h"

namespace vivori::hid {

// The Linux HID bus: one path per top-level collection of every USB hidraw node,
// "hid#vid_320f&pid_5055&mi_01&col04#/dev/hidraw3". A node with a single collection
// gets no "&col", as on Windows.
//
// The capture thread lists the nodes every 100 ms while any device is missing, which
// is nearly always. Parsed nodes are kept by name and identity (the device node's
// inode and the HID device sysfs names it by), so a poll costs two system calls per
// node and only new nodes are read and parsed.
class HidrawBus : public HidBus {
  public:
    // Opens a node with open(2) flags and gives its descriptor, or -1. Tests pass
    // one that hands out one end of a socket pair.
    using NodeOpener = std::function<int(const std::string& node, int flags)>;

    // cacheNodes false reads every node afresh each time (the benchmark's baseline).
    explicit HidrawBus(std::filesystem::path classRoot = "/sys/class/hidraw",
                       std::filesystem::path deviceRoot = "/dev", NodeOpener opener = {},
                       bool cacheNodes = true);
    ~HidrawBus() override;
    HidrawBus(const HidrawBus&) = delete;
    HidrawBus& operator=(const HidrawBus&) = delete;

    bool Enumerate(std::vector<std::string>& paths) override;
    std::unique_ptr<HidHandle> Open(const std::string& path, bool read, bool write) override;
    // False also when the node now belongs to another plug-in than the one the path
    // was opened on, or when a descriptor open on the path has hung up: a device
    // pulled and plugged back between two probes must be attached afresh.
    bool Probe(const std::string& path) override;
    // An inotify descriptor on the device folder: nodes made, removed or given other
    // permissions (udev grants access after the node appears). -1 without inotify.
    int ChangeFd() override;
    void DrainChanges() override;

  private:
    // Which device a node name stands for right now. Both parts change when the
    // kernel makes the node again.
    struct Identity {
        uint64_t inode = 0;     // of the device node
        std::string hidDevice;  // where "<node>/device" points: names the HID device
        bool operator==(const Identity&) const = default;
    };
    struct CachedNode {
        Identity identity;
        std::optional<HidrawNode> node;  // nothing: not a node we can use
    };
    // What the path was opened on last: the removal probe compares with it.
    struct OpenedPath {
        Identity identity;
        std::shared_ptr<NodeWatch> watch;
    };

    // The node a path names when it still is the device the path describes;
    // collectionIndex is the collection's place in its descriptor. Called with
    // mutex_ held.
    std::optional<HidrawNode> Resolve(const std::string& path, size_t& collectionIndex,
                                      Identity& identity);
    // The node by name, read only when it is new. Called with mutex_ held.
    std::optional<HidrawNode> Node(const std::string& name, Identity& identity);
    std::optional<Identity> IdentityOf(const std::string& name) const;
    std::string NodePath(const std::string& name) const;

    const std::filesystem::path classRoot_;
    const std::filesystem::path deviceRoot_;
    const NodeOpener opener_;
    const bool cacheNodes_;
    // The capture thread lists and probes while other threads open.
    std::mutex mutex_;
    std::map<std::string, CachedNode> nodes_;   // by node name
    std::map<std::string, OpenedPath> opened_;  // by path
    std::once_flag watchMade_;
    int watchFd_ = -1;
};

}  // namespace vivori::hid

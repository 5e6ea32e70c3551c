#pragma once

#include <filesystem>
#include <functional>
#include <optional>

#include "platform/hid/HidBus.h"
#include "platform/hid/HidrawNode.h"

namespace vivori::hid {

// The Linux HID bus: one path per top-level collection of every USB hidraw node,
// "hid#vid_320f&pid_5055&mi_01&col04#/dev/hidraw3". A node with a single collection
// gets no "&col", as on Windows.
class HidrawBus : public HidBus {
  public:
    // Opens a node with open(2) flags and gives its descriptor, or -1. Tests pass
    // one that hands out one end of a socket pair.
    using NodeOpener = std::function<int(const std::string& node, int flags)>;

    explicit HidrawBus(std::filesystem::path classRoot = "/sys/class/hidraw",
                       std::filesystem::path deviceRoot = "/dev", NodeOpener opener = {});

    bool Enumerate(std::vector<std::string>& paths) override;
    std::unique_ptr<HidHandle> Open(const std::string& path, bool read, bool write) override;
    bool Probe(const std::string& path) override;

  private:
    // The node a path names, read afresh, when it still is the device the path
    // describes; collectionIndex is the collection's place in its descriptor.
    std::optional<HidrawNode> Resolve(const std::string& path, size_t& collectionIndex) const;
    std::string NodePath(const std::string& name) const;

    const std::filesystem::path classRoot_;
    const std::filesystem::path deviceRoot_;
    const NodeOpener opener_;
};

}  // namespace vivori::hid

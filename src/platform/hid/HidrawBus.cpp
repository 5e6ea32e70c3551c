#include "platform/hid/HidrawBus.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>

#include "platform/hid/HidrawHandle.h"

namespace vivori::hid {
namespace {

namespace fs = std::filesystem;

int OpenNode(const std::string& node, int flags) {
    return open(node.c_str(), flags);
}

// hidraw2 before hidraw10, as the kernel numbered them.
bool NodeOrder(const std::string& a, const std::string& b) {
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

}  // namespace

HidrawBus::HidrawBus(fs::path classRoot, fs::path deviceRoot, NodeOpener opener)
    : classRoot_(std::move(classRoot)),
      deviceRoot_(std::move(deviceRoot)),
      opener_(opener ? std::move(opener) : NodeOpener(OpenNode)) {}

std::string HidrawBus::NodePath(const std::string& name) const {
    return (deviceRoot_ / name).string();
}

bool HidrawBus::Enumerate(std::vector<std::string>& paths) {
    paths.clear();
    std::error_code error;
    // No hidraw driver loaded means no devices, not a failure.
    if (!fs::exists(classRoot_, error)) return !error;
    std::vector<std::string> names;
    fs::directory_iterator it(classRoot_, error), end;
    if (error) return false;
    for (; it != end; it.increment(error)) {
        if (error) return false;
        names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end(), NodeOrder);
    // A node that cannot be read is skipped: it must not hide the ones after it.
    for (const std::string& name : names) {
        auto node = ReadHidrawNode(classRoot_, name);
        if (!node) continue;
        const size_t count = node->descriptor->collections.size();
        for (size_t i = 0; i < count; ++i)
            paths.push_back(MakeHidPath(node->attributes.vendorId, node->attributes.productId,
                                        node->interfaceNumber,
                                        count > 1 ? static_cast<int>(i + 1) : 0, NodePath(name)));
    }
    return true;
}

std::optional<HidrawNode> HidrawBus::Resolve(const std::string& path,
                                             size_t& collectionIndex) const {
    const std::string nodePath = PathNode(path);
    const std::string name = fs::path(nodePath).filename().string();
    if (name.empty() || nodePath != NodePath(name)) return std::nullopt;
    auto node = ReadHidrawNode(classRoot_, name);
    // The kernel reuses node numbers: the node must still be the device of the path.
    if (!node || node->attributes.vendorId != ParsePathNumber(path, "vid_") ||
        node->attributes.productId != ParsePathNumber(path, "pid_") ||
        uint32_t(node->interfaceNumber) != ParsePathNumber(path, "&mi_"))
        return std::nullopt;
    const size_t count = node->descriptor->collections.size();
    const uint32_t collection = ParsePathNumber(path, "&col");
    if (count == 1 ? collection != 0 : collection == 0 || collection > count) return std::nullopt;
    collectionIndex = collection == 0 ? 0 : collection - 1;
    return node;
}

std::unique_ptr<HidHandle> HidrawBus::Open(const std::string& path, bool read, bool write) {
    size_t index = 0;
    auto node = Resolve(path, index);
    if (!node) return nullptr;
    int access = read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
    int fd = opener_(NodePath(node->name), access | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    return std::make_unique<HidrawHandle>(fd, node->attributes, node->descriptor, index);
}

bool HidrawBus::Probe(const std::string& path) {
    size_t index = 0;
    auto node = Resolve(path, index);
    std::error_code error;
    return node && fs::exists(NodePath(node->name), error);
}

std::shared_ptr<HidBus> MakeSystemHidBus() {
    return std::make_shared<HidrawBus>();
}

}  // namespace vivori::hid

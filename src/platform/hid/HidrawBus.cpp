#include "platform/hid/HidrawBus.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

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

HidrawBus::HidrawBus(fs::path classRoot, fs::path deviceRoot, NodeOpener opener, bool cacheNodes)
    : classRoot_(std::move(classRoot)),
      deviceRoot_(std::move(deviceRoot)),
      opener_(opener ? std::move(opener) : NodeOpener(OpenNode)),
      cacheNodes_(cacheNodes) {}

HidrawBus::~HidrawBus() {
    if (watchFd_ >= 0) close(watchFd_);
}

int HidrawBus::ChangeFd() {
    std::call_once(watchMade_, [this] {
        const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (fd < 0) return;
        constexpr uint32_t kEvents =
            IN_CREATE | IN_DELETE | IN_ATTRIB | IN_MOVED_TO | IN_MOVED_FROM;
        if (inotify_add_watch(fd, deviceRoot_.c_str(), kEvents) < 0) {
            close(fd);
            return;
        }
        watchFd_ = fd;
    });
    return watchFd_;
}

void HidrawBus::DrainChanges() {
    if (watchFd_ < 0) return;
    alignas(inotify_event) char events[4096];
    while (read(watchFd_, events, sizeof events) > 0) {
    }
}

std::string HidrawBus::NodePath(const std::string& name) const {
    return (deviceRoot_ / name).string();
}

std::optional<HidrawBus::Identity> HidrawBus::IdentityOf(const std::string& name) const {
    struct stat node {};
    if (stat(NodePath(name).c_str(), &node) != 0) return std::nullopt;
    char target[PATH_MAX];
    const std::string link = (classRoot_ / name / "device").string();
    const ssize_t length = readlink(link.c_str(), target, sizeof target);
    if (length < 0) return std::nullopt;
    return Identity{static_cast<uint64_t>(node.st_ino), std::string(target, size_t(length))};
}

std::optional<HidrawNode> HidrawBus::Node(const std::string& name, Identity& identity) {
    // A node without its device file cannot be opened yet.
    auto current = IdentityOf(name);
    if (!current) return std::nullopt;
    identity = *current;
    if (cacheNodes_) {
        auto cached = nodes_.find(name);
        if (cached != nodes_.end() && cached->second.identity == identity)
            return cached->second.node;
    }
    auto node = ReadHidrawNode(classRoot_, name);
    if (cacheNodes_) nodes_[name] = {identity, node};
    return node;
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
    std::lock_guard lock(mutex_);
    // A node that cannot be read is skipped: it must not hide the ones after it.
    for (const std::string& name : names) {
        Identity identity;
        auto node = Node(name, identity);
        if (!node) continue;
        const size_t count = node->descriptor->collections.size();
        for (size_t i = 0; i < count; ++i)
            paths.push_back(MakeHidPath(node->attributes.vendorId, node->attributes.productId,
                                        node->interfaceNumber,
                                        count > 1 ? static_cast<int>(i + 1) : 0, NodePath(name)));
    }
    // Forget the nodes that went, so neither map grows with every plug-in.
    auto listed = [&names](const std::string& name) {
        return std::binary_search(names.begin(), names.end(), name, NodeOrder);
    };
    std::erase_if(nodes_, [&](const auto& entry) { return !listed(entry.first); });
    std::erase_if(opened_, [&](const auto& entry) {
        return !listed(fs::path(PathNode(entry.first)).filename().string());
    });
    return true;
}

std::optional<HidrawNode> HidrawBus::Resolve(const std::string& path, size_t& collectionIndex,
                                             Identity& identity) {
    const std::string nodePath = PathNode(path);
    const std::string name = fs::path(nodePath).filename().string();
    if (name.empty() || nodePath != NodePath(name)) return std::nullopt;
    auto node = Node(name, identity);
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
    std::lock_guard lock(mutex_);
    size_t index = 0;
    Identity identity;
    auto node = Resolve(path, index, identity);
    if (!node) return nullptr;
    // Recorded even when the open fails, so a replug is noticed all the same.
    OpenedPath& opened = opened_[path];
    if (!opened.watch || !(opened.identity == identity) || opened.watch->Gone())
        opened = {identity, std::make_shared<NodeWatch>()};
    int access = read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
    int fd = opener_(NodePath(node->name), access | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    return std::make_unique<HidrawHandle>(fd, node->attributes, node->descriptor, index,
                                          opened.watch);
}

bool HidrawBus::Probe(const std::string& path) {
    std::lock_guard lock(mutex_);
    size_t index = 0;
    Identity identity;
    if (!Resolve(path, index, identity)) return false;
    auto opened = opened_.find(path);
    return opened == opened_.end() ||
           (opened->second.identity == identity && !opened->second.watch->Gone());
}

std::shared_ptr<HidBus> MakeSystemHidBus() {
    return std::make_shared<HidrawBus>();
}

}  // namespace vivori::hid

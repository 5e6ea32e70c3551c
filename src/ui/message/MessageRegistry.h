#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

#include "ui/message/MessageTypes.h"

namespace vivori::ui {

// Registered message names shared by the user's processes through one file: a name
// per line, folded to lower case, identifier = first id + line index. The file only
// grows, under flock, so an identifier once given never changes and each process
// can keep what it learnt.
class MessageRegistry {
  public:
    static constexpr std::size_t kMaxNameBytes = 255;
    static constexpr std::size_t kCapacity = kLastRegisteredMessage - kFirstRegisteredMessage + 1;
    // Room for a full table of the longest names; anything larger is not ours.
    static constexpr long kMaxFileBytes = static_cast<long>(kCapacity * (kMaxNameBytes + 1));

    // The file's name in the user's runtime folder.
    static constexpr const char* kFileName = "vivori-messages";

    explicit MessageRegistry(std::string path) : path_(std::move(path)) {}

    // 0 for an empty or unstorable name, a full table, or a file that is not a plain
    // file of this user or is larger than a table can be.
    UINT Register(std::string_view name);

  private:
    UINT RegisterInFile(const std::string& folded);

    const std::string path_;
    std::mutex mutex_;
    std::unordered_map<std::string, UINT> known_;
};

}  // namespace vivori::ui

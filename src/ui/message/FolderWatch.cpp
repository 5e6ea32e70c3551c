#include "ui/message/FolderWatch.h"

#include <QFileSystemWatcher>
#include <QString>
#include <QTimer>
#include <set>

namespace vivori::ui {

struct FolderWatch::State {
    QFileSystemWatcher watcher;
    QTimer settle;
    std::set<std::filesystem::path> pending;
    Changed changed;
};

FolderWatch::FolderWatch(Changed changed, int settleMs) : state_(std::make_unique<State>()) {
    State* state = state_.get();
    state->changed = std::move(changed);
    state->settle.setSingleShot(true);
    state->settle.setInterval(settleMs);
    QObject::connect(&state->watcher, &QFileSystemWatcher::directoryChanged, &state->settle,
                     [state](const QString& folder) {
                         state->pending.insert(std::filesystem::path(folder.toStdString()));
                         // Not restarted by later changes, so steady writing still reports.
                         if (!state->settle.isActive()) state->settle.start();
                     });
    QObject::connect(&state->settle, &QTimer::timeout, &state->settle, [state] {
        const std::set<std::filesystem::path> folders = std::move(state->pending);
        state->pending.clear();
        for (const std::filesystem::path& folder : folders) state->changed(folder);
    });
}

FolderWatch::~FolderWatch() = default;

bool FolderWatch::Watch(const std::filesystem::path& folder) {
    const QString path = QString::fromStdString(folder.string());
    // A folder removed and made anew is a new inode: the old watch is gone by then.
    if (state_->watcher.directories().contains(path)) return true;
    return state_->watcher.addPath(path);
}

}  // namespace vivori::ui

#pragma once

#include <functional>
#include <memory>

namespace vivori::ui {

// What the desktop tells a program about the machine, delivered on the UI thread:
// logind's PrepareForSleep on the system bus (true before a suspend, false after the
// resume) and changes of the screens (added, removed, resized, another scale). Where
// there is no system bus or no logind, sleep is never reported and nothing else
// changes. Create it on the UI thread after the GuiApplication.
class SystemEvents {
  public:
    struct Handlers {
        std::function<void(bool sleeping)> sleep;
        std::function<void()> screens;
    };
    explicit SystemEvents(Handlers handlers);
    ~SystemEvents();
    SystemEvents(const SystemEvents&) = delete;
    SystemEvents& operator=(const SystemEvents&) = delete;

    // Whether the system bus answered and the sleep signal is watched.
    bool WatchingSleep() const;

  private:
    class Receiver;
    std::unique_ptr<Receiver> receiver_;
};

}  // namespace vivori::ui

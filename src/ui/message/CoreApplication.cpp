#include "ui/message/CoreApplication.h"

#include <QCoreApplication>
#include <mutex>

namespace vivori::ui {

void EnsureCoreApplication() {
    static std::mutex mutex;
    static int argc = 1;
    static char name[] = "vivori";
    static char* argv[] = {name, nullptr};
    std::lock_guard lock(mutex);
    // Never deleted; QCoreApplication::instance() is the reference that keeps it.
    if (QCoreApplication::instance() == nullptr) new QCoreApplication(argc, argv);
}

}  // namespace vivori::ui

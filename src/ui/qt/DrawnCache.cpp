#include "ui/qt/DrawnCache.h"

namespace vivori::ui {

DrawnCache& DrawnCache::Instance() {
    static DrawnCache cache;
    return cache;
}

}  // namespace vivori::ui

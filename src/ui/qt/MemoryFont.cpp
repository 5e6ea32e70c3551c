#include "ui/qt/MemoryFont.h"

#include <QCoreApplication>
#include <QFontDatabase>

#include "platform/Debug.h"

namespace vivori::ui {

MemoryFont::MemoryFont(std::string folder) : folder_(std::move(folder)) {
    if (folder_.empty()) folder_ = QCoreApplication::applicationDirPath().toStdString();
    if (!folder_.empty() && folder_.back() != '/') folder_ += '/';
}

MemoryFont::~MemoryFont() {
    Release();
}

bool MemoryFont::Load(std::string_view relativePath) {
    Release();
    std::string path = folder_;
    // The font list names its files with backslashes.
    for (char c : relativePath) path += c == '\\' ? '/' : c;
    id_ = QFontDatabase::addApplicationFont(QString::fromStdString(path));
    if (id_ < 0) DebugPrintf("font %s not added", path.c_str());
    return id_ >= 0;
}

void MemoryFont::Release() {
    if (id_ < 0) return;
    QFontDatabase::removeApplicationFont(id_);
    id_ = -1;
}

std::string MemoryFont::Family() const {
    if (id_ < 0) return {};
    QStringList families = QFontDatabase::applicationFontFamilies(id_);
    return families.isEmpty() ? std::string() : families.front().toStdString();
}

}  // namespace vivori::ui

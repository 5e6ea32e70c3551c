#include "ui/qt/FileDialogs.h"

#include <QFileDialog>
#include <vector>

namespace vivori::ui {
namespace {

std::vector<std::string> SplitFilter(std::string_view filter) {
    std::vector<std::string> parts;
    std::string current;
    for (char c : filter) {
        if (c == '\0' || c == '|') {
            parts.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) parts.push_back(current);
    return parts;
}

std::string Trim(std::string text) {
    text.erase(0, text.find_first_not_of(' '));
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

bool RunDialog(bool save, std::string_view filter, std::string* path) {
    QString qtFilter = QString::fromStdString(QtFileFilter(filter));
    // QFileDialog asks before overwriting by default and lets a save name a new file.
    QString chosen = save ? QFileDialog::getSaveFileName(nullptr, QString(), QString(), qtFilter)
                          : QFileDialog::getOpenFileName(nullptr, QString(), QString(), qtFilter);
    if (chosen.isEmpty()) return false;
    if (path != nullptr) *path = chosen.toStdString();
    return true;
}

}  // namespace

std::string QtFileFilter(std::string_view filter) {
    std::vector<std::string> parts = SplitFilter(filter);
    std::string result;
    for (std::size_t i = 0; i < parts.size(); i += 2) {
        std::string description = Trim(parts[i]);
        std::string patterns = i + 1 < parts.size() ? Trim(parts[i + 1]) : std::string();
        // Windows separates patterns with ';', Qt with spaces.
        std::string spaced;
        for (char c : patterns) spaced += c == ';' ? ' ' : c;
        spaced = Trim(spaced);
        if (description.empty() && spaced.empty()) continue;
        if (spaced.empty()) spaced.push_back('*');
        if (!result.empty()) result.append(";;");
        result.append(description.empty() ? spaced : description);
        result.append(" (").append(spaced).append(")");
    }
    return result;
}

bool OpenFileDialog(std::string_view filter, HWND owner, std::string* path) {
    (void)owner;
    return RunDialog(false, filter, path);
}

bool SaveFileDialog(std::string_view filter, HWND owner, std::string* path) {
    (void)owner;
    return RunDialog(true, filter, path);
}

}  // namespace vivori::ui

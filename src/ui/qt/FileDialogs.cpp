#include "ui/qt/FileDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <filesystem>
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
    const std::string start =
        DialogStart(path != nullptr ? *path : std::string(), QDir::homePath().toStdString());
    QFileDialog dialog(nullptr, QString(), QString::fromStdString(start),
                       QString::fromStdString(QtFileFilter(filter)));
    // A save may name a new file; the dialog adds the suffix before it asks about
    // replacing, so the question is about the file that will be written.
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (save) dialog.setDefaultSuffix(QString::fromStdString(DefaultSuffix(filter)));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    const QString chosen = dialog.selectedFiles().front();
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

std::string DefaultSuffix(std::string_view filter) {
    const std::vector<std::string> parts = SplitFilter(filter);
    if (parts.size() < 2) return {};
    std::string pattern = Trim(parts[1]);
    pattern = Trim(pattern.substr(0, pattern.find(';')));
    if (pattern.size() < 3 || pattern.compare(0, 2, "*.") != 0) return {};
    std::string suffix = pattern.substr(2);
    return suffix.find_first_of("*?[") == std::string::npos ? suffix : std::string();
}

std::string WithDefaultSuffix(std::string path, std::string_view suffix) {
    if (suffix.empty() || path.empty() || path.back() == '/') return path;
    if (std::filesystem::path(path).filename().has_extension()) return path;
    path.append(".").append(suffix);
    return path;
}

std::string DialogStart(std::string_view suggestion, std::string_view home) {
    if (!suggestion.empty() && suggestion.front() == '/') return std::string(suggestion);
    std::string start(home);
    if (suggestion.empty()) return start;
    if (start.empty() || start.back() != '/') start.push_back('/');
    return start.append(suggestion);
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

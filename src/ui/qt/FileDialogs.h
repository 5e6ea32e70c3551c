#pragma once

#include <string>
#include <string_view>

#include "ui/message/MessageTypes.h"

namespace vivori::ui {

// File dialogs with a filter written the Windows way: description and pattern
// alternate, separated by NUL or '|' ("Profile Files(*.json)|*.json;|"). True and the
// chosen path when the user confirmed. The open dialog wants an existing file; the
// save dialog does not, adds the filter's extension to a name typed without one, and
// asks before replacing a file. On entry `*path` may hold a suggestion (a file name, or
// an absolute path); the dialogs start in the user's home folder, never the program's
// working folder.
bool OpenFileDialog(std::string_view filter, HWND owner, std::string* path);
bool SaveFileDialog(std::string_view filter, HWND owner, std::string* path);

// The extension a save adds to a name typed without one: "json" for a filter whose
// first pattern is "*.json"; nothing for "*" or "*.*".
std::string DefaultSuffix(std::string_view filter);
// `path` with "." and `suffix` appended when its file name has no extension.
std::string WithDefaultSuffix(std::string path, std::string_view suffix);
// Where a dialog opens for `suggestion`: an absolute one as it is, anything else in
// `home` (the folder itself for an empty suggestion).
std::string DialogStart(std::string_view suggestion, std::string_view home);

// The filter in Qt's form: one "description (patterns)" per line.
std::string QtFileFilter(std::string_view filter);

}  // namespace vivori::ui

#pragma once

#include <string>
#include <string_view>

#include "ui/message/MessageTypes.h"

namespace vivori::ui {

// File dialogs with a filter written the Windows way: description and pattern
// alternate, separated by NUL or '|' ("Profile Files(*.json)|*.json;|"). True and the
// chosen path when the user confirmed. The open dialog wants an existing file; the
// save dialog does not, and asks before replacing one.
bool OpenFileDialog(std::string_view filter, HWND owner, std::string* path);
bool SaveFileDialog(std::string_view filter, HWND owner, std::string* path);

// The filter in Qt's form: one "description (patterns)" per line.
std::string QtFileFilter(std::string_view filter);

}  // namespace vivori::ui

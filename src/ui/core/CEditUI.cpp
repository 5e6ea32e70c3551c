#include "ui/core/CEditUI.h"

#include <algorithm>

#include "ui/core/AttributeValues.h"
#include "ui/core/CPaintManagerUI.h"

namespace vivori::ui {

std::u32string DecodeUtf8(std::string_view text) {
    std::u32string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        auto byte = static_cast<unsigned char>(text[i]);
        int length = byte < 0x80         ? 1
                     : (byte >> 5) == 6  ? 2
                     : (byte >> 4) == 14 ? 3
                     : (byte >> 3) == 30 ? 4
                                         : 0;
        if (length == 0 || i + static_cast<std::size_t>(length) > text.size()) {
            result.push_back(U'\uFFFD');
            ++i;
            continue;
        }
        char32_t c = length == 1 ? byte : byte & (0x7F >> length);
        bool ok = true;
        for (int k = 1; k < length; ++k) {
            auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80) ok = false;
            c = (c << 6) | (next & 0x3F);
        }
        if (!ok || c > 0x10FFFF) {
            result.push_back(U'\uFFFD');
            ++i;
            continue;
        }
        result.push_back(c);
        i += static_cast<std::size_t>(length);
    }
    return result;
}

std::string EncodeUtf8(std::u32string_view text) {
    std::string result;
    result.reserve(text.size());
    for (char32_t c : text) {
        if (c < 0x80) {
            result.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            result.push_back(static_cast<char>(0xC0 | (c >> 6)));
            result.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            result.push_back(static_cast<char>(0xE0 | (c >> 12)));
            result.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            result.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            result.push_back(static_cast<char>(0xF0 | (c >> 18)));
            result.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            result.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            result.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return result;
}

CEditUI::CEditUI() {
    textPadding_ = {4, 3, 4, 3};
    bkColor_ = 0xFFFFFFFF;
}

void* CEditUI::GetInterface(std::string_view name) {
    if (name == "Edit") return this;
    return CLabelUI::GetInterface(name);
}

void CEditUI::SetMaxChar(int maxChar) {
    maxChar_ = std::max(maxChar, 0);
    if (static_cast<int>(chars_.size()) > maxChar_) {
        chars_.resize(static_cast<std::size_t>(maxChar_));
        text_ = EncodeUtf8(chars_);
        caret_ = anchor_ = std::min(caret_, maxChar_);
    }
}

void CEditUI::SetReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    if (readOnly) {
        state_ |= kStateReadOnly;
    } else {
        state_ &= ~kStateReadOnly;
    }
    Invalidate();
}

void CEditUI::SetText(std::string_view text) {
    chars_ = DecodeUtf8(text);
    if (static_cast<int>(chars_.size()) > maxChar_)
        chars_.resize(static_cast<std::size_t>(maxChar_));
    text_ = EncodeUtf8(chars_);
    caret_ = anchor_ = static_cast<int>(chars_.size());
    Invalidate();
}

// An edit shows what the user typed; language keys are for labels.
std::string CEditUI::GetText() const {
    return text_;
}

void CEditUI::SetSel(int start, int end) {
    int size = static_cast<int>(chars_.size());
    if (end < 0 || end > size) end = size;
    anchor_ = std::clamp(start, 0, size);
    caret_ = end;
    Invalidate();
}

std::string CEditUI::GetSelectedText() const {
    int from = std::min(anchor_, caret_), to = std::max(anchor_, caret_);
    return EncodeUtf8(std::u32string_view(chars_).substr(static_cast<std::size_t>(from),
                                                         static_cast<std::size_t>(to - from)));
}

bool CEditUI::Accepts(char32_t c) const {
    if (c < 0x20 || c == 0x7F) return false;
    return !numberOnly_ || (c >= U'0' && c <= U'9');
}

void CEditUI::DeleteSelection() {
    int from = std::min(anchor_, caret_), to = std::max(anchor_, caret_);
    chars_.erase(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from));
    caret_ = anchor_ = from;
}

void CEditUI::Changed() {
    text_ = EncodeUtf8(chars_);
    Invalidate();
    Notify(kNotifyTextChanged);
}

bool CEditUI::InsertText(std::string_view text) {
    if (readOnly_ || !IsEnabled()) return false;
    std::u32string typed = DecodeUtf8(text);
    std::u32string accepted;
    for (char32_t c : typed) {
        if (Accepts(c)) accepted.push_back(c);
    }
    bool hadSelection = anchor_ != caret_;
    int from = std::min(anchor_, caret_), to = std::max(anchor_, caret_);
    std::size_t kept = chars_.size() - static_cast<std::size_t>(to - from);
    std::size_t room =
        static_cast<std::size_t>(maxChar_) > kept ? static_cast<std::size_t>(maxChar_) - kept : 0;
    if (accepted.size() > room) accepted.resize(room);
    // Typing into a full field changes nothing and says nothing.
    if (accepted.empty() && !hadSelection) return false;
    DeleteSelection();
    chars_.insert(static_cast<std::size_t>(caret_), accepted);
    caret_ = anchor_ = caret_ + static_cast<int>(accepted.size());
    Changed();
    return !accepted.empty() || hadSelection;
}

void CEditUI::DoEvent(TEventUI& event) {
    if (!IsMouseEnabled() && event.type >= UiEventType::MouseMove &&
        event.type <= UiEventType::ScrollWheel) {
        CLabelUI::DoEvent(event);
        return;
    }
    int size = static_cast<int>(chars_.size());
    bool shift = (event.keyState & kModShift) != 0;
    switch (event.type) {
        case UiEventType::SetFocus:
            CLabelUI::DoEvent(event);
            Notify(kNotifySetFocus);
            return;
        case UiEventType::KillFocus:
            CLabelUI::DoEvent(event);
            anchor_ = caret_;
            Notify(kNotifyKillFocus);
            return;
        case UiEventType::ButtonDown:
        case UiEventType::DoubleClick:
            if (IsEnabled()) {
                SetFocus();
                if (event.type == UiEventType::DoubleClick) SetSelAll();
            }
            return;
        case UiEventType::MouseEnter:
        case UiEventType::MouseLeave:
        case UiEventType::ButtonUp:
        case UiEventType::MouseMove:
            return;
        case UiEventType::Char: {
            if (event.key == '\r' || event.key == '\n') return;
            char32_t c = static_cast<char32_t>(event.key);
            InsertText(EncodeUtf8(std::u32string_view(&c, 1)));
            return;
        }
        case UiEventType::KeyDown:
            switch (event.key) {
                case kKeyReturn:
                    Notify(kNotifyReturn);
                    return;
                case kKeyBack:
                case kKeyDelete:
                    if (readOnly_) return;
                    if (anchor_ == caret_) {
                        if (event.key == kKeyBack && caret_ > 0) {
                            --anchor_;
                        } else if (event.key == kKeyDelete && caret_ < size) {
                            ++caret_;
                        } else {
                            return;
                        }
                    }
                    DeleteSelection();
                    Changed();
                    return;
                case kKeyLeft:
                    caret_ = std::max(caret_ - 1, 0);
                    break;
                case kKeyRight:
                    caret_ = std::min(caret_ + 1, size);
                    break;
                case kKeyHome:
                    caret_ = 0;
                    break;
                case kKeyEnd:
                    caret_ = size;
                    break;
                default:
                    return;
            }
            if (!shift) anchor_ = caret_;
            Invalidate();
            return;
        default:
            CLabelUI::DoEvent(event);
    }
}

void CEditUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "maxchar") {
        SetMaxChar(ParseInt(value));
    } else if (name == "numberonly") {
        SetNumberOnly(ParseBool(value));
    } else if (name == "readonly") {
        SetReadOnly(ParseBool(value));
    } else if (name == "password") {
        SetPasswordMode(ParseBool(value));
    } else if (name == "nativebkcolor") {
        nativeBkColor_ = ParseColor(value);
    } else {
        CLabelUI::SetAttribute(name, value);
    }
}

void CEditUI::PaintText(IRender& render) {
    std::string shown = password_ ? std::string(chars_.size(), '*') : text_;
    if (!shown.empty()) render.DrawText(TextRect(), shown, CurrentTextColor(), font_, textStyle_);
    if (focused_ && !readOnly_) {
        // The caret: a thin bar after the typed text up to the caret position.
        std::string before = password_ ? std::string(static_cast<std::size_t>(caret_), '*')
                                       : EncodeUtf8(std::u32string_view(chars_).substr(
                                             0, static_cast<std::size_t>(caret_)));
        UiRect text = TextRect();
        int x = text.left + render.MeasureText(before, font_).cx;
        render.DrawLine({x, text.top + 2}, {x, text.bottom - 2}, CurrentTextColor(), 1);
    }
}

}  // namespace vivori::ui

#include "ui/core/CResourceManager.h"

#include <mutex>
#include <pugixml.hpp>

#include "platform/Debug.h"
#include "ui/core/CControlUI.h"
#include "ui/core/CPaintManagerUI.h"

namespace vivori::ui {

CResourceManager& CResourceManager::GetInstance() {
    static CResourceManager instance;
    return instance;
}

std::string CResourceManager::ResolvePath(std::string_view file) {
    if (!file.empty() && file.front() == '/') return std::string(file);
    std::string path = CPaintManagerUI::GetResourcePath();
    if (!path.empty() && path.back() != '/') path += '/';
    // Layouts written for the original system separate folders with backslashes.
    for (char c : file) path += c == '\\' ? '/' : c;
    return path;
}

bool CResourceManager::LoadResource(std::string_view file) {
    pugi::xml_document document;
    pugi::xml_parse_result parsed = document.load_file(ResolvePath(file).c_str());
    std::unique_lock lock(mutex_);
    resources_.clear();
    if (!parsed) {
        DebugPrintf("resource map %s unreadable: %s", std::string(file).c_str(),
                    parsed.description());
        return false;
    }
    for (pugi::xml_node node : document.document_element().children()) {
        std::string name = node.attribute("name").as_string();
        std::string value = node.attribute("value").as_string();
        if (!name.empty() && !value.empty()) resources_[name] = value;
    }
    return true;
}

std::string CResourceManager::GetResourceFile(std::string_view name) const {
    std::shared_lock lock(mutex_);
    auto found = resources_.find(name);
    return found != resources_.end() ? found->second : std::string();
}

bool CResourceManager::LoadLanguage(std::string_view file) {
    pugi::xml_document document;
    pugi::xml_parse_result parsed = document.load_file(ResolvePath(file).c_str());
    if (!parsed) {
        DebugPrintf("language file %s unreadable: %s", std::string(file).c_str(),
                    parsed.description());
        return false;
    }
    std::map<std::string, std::string, std::less<>> texts;
    for (pugi::xml_node node : document.document_element().children("Text")) {
        std::string id = node.attribute("id").as_string();
        if (!id.empty()) texts[id] = node.attribute("value").as_string();
    }
    std::unique_lock lock(mutex_);
    texts_ = std::move(texts);
    return true;
}

void CResourceManager::SetLanguage(std::string_view name) {
    std::unique_lock lock(mutex_);
    language_ = name;
}

std::string CResourceManager::GetLanguage() const {
    std::shared_lock lock(mutex_);
    return language_;
}

std::optional<std::string> CResourceManager::GetText(std::string_view key) const {
    std::shared_lock lock(mutex_);
    if (query_ != nullptr) {
        if (auto text = query_->QueryControlText(key)) return text;
    }
    auto found = texts_.find(key);
    if (found == texts_.end()) return std::nullopt;
    return found->second;
}

std::string CResourceManager::ResolveText(std::string_view raw) const {
    if (raw.empty()) return {};
    auto text = GetText(raw);
    return text ? *text : std::string(raw);
}

void CResourceManager::ReloadText() {
    for (CPaintManagerUI* manager : CPaintManagerUI::AllManagers()) {
        if (CControlUI* root = manager->GetRoot()) {
            // Texts resolve when read, so a relayout and repaint show the new ones.
            root->FindControl(
                [](CControlUI* control) -> CControlUI* {
                    control->NeedUpdate();
                    return nullptr;
                },
                kFindAll);
            manager->NeedUpdate();
        }
    }
}

void CResourceManager::SetTextQueryInterface(IQueryControlText* query) {
    std::unique_lock lock(mutex_);
    query_ = query;
}

void CResourceManager::Release() {
    std::unique_lock lock(mutex_);
    resources_.clear();
    texts_.clear();
    language_.clear();
    query_ = nullptr;
}

}  // namespace vivori::ui

#pragma once

#include <map>
#include <optional>
#include <shared_mutex>
#include <string>
#include <string_view>

namespace vivori::ui {

// Asked for the text of a key before the language table, so a window can supply texts
// of its own.
class IQueryControlText {
  public:
    virtual ~IQueryControlText() = default;
    virtual std::optional<std::string> QueryControlText(std::string_view key) = 0;
};

// The process's resources: the map from resource names ("XML_MAIN") to layout files,
// read from "res.xml", and the language table, read from a language file
// (<Language><Text id="key" value="text"/>...</Language>).
class CResourceManager {
  public:
    static CResourceManager& GetInstance();

    // Reads the resource map; a missing or malformed file leaves it empty and says so.
    bool LoadResource(std::string_view file);
    // The file a resource name maps to, or empty when the name is unknown.
    std::string GetResourceFile(std::string_view name) const;

    bool LoadLanguage(std::string_view file);
    void SetLanguage(std::string_view name);
    std::string GetLanguage() const;
    std::optional<std::string> GetText(std::string_view key) const;
    // The text a control shows for this raw text: the language text when it is a key.
    std::string ResolveText(std::string_view raw) const;
    // Makes every window show its texts again in the current language.
    void ReloadText();
    void SetTextQueryInterface(IQueryControlText* query);
    void Release();

    // A path under the resource folder, unless already absolute.
    static std::string ResolvePath(std::string_view file);

  private:
    CResourceManager() = default;

    mutable std::shared_mutex mutex_;
    std::map<std::string, std::string, std::less<>> resources_;
    std::map<std::string, std::string, std::less<>> texts_;
    std::string language_;
    IQueryControlText* query_ = nullptr;
};

}  // namespace vivori::ui

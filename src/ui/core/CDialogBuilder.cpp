#include "ui/core/CDialogBuilder.h"

#include <pugixml.hpp>

#include "platform/Debug.h"
#include "ui/core/AttributeValues.h"
#include "ui/core/CContainerUI.h"
#include "ui/core/CControlFactory.h"
#include "ui/core/CPaintManagerUI.h"
#include "ui/core/CResourceManager.h"

namespace vivori::ui {
namespace {

// Includes may not nest deeper than this, so a file that includes itself ends.
constexpr int kMaxIncludeDepth = 8;
// Layout files are small; anything bigger is not one of ours.
constexpr std::ptrdiff_t kMaxLayoutBytes = 4 * 1024 * 1024;

class TreeParser {
  public:
    TreeParser(const ControlFactoryCallback& callback, CPaintManagerUI* manager, std::string& error)
        : callback_(callback), manager_(manager), error_(error) {}

    bool Load(std::string_view layout, pugi::xml_document& document) {
        std::string source(layout);
        std::size_t start = source.find_first_not_of(" \t\r\n");
        pugi::xml_parse_result parsed;
        if (start != std::string::npos && source[start] == '<') {
            parsed = document.load_string(source.c_str());
        } else {
            std::string mapped = CResourceManager::GetInstance().GetResourceFile(layout);
            std::string path = CResourceManager::ResolvePath(mapped.empty() ? layout : mapped);
            if (!SmallEnough(path)) return false;
            parsed = document.load_file(path.c_str());
        }
        if (!parsed) {
            error_ = std::string(layout) + ": " + parsed.description();
            return false;
        }
        return true;
    }

    CControlUI* Build(const pugi::xml_node& root, CControlUI* parent, int depth) {
        if (std::string_view(root.name()) == "Window") {
            if (manager_ != nullptr && depth == 0) ApplyWindowAttributes(root);
            CControlUI* first = nullptr;
            for (pugi::xml_node node : root.children()) {
                if (IsResourceElement(node)) {
                    if (depth == 0 || manager_ != nullptr) ReadResource(node);
                    continue;
                }
                // Without a parent only the first control is the tree; with one, every
                // control joins it (an included file's children).
                if (parent == nullptr && first != nullptr) continue;
                CControlUI* control = Parse(node, parent, depth);
                if (first == nullptr) first = control;
            }
            return first;
        }
        return Parse(root, parent, depth);
    }

  private:
    bool SmallEnough(const std::string& path) {
        FILE* file = std::fopen(path.c_str(), "rb");
        if (file == nullptr) {
            error_ = path + ": cannot open";
            return false;
        }
        std::fseek(file, 0, SEEK_END);
        long size = std::ftell(file);
        std::fclose(file);
        if (size < 0 || size > kMaxLayoutBytes) {
            error_ = path + ": too large for a layout";
            return false;
        }
        return true;
    }

    static bool IsResourceElement(const pugi::xml_node& node) {
        std::string_view name = node.name();
        return name == "Font" || name == "Default" || name == "Style" || name == "Image";
    }

    void ApplyWindowAttributes(const pugi::xml_node& window) {
        for (pugi::xml_attribute attribute : window.attributes()) {
            std::string_view name = attribute.name();
            std::string_view value = attribute.value();
            if (name == "size") {
                manager_->SetInitSize(ParseSize(value));
            } else if (name == "caption") {
                manager_->SetCaptionRect(ParseRect(value));
            } else if (name == "sizebox") {
                manager_->SetSizeBox(ParseRect(value));
            } else if (name == "roundcorner") {
                manager_->SetRoundCorner(ParseSize(value));
            } else if (name == "mininfo") {
                manager_->SetMinInfo(ParseSize(value));
            } else if (name == "maxinfo") {
                manager_->SetMaxInfo(ParseSize(value));
            } else if (name == "defaultfontcolor") {
                manager_->SetDefaultTextColor(ParseColor(value));
            } else if (name == "disabledfontcolor") {
                manager_->SetDefaultDisabledColor(ParseColor(value));
            }
        }
    }

    void ReadResource(const pugi::xml_node& node) {
        if (manager_ == nullptr) return;
        std::string_view name = node.name();
        if (name == "Font") {
            FontInfo font;
            font.id = node.attribute("id").as_int(-1);
            font.face = node.attribute("name").as_string("Roboto");
            font.size = node.attribute("size").as_int(12);
            font.bold = node.attribute("bold").as_bool();
            font.underline = node.attribute("underline").as_bool();
            font.italic = node.attribute("italic").as_bool();
            manager_->AddFont(font, node.attribute("default").as_bool());
        } else if (name == "Default") {
            manager_->AddDefaultAttributeList(node.attribute("name").as_string(),
                                              node.attribute("value").as_string());
        } else if (name == "Style") {
            manager_->AddStyle(node.attribute("name").as_string(),
                               node.attribute("value").as_string());
        }
    }

    CControlUI* Create(std::string_view name) {
        CControlUI* control = CControlFactory::GetInstance().CreateControl(name);
        if (control == nullptr && callback_) control = callback_(name);
        return control;
    }

    CControlUI* Parse(const pugi::xml_node& node, CControlUI* parent, int depth) {
        if (node.type() != pugi::node_element) return nullptr;
        std::string_view name = node.name();
        if (name == "Include") return Include(node, parent, depth);
        CControlUI* control = Create(name);
        if (control == nullptr) {
            DebugPrintf("layout element <%s> is not a known control", node.name());
            return nullptr;
        }
        // The manager first, so named styles resolve while attributes are applied.
        if (manager_ != nullptr) {
            control->SetManager(manager_, nullptr, false);
            if (const std::string* defaults = manager_->GetDefaultAttributeList(name)) {
                control->ApplyAttributeList(*defaults);
            }
        }
        for (pugi::xml_attribute attribute : node.attributes()) {
            control->SetAttribute(attribute.name(), attribute.value());
        }
        if (node.first_child()) {
            auto* container = static_cast<CContainerUI*>(control->GetInterface("Container"));
            for (pugi::xml_node child : node.children()) {
                if (container == nullptr) break;
                Parse(child, container, depth);
            }
        }
        if (parent != nullptr) {
            auto* container = static_cast<CContainerUI*>(parent->GetInterface("Container"));
            if (container == nullptr || !container->Add(control)) {
                delete control;
                return nullptr;
            }
        }
        return control;
    }

    CControlUI* Include(const pugi::xml_node& node, CControlUI* parent, int depth) {
        if (depth + 1 > kMaxIncludeDepth) {
            DebugPrintf("layout include %s nests too deep", node.attribute("source").as_string());
            return nullptr;
        }
        int count = std::min(std::max(node.attribute("count").as_int(1), 0), 100);
        CControlUI* last = nullptr;
        for (int i = 0; i < count; ++i) {
            pugi::xml_document document;
            if (!Load(node.attribute("source").as_string(), document)) return last;
            CControlUI* built = Build(document.document_element(), parent, depth + 1);
            if (built != nullptr) last = built;
        }
        return last;
    }

    const ControlFactoryCallback& callback_;
    CPaintManagerUI* manager_;
    std::string& error_;
};

}  // namespace

CControlUI* CDialogBuilder::Create(std::string_view layout, const ControlFactoryCallback& callback,
                                   CPaintManagerUI* manager, CControlUI* parent) {
    error_.clear();
    TreeParser parser(callback, manager, error_);
    pugi::xml_document document;
    if (!parser.Load(layout, document)) {
        DebugPrintf("layout %s not built: %s", std::string(layout).c_str(), error_.c_str());
        return nullptr;
    }
    CControlUI* root = parser.Build(document.document_element(), parent, 0);
    if (root == nullptr && error_.empty()) error_ = "no control in layout";
    return root;
}

}  // namespace vivori::ui

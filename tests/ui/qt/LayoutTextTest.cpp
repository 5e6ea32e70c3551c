// Every layout in both languages: each text key has an entry, English shows no Chinese,
// and a one-line text fits its fixed width at scale 1 and at 1.5.

#include <gtest/gtest.h>

#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <cmath>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "TestApplication.h"
#include "ui/qt/CRenderEngine.h"
#include "ui/qt/MemoryFont.h"

namespace {

namespace fs = std::filesystem;
using Attributes = std::map<QString, QString>;

const fs::path kSkin = VIVORI_SKIN_DIR;

// Reads "<Text id=… value=…/>" entries.
std::map<QString, QString> ReadLanguage(const fs::path& file) {
    std::map<QString, QString> texts;
    QFile input(QString::fromStdString(file.string()));
    EXPECT_TRUE(input.open(QIODevice::ReadOnly)) << file;
    QXmlStreamReader xml(&input);
    while (xml.readNextStartElement() || !xml.atEnd()) {
        if (xml.isStartElement() && xml.name() == u"Text")
            texts[xml.attributes().value("id").toString()] =
                xml.attributes().value("value").toString();
        if (xml.hasError()) break;
        if (!xml.isStartElement()) xml.readNext();
    }
    return texts;
}

// The attributes written inside a Default's or Style's value.
Attributes ParseValue(const QString& value) {
    Attributes attributes;
    static const QRegularExpression pair(R"re((\w+)="([^"]*)")re");
    for (auto it = pair.globalMatch(value); it.hasNext();) {
        const auto match = it.next();
        attributes[match.captured(1)] = match.captured(2);
    }
    return attributes;
}

struct Element {
    QString type;
    Attributes attributes;
};

struct Layout {
    std::map<int, QFont> fonts;
    QFont defaultFont;
    std::map<QString, Attributes> defaults;  // by element type
    std::map<QString, Attributes> styles;
    std::vector<Element> elements;
};

QFont MakeFont(const QXmlStreamAttributes& a) {
    QFont font(a.value("name").toString());
    font.setPixelSize(a.value("size").toInt());
    font.setBold(a.value("bold") == u"true");
    return font;
}

Layout ReadLayout(const fs::path& file) {
    Layout layout;
    layout.defaultFont = QFont("Roboto");
    layout.defaultFont.setPixelSize(12);
    QFile input(QString::fromStdString(file.string()));
    EXPECT_TRUE(input.open(QIODevice::ReadOnly)) << file;
    QXmlStreamReader xml(&input);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        const QXmlStreamAttributes a = xml.attributes();
        const QString type = xml.name().toString();
        if (type == u"Font") {
            layout.fonts[a.value("id").toInt()] = MakeFont(a);
            if (a.value("default") == u"true") layout.defaultFont = MakeFont(a);
        } else if (type == u"Default") {
            layout.defaults[a.value("name").toString()] = ParseValue(a.value("value").toString());
        } else if (type == u"Style") {
            layout.styles[a.value("name").toString()] = ParseValue(a.value("value").toString());
        } else {
            Element element{type, {}};
            for (const auto& attribute : a)
                element.attributes[attribute.name().toString()] = attribute.value().toString();
            layout.elements.push_back(std::move(element));
        }
    }
    EXPECT_FALSE(xml.hasError()) << file << ": " << xml.errorString().toStdString();
    return layout;
}

// A text that names a language entry rather than showing itself.
bool IsKey(const QString& text) {
    static const QRegularExpression key("^[A-Za-z][A-Za-z0-9]*_[A-Za-z0-9_]+$");
    return key.match(text).hasMatch();
}

int Sum(const QString& rect, int first, int second) {
    const QStringList parts = rect.split(',');
    if (parts.size() != 4) return 0;
    return parts[first].trimmed().toInt() + parts[second].trimmed().toInt();
}

class LayoutTextTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        vivori::ui::testing::TestApplication();
        for (const char* file : {"Font/Roboto-Regular.ttf", "Font/Roboto-Bold.ttf",
                                 "Font/Simplified_Chinese.ttf", "Font/NotoSansCJKtc-Regular.otf"}) {
            fonts().push_back(std::make_unique<vivori::ui::MemoryFont>(VIVORI_FONT_DIR));
            fonts().back()->Load(file);
        }
    }
    // Before the application goes, with its font database.
    static void TearDownTestSuite() { fonts().clear(); }
    static std::vector<std::unique_ptr<vivori::ui::MemoryFont>>& fonts() {
        static std::vector<std::unique_ptr<vivori::ui::MemoryFont>> loaded;
        return loaded;
    }

    // Layouts under XML/ are pieces of the main window and use its fonts.
    static std::vector<fs::path> LayoutFiles() {
        std::vector<fs::path> files;
        for (const auto& entry : fs::recursive_directory_iterator(kSkin)) {
            const fs::path& path = entry.path();
            const std::string name = path.filename().string();
            if (path.extension() != ".xml" || name.rfind("lan_", 0) == 0 || name == "res.xml" ||
                path.string().find("/tools/") != std::string::npos)
                continue;
            files.push_back(path);
        }
        return files;
    }
};

TEST_F(LayoutTextTest, EveryTextHasAnEntryAndFitsItsWidthInBothLanguagesAtBothScales) {
    const std::map<std::string, std::map<QString, QString>> languages = {
        {"en", ReadLanguage(kSkin / "lan_en.xml")}, {"cn", ReadLanguage(kSkin / "lan_cn.xml")}};
    // English shows no Chinese text, but for each language's own name in the list.
    static const QRegularExpression cjk(u8"[\u2E80-\u9FFF\uFF00-\uFFEF]");
    for (const auto& [id, value] : languages.at("en"))
        if (!id.startsWith("language_")) {
            EXPECT_FALSE(cjk.match(value).hasMatch()) << id.toStdString() << " = "
                                                      << value.toStdString();
        }

    const Layout main = ReadLayout(kSkin / "main.xml");
    std::vector<std::string> problems;
    int checked = 0;
    for (const fs::path& file : LayoutFiles()) {
        Layout layout = ReadLayout(file);
        if (layout.fonts.empty() && file.string().find("/XML/") != std::string::npos) {
            layout.fonts = main.fonts;
            layout.defaultFont = main.defaultFont;
            if (layout.defaults.empty()) layout.defaults = main.defaults;
            if (layout.styles.empty()) layout.styles = main.styles;
        }
        const std::string where = fs::relative(file, kSkin).string();
        for (const Element& element : layout.elements) {
            // The element type's defaults, then its style, then its own attributes.
            Attributes a = layout.defaults.count(element.type) ? layout.defaults[element.type]
                                                               : Attributes();
            if (auto style = element.attributes.find("style"); style != element.attributes.end())
                for (const auto& [name, value] : layout.styles[style->second]) a[name] = value;
            for (const auto& [name, value] : element.attributes) a[name] = value;
            const QString text = a["text"];
            if (text.isEmpty()) continue;
            int width = a.count("width") ? a["width"].toInt() : 0;
            if (width == 0 && a["float"] == u"true" && a.count("pos")) {
                const QStringList p = a["pos"].split(',');
                if (p.size() == 4) width = p[2].toInt() - p[0].toInt();
            }
            const bool fitted = a["textfit"] == u"true" || a["wordbreak"] == u"true" ||
                                a["endellipsis"] == u"true";
            const int padding = a.count("textpadding") ? Sum(a["textpadding"], 0, 2) : 0;
            const QFont font = a.count("font") && layout.fonts.count(a["font"].toInt())
                                   ? layout.fonts[a["font"].toInt()]
                                   : layout.defaultFont;
            for (const auto& [language, texts] : languages) {
                QString shown = text;
                if (auto entry = texts.find(text); entry != texts.end()) {
                    shown = entry->second;
                } else if (IsKey(text)) {
                    problems.push_back(where + ": no " + language + " entry for " +
                                       text.toStdString());
                    continue;
                }
                if (width <= 0 || fitted) continue;
                ++checked;
                for (double scale : {1.0, 1.5}) {
                    QFont scaled = font;
                    scaled.setPixelSize(int(std::lround(font.pixelSize() * scale)));
                    const int needed = QFontMetrics(scaled).horizontalAdvance(shown);
                    const int room = int(std::floor((width - padding) * scale));
                    if (needed > room)
                        problems.push_back(where + ": " + language + " \"" + shown.toStdString() +
                                           "\" needs " + std::to_string(needed) + " of " +
                                           std::to_string(room) + " at " +
                                           std::to_string(scale).substr(0, 3));
                }
            }
        }
    }
    EXPECT_GT(checked, 100) << "the walk found the layouts' texts";
    for (const std::string& problem : problems) ADD_FAILURE() << problem;
}

TEST_F(LayoutTextTest, KeyCapLabelsShrinkOrWrapUntilTheyFit) {
    QFont font("Roboto");
    font.setPixelSize(12);
    const QSize cap(23, 25);  // a key cap inside its padding and light ring
    // A label that fits stays as it is.
    auto fitted = vivori::ui::CRenderEngine::FitText(font, cap, "Esc");
    EXPECT_TRUE(fitted.fits);
    EXPECT_FALSE(fitted.wrap);
    EXPECT_EQ(fitted.font.pixelSize(), 12);
    // Wider ones come out smaller or on two lines, and within the cap.
    for (const char* label : {"PrtSc", "ScrLk", "Pause", "PgDn", "滚动锁定", "数字锁定"}) {
        const QString text = QString::fromUtf8(label);
        fitted = vivori::ui::CRenderEngine::FitText(font, cap, text);
        EXPECT_TRUE(fitted.fits) << label;
        const QFontMetrics metrics(fitted.font);
        const QRect box = metrics.boundingRect(QRect(0, 0, cap.width(), 1 << 20),
                                               Qt::TextWordWrap, text);
        EXPECT_LE(fitted.wrap ? box.width() : metrics.horizontalAdvance(text), cap.width())
            << label;
        EXPECT_LE(fitted.wrap ? box.height() : metrics.height(), cap.height()) << label;
        EXPECT_GE(fitted.font.pixelSize(), vivori::ui::CRenderEngine::kMinFitPixels) << label;
    }
}

}  // namespace

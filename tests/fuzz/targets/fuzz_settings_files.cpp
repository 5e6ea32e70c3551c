// Any bytes as each small settings file: the settings file (language), the palette
// file, the audio styles of "AudioFile.json", the light name lists, the keyboard's
// stored key locations, "main.ini" (the background choice) and "Language.config".
// Nothing may throw or crash, and a bad file is never fatal.

#include "FuzzFolder.h"
#include "devices/KnownKeyLocations.h"
#include "profiles/AudioStyles.h"
#include "profiles/JsonFile.h"
#include "profiles/LanguageConfig.h"
#include "profiles/LanguageSetting.h"
#include "profiles/LightNameLists.h"
#include "profiles/PaletteOptions.h"
#include "profiles/SkinSetting.h"

using namespace vivori;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto root = fuzz::FreshFolder("settings");
    profiles::DataFolders folders({root / "data", root / "config", root, root});
    const auto folder = folders.SettingsFolder();
    fuzz::WriteInput(folder / "settings.json", data, size);
    profiles::ReadLanguageSetting(folders);
    profiles::WriteLanguageSetting(folders, 2);

    const auto palette = fuzz::WriteInput(root / "palette.config", data, size);
    profiles::PaletteFile file(palette, palette);
    const profiles::PaletteOptions options = file.Load();
    file.SavePresets(options);
    file.SaveCollected(options);

    const std::string text(reinterpret_cast<const char*>(data), size);
    const Json::Value document = profiles::ParseJsonText(text).value_or(Json::Value());
    profiles::AudioStyleSet styles =
        profiles::AudioStylesOf(profiles::JsonMember(document, "Device"));
    Json::Value stored;
    profiles::StoreAudioStyles(styles, stored);
    profiles::RecorderLevels(styles);

    const auto names = fuzz::WriteInput(root / "names.json", data, size);
    profiles::LightNameLists lists;
    for (int table = -1; table < 5; ++table) {
        profiles::LoadDefaultLightNames(names, table, lists);
        profiles::LoadCustomLightNames(names, table, lists);
    }

    if (auto known = devices::LoadKnownKeyLocations(names)) {
        const std::vector<uint8_t> keyMap(510, 0x20), ledMap(170, 1);
        devices::LocateKeys(keyMap, ledMap, known->slotCount, known);
    }

    // The background choice: other sections kept, and what is written is read back.
    const auto mainIni = fuzz::WriteInput(profiles::MainIniFile(folders), data, size);
    profiles::ReadSkinChoice(mainIni);
    profiles::SkinChoice colour;
    colour.kind = profiles::SkinChoice::Kind::Colour;
    colour.colour = 0x80FF2010;
    colour.image.clear();
    if (profiles::WriteSkinChoice(mainIni, colour) && profiles::ReadSkinChoice(mainIni) != colour)
        __builtin_trap();

    const auto languages = fuzz::WriteInput(profiles::LanguageConfigFile(folders), data, size);
    const auto entries = profiles::ReadLanguageConfig(languages);
    for (const char* locale : {"zh_TW.UTF-8", "de_DE", "C"})
        profiles::StartLanguageIndex(entries, std::nullopt, locale);
    profiles::StartLanguageIndex(entries, 1033, "");
    profiles::LanguageIdOfLocale(text);
    return 0;
}

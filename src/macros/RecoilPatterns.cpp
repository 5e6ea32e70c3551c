#include "macros/RecoilPatterns.h"

#include "macros/MacroEvents.h"
#include "profiles/JsonFile.h"

namespace vivori::macros {

std::string RecoilFileName(int pattern) {
    return "ShootData_" + std::to_string(pattern) + ".Shoot";
}

std::filesystem::path RecoilSource(const std::filesystem::path& userFolder,
                                   const std::filesystem::path& defaultFolder, int pattern) {
    const std::filesystem::path user = userFolder / RecoilFileName(pattern);
    if (profiles::ReadJsonDocument(user).state == profiles::FileState::Parsed) return user;
    return defaultFolder / RecoilFileName(pattern);
}

RecoilEvents ReadRecoilPatterns(const std::filesystem::path& userFolder,
                                const std::filesystem::path& defaultFolder) {
    RecoilEvents patterns;
    for (int n = 0; n < kRecoilPatternCount; ++n)
        patterns[size_t(n)] =
            ReadMacroEvents(profiles::ReadJsonFile(RecoilSource(userFolder, defaultFolder, n)));
    return patterns;
}

}  // namespace vivori::macros

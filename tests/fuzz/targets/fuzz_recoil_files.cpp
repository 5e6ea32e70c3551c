// Any bytes as a recoil pattern file (".Shoot"): read for the device image (the
// user's copy, and the shipped copy while the user has none), its bullets read and
// one written back into it, imported, exported and repaired from the default. Nothing
// may throw or crash; a bullet written is read back as written, and an import that
// succeeds leaves a file the reader takes.

#include "FuzzFolder.h"
#include "macros/RecoilPatterns.h"
#include "profiles/JsonFile.h"

using namespace vivori;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto root = fuzz::FreshFolder("recoil");
    const auto user = root / "user";
    const auto shipped = root / "default";
    // Patterns 0 and 1 the user's, pattern 2 only the shipped copy, pattern 3 neither.
    fuzz::WriteInput(user / macros::RecoilFileName(0), data, size);
    fuzz::WriteInput(user / macros::RecoilFileName(1), data, size);
    fuzz::WriteInput(shipped / macros::RecoilFileName(2), data, size);
    macros::ReadRecoilPatterns(user, shipped);

    const std::string text(reinterpret_cast<const char*>(data), size);
    const Json::Value document = profiles::ParseJsonText(text).value_or(Json::Value());
    for (int bullet : {-1, 0, 7, macros::kBulletsPerPattern}) macros::BulletOf(document, bullet);

    // Out-of-range values are held to what a device record carries.
    const macros::Bullet asked{300, -5, 70000, true, false};
    const macros::Bullet held{255, 0, 0xFFFF, true, false};
    if (macros::SaveBullet(user, 1, 3, asked) && !(macros::ReadBullet(user, 1, 3) == held))
        __builtin_trap();

    const auto file = fuzz::WriteInput(root / "chosen.shoot", data, size);
    if (macros::ImportPattern(user, 3, file).ok &&
        profiles::ReadJsonDocument(user / macros::RecoilFileName(3)).state !=
            profiles::FileState::Parsed)
        __builtin_trap();
    macros::ExportPattern(user, shipped, 0, root / "exported.shoot", true);
    macros::ExportPattern(user, shipped, 2, root / "exported.shoot", false);
    macros::EnsurePatterns(user, shipped);
    return 0;
}

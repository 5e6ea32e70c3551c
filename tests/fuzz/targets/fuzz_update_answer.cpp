// Any bytes as the update service's answer to a check, for the application (versions
// in decimal) and for a firmware (in hex), and as the update catalogue and the check
// date file. Nothing may throw or crash, and a name in the answer never gives a file
// outside the update folder.

#include "FuzzFolder.h"
#include "update/UpdateCheck.h"

using namespace vivori;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::filesystem::path folder = "/updates";
    for (uint32_t kind : {0u, 2u}) {
        const update::UpdateResult result = update::ReadUpdateAnswer(text, 120, kind, folder);
        if (!result.localFile.empty() && result.localFile.parent_path() != folder) __builtin_trap();
    }

    const auto root = fuzz::FreshFolder("update");
    const auto catalogue = fuzz::WriteInput(root / update::kCatalogueFile, data, size);
    const auto rows = update::LoadCatalogue(catalogue);
    const std::vector<update::AttachedDevice> attached = {{0x320F, 0x5055, 0x0102}};
    for (const update::CatalogueRow& row : update::RowsToCheck(rows, attached)) {
        update::ApplicationKey(row);
        update::InitialRow(row);
    }

    profiles::DataFolders folders({root, root, root, root});
    fuzz::WriteInput(folders.UserDataFolder() / update::kCheckDateFile, data, size);
    update::ReadCheckDate(folders);
    return 0;
}

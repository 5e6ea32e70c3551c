// Any bytes as a macro file (read for the device, imported, exported) and as the
// macro list "macro.config" (listed, added to, renamed, saved into, deleted from).
// Nothing may throw, crash, or leave a file the reader refuses.

#include "FuzzFolder.h"
#include "macros/MacroEvents.h"
#include "macros/MacroLibrary.h"
#include "profiles/JsonFile.h"

using namespace vivori;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (auto parsed = profiles::ParseJsonText(text)) macros::ReadMacroEvents(*parsed);

    // As a file to import, into an empty library.
    const auto folder = fuzz::FreshFolder("macros");
    macros::MacroLibrary library(folder);
    const auto file = fuzz::WriteInput(fuzz::ScratchFolder() / "in.mac", data, size);
    if (library.Import(file)) {
        library.EventsToSend(0);
        library.Export(0, fuzz::ScratchFolder() / "out.mac", true);
        library.Delete(0);
    }

    // As the macro list of a library.
    fuzz::WriteInput(folder / macros::kMacroListFile, data, size);
    const auto list = library.List();
    for (size_t i = 0; i < list.size() && i < 4; ++i) {
        library.EventsToSend(i);
        library.Document(i);
    }
    library.Add();
    if (!list.empty()) {
        library.Rename(0, "renamed");
        Json::Value events(Json::arrayValue);
        events.append(macros::MakeEventObject(true, macros::kTypeKey, 4, 10));
        library.Save(0, events);
        library.Delete(0);
    }
    return 0;
}

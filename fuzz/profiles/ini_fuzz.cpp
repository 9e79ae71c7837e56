// Any bytes as a settings file: reading never fails, and a key written into it reads back as
// written while the file's other sections keep their values.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "platform/ini_file.h"

using corvane::platform::IniDocument;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const IniDocument doc = IniDocument::Parse(std::span<const std::uint8_t>(data, size));
    const std::string before = doc.Get("PROFILENAME", "0");
    if (doc.Get("S", "k").size() > 4 * corvane::platform::kIniValueLimit) std::abort();
    (void)corvane::platform::ToInt(doc.Get("PROFILECOUNT", "count"));

    IniDocument changed = doc;
    const std::string value = " 新配置文件1 \"x\" ";
    if (!changed.Set("FUZZSECTION", "key", value)) std::abort();
    const auto bytes = changed.Serialize();
    const IniDocument reread = IniDocument::Parse(std::span<const std::uint8_t>(bytes));
    if (reread.Get("fuzzsection", "KEY") != value) std::abort();
    if (!doc.HasSection("FUZZSECTION") && reread.Get("PROFILENAME", "0") != before) std::abort();
    changed.RemoveSection("FUZZSECTION");
    (void)changed.Serialize();

    // Edits inside the file's own sections: the lookups the document keeps up to date must agree
    // with a fresh reading of what it writes.
    IniDocument edited = doc;
    const char* sections[] = {"PROFILENAME", "PROFILECOUNT", "S", "T"};
    const char* keys[] = {"0", "1", "count", "k"};
    for (std::size_t i = 0; i < size && i < 16; ++i) {
        const char* section = sections[data[i] & 3];
        const char* key = keys[(data[i] >> 2) & 3];
        switch ((data[i] >> 4) & 3) {
            case 0: (void)edited.Set(section, key, std::to_string(i)); break;
            case 1: edited.RemoveKey(section, key); break;
            case 2: edited.RemoveSection(section); break;
            default: (void)edited.Get(section, key); break;
        }
    }
    const auto editedBytes = edited.Serialize();
    const IniDocument fresh = IniDocument::Parse(std::span<const std::uint8_t>(editedBytes));
    for (const char* section : sections) {
        for (const char* key : keys) {
            if (edited.Get(section, key) != fresh.Get(section, key)) std::abort();
        }
    }
    return 0;
}

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
    return 0;
}

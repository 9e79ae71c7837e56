// Any text as a step line: parsing never fails badly, and a parsed step survives its own text
// form unchanged. The same bytes as a device script image must parse within bounds.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>

#include "macros/macro_action.h"
#include "macros/macro_image.h"

using namespace corvane::macros;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    if (const auto action = parseAction(line)) {
        const auto again = parseAction(formatAction(*action));
        if (!again || !(*again == *action)) std::abort();
        (void)StepBytes(*action);
    }
    if (const auto records = ParseImage(std::span<const std::uint8_t>(data, size))) {
        std::vector<StepBytesList> steps;
        for (const auto& record : *records) {
            StepBytesList list;
            for (const auto& a : record) list.push_back(StepBytes(a));
            steps.push_back(std::move(list));
        }
        const auto rebuilt = BuildImage(steps);
        if (!rebuilt.empty() && !ParseImage(rebuilt)) std::abort();
    }
    return 0;
}

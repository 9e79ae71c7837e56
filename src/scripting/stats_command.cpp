#include "scripting/stats_command.h"

#include "device/device_kind.h"
#include "scripting/command_text.h"
#include "scripting/script_host.h"

namespace corvane::scripting {
namespace {

std::string LinkJson(const device::LinkQueue::Stats& s) {
    return JsonObject()
        .Int("depth", static_cast<std::int64_t>(s.depth))
        .Int("maxDepth", static_cast<std::int64_t>(s.maxDepth))
        .Int("requests", static_cast<std::int64_t>(s.requests))
        .Int("failures", static_cast<std::int64_t>(s.failures))
        .Str("lastFailure", s.lastFailure)
        .Int("frames", static_cast<std::int64_t>(s.frames))
        .Int("framesReplaced", static_cast<std::int64_t>(s.framesReplaced))
        .Done();
}

std::string WriterJson(const platform::SettingsWriter::Stats& s) {
    return JsonObject()
        .Int("written", static_cast<std::int64_t>(s.written))
        .Int("collapsed", static_cast<std::int64_t>(s.collapsed))
        .Int("failed", static_cast<std::int64_t>(s.failed))
        .Int("maxWaiting", static_cast<std::int64_t>(s.maxWaiting))
        .Done();
}

std::string Stats(ScriptHost* main, const CommandArgs& args) {
    if (!main) return "error: no devices here";
    if (args.Count() == 1 && args[1] == "reset") {
        main->ResetStats();
        return std::string(kOk);
    }
    if (args.Count() != 0) return UsageError("stats");
    JsonObject links;
    for (device::DeviceKind kind : device::kAllDeviceKinds) {
        links.Raw(device::DevicePrefix(kind).substr(0, 2), LinkJson(main->QueueStats(kind)));
    }
    const ScriptHost::UiStalls stalls = main->Stalls();
    return "ok " + JsonObject()
                       .Int("uiMaxStallMs", stalls.maxStallMs)
                       .Int("uiStallsOver50ms", static_cast<std::int64_t>(stalls.stallsOver50ms))
                       .Raw("links", links.Done())
                       .Raw("writer", WriterJson(main->WriterStats()))
                       .Done();
}

}  // namespace

void RegisterStatsVerb(VerbTable& table, ScriptHost* main) {
    table.Add("stats", VerbKind::Query, [main](const CommandArgs& args) { return Stats(main, args); });
}

}  // namespace corvane::scripting

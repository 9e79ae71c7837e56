#include "scripting/virtual_commands.h"

#include <utility>

#include "ui/window.h"
#include "virtual/virtual_hid_bus.h"

namespace corvane::scripting {

namespace {

constexpr std::size_t kKindWord = 1;
constexpr std::size_t kDeviceVerbWord = 2;
constexpr std::size_t kFirstArgumentWord = 3;

std::string Usage() { return UsageError("virtual"); }

std::string FaultNames() {
    std::string names;
    for (virt::FaultKind kind : virt::AllFaultKinds()) {
        names += (names.empty() ? "" : ", ") + std::string(virt::FaultName(kind));
    }
    return names;
}

// Plugging and unplugging need no arguments.
VirtualCommands::DeviceVerb Bare(void (virt::VirtualDevice::*change)()) {
    return [change](virt::VirtualDevice& device, const CommandArgs& args) {
        if (args.Count() != kDeviceVerbWord) return Usage();
        (device.*change)();
        return std::string(kOk);
    };
}

}  // namespace

VirtualCommands::VirtualCommands(virt::VirtualHidBus* bus) : bus_(bus) {
    AddDeviceVerb("state", [this](virt::VirtualDevice& device, const CommandArgs& args) {
        return args.Count() == kDeviceVerbWord ? State(device) : Usage();
    });
    AddDeviceVerb("plug", Bare(&virt::VirtualDevice::Plug));
    AddDeviceVerb("unplug", Bare(&virt::VirtualDevice::Unplug));
    AddDeviceVerb("fault", &VirtualCommands::Fault);
}

void VirtualCommands::Register(VerbTable& table) {
    table.Add("virtual", VerbKind::Caller, [this](const CommandArgs& args) { return Run(args); });
}

void VirtualCommands::AddDeviceVerb(std::string name, DeviceVerb run) {
    verbs_.push_back(DeviceVerbRow{std::move(name), std::move(run)});
}

void VirtualCommands::AddStateField(StateField field) { stateFields_.push_back(std::move(field)); }

std::string VirtualCommands::Run(const CommandArgs& args) const {
    if (!bus_) return "error: no virtual devices";
    if (args.Count() < kDeviceVerbWord) return Usage();
    const auto kind = ParseKind(args[kKindWord]);
    if (!kind) return Usage();
    for (const DeviceVerbRow& verb : verbs_) {
        if (ui::EqualsIgnoreCase(verb.name, args[kDeviceVerbWord])) return verb.run(bus_->Device(*kind), args);
    }
    return Usage();
}

std::string VirtualCommands::State(virt::VirtualDevice& device) const {
    JsonObject state;
    state.Bool("connected", device.IsPlugged()).Int("slot", device.ActiveSlot());
    for (const StateField& field : stateFields_) field(device, state);
    return "ok " + state.Done();
}

std::string VirtualCommands::Fault(virt::VirtualDevice& device, const CommandArgs& args) {
    const std::size_t count = args.Count();
    if (count < kFirstArgumentWord || count > kFirstArgumentWord + 2) return Usage();
    const std::string_view what = args[kFirstArgumentWord];
    if (what == "clear") {
        if (count != kFirstArgumentWord) return Usage();
        device.ClearFaults();
        return std::string(kOk);
    }
    const auto kind = virt::FaultFromName(what);
    if (!kind) return "error: unknown fault " + Quote(what) + " (" + FaultNames() + ")";
    const auto at = count > kFirstArgumentWord ? ParseNumber(args[kFirstArgumentWord + 1]) : 1;
    const auto times = count > kFirstArgumentWord + 1 ? ParseNumber(args[kFirstArgumentWord + 2]) : 1;
    if (!at || *at < 1 || !times || *times < 0) return Usage();
    device.InjectFaultFromNow(*kind, static_cast<std::size_t>(*at),
                              *times == 0 ? virt::kEveryPacket : static_cast<std::size_t>(*times));
    return std::string(kOk);
}

}  // namespace corvane::scripting

#pragma once

#include <functional>
#include <string>
#include <vector>

#include "scripting/command_verbs.h"

namespace corvane::virt {
class VirtualDevice;
class VirtualHidBus;
}  // namespace corvane::virt

namespace corvane::scripting {

// The "virtual" verb: the built-in virtual devices as a script drives them, so tests, benchmarks
// and a person trying the program without hardware can pull a device out or make it misbehave.
// Refused with "error: no virtual devices" when the program runs on real hardware.
//
//   virtual kb|ms|mp state            ok {"connected":…,"slot":N}: the device's own view (plugged
//                                     in or not; the slot byte of its memory)
//   virtual kb|ms|mp plug|unplug      plug the device in or pull it out
//   virtual kb|ms|mp fault KIND [AT [COUNT]]
//                                     misbehave on COUNT requests (default 1; 0: until cleared),
//                                     starting with the AT-th request from now (default 1: the next)
//   virtual kb|ms|mp fault clear      behave again
//
// KIND is one of the virtual devices' faults: no-answer (the request is lost), write-fail (the
// write fails), status-ff and status-fe (answered with that error status), short-answer (a
// truncated answer), wrong-id (an answer with another report id), garbage (noise after the id),
// late-answer (answered after the link's read limit), unplug-mid-transfer (unplugged before it
// answers). Runs on the thread that received the line: nothing here touches the window.
class VirtualCommands {
public:
    // Arguments of a device verb start at word 3 ("virtual kb NAME ARG...").
    using DeviceVerb = std::function<std::string(virt::VirtualDevice&, const CommandArgs&)>;
    // Adds fields to the reply of "state".
    using StateField = std::function<void(virt::VirtualDevice&, JsonObject&)>;

    // bus is null on real hardware.
    explicit VirtualCommands(virt::VirtualHidBus* bus);

    void Register(VerbTable& table);
    void AddDeviceVerb(std::string name, DeviceVerb run);
    void AddStateField(StateField field);

private:
    struct DeviceVerbRow {
        std::string name;
        DeviceVerb run;
    };

    std::string Run(const CommandArgs& args) const;
    std::string State(virt::VirtualDevice& device) const;
    static std::string Fault(virt::VirtualDevice& device, const CommandArgs& args);

    virt::VirtualHidBus* bus_;
    std::vector<DeviceVerbRow> verbs_;
    std::vector<StateField> stateFields_;
};

}  // namespace corvane::scripting

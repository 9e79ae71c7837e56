#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace corvane::device {

// One hidraw node as the system lists it.
struct HidrawNode {
    std::string devnode;  // "/dev/hidraw3"
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::vector<std::uint8_t> reportDescriptor;  // empty when it could not be read
};

// The walk over present hidraw nodes, behind an interface so tests can hand in a fixed list.
class HidrawEnumerator {
public:
    virtual ~HidrawEnumerator() = default;
    // False when the system list cannot be obtained at all.
    virtual bool List(std::vector<HidrawNode>& nodes) = 0;
};

// libudev, subsystem "hidraw"; ids from the parent "hid" device, the descriptor from sysfs.
std::unique_ptr<HidrawEnumerator> MakeUdevHidrawEnumerator();

// Interface paths for the nodes, ordered by node number: "/dev/hidrawN#vid_xxxx&pid_xxxx", and
// one path per top-level collection with "&colNN" (01-based) when a node has several.
std::vector<std::string> BuildHidrawPaths(std::vector<HidrawNode> nodes);

// The node part of an interface path (everything before '#').
std::string DevnodeFromPath(const std::string& path);

}  // namespace corvane::device

#include "device/hidraw_enumerator.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include <fcntl.h>
#include <libudev.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>

#include "device/report_descriptor.h"
#include "platform/unique_fd.h"

namespace corvane::device {

namespace {

constexpr char kPathSeparator = '#';
constexpr std::size_t kMaxDescriptorBytes = HID_MAX_DESCRIPTOR_SIZE;

struct UdevDeleter {
    void operator()(udev* u) const { udev_unref(u); }
    void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
    void operator()(udev_device* d) const { udev_device_unref(d); }
};
template <typename T>
using UdevPtr = std::unique_ptr<T, UdevDeleter>;

// "BUS:VVVVVVVV:PPPPPPPP" as the hid core writes it.
bool ParseHidId(const char* text, std::uint16_t& vendor, std::uint16_t& product) {
    unsigned bus = 0, v = 0, p = 0;
    if (text == nullptr || std::sscanf(text, "%x:%x:%x", &bus, &v, &p) != 3) return false;
    vendor = static_cast<std::uint16_t>(v);
    product = static_cast<std::uint16_t>(p);
    return true;
}

std::vector<std::uint8_t> ReadSmallFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::vector<std::uint8_t> bytes;
    char c = 0;
    while (bytes.size() <= kMaxDescriptorBytes && in.get(c)) bytes.push_back(static_cast<std::uint8_t>(c));
    if (bytes.size() > kMaxDescriptorBytes) return {};
    return bytes;
}

// Fallback when udev does not know the ids: ask the node itself.
void IdsFromNode(HidrawNode& node) {
    platform::UniqueFd fd(::open(node.devnode.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    hidraw_devinfo info{};
    if (fd && ::ioctl(fd.Get(), HIDIOCGRAWINFO, &info) == 0) {
        node.vendorId = static_cast<std::uint16_t>(info.vendor);
        node.productId = static_cast<std::uint16_t>(info.product);
    }
}

class UdevHidrawEnumerator : public HidrawEnumerator {
public:
    bool List(std::vector<HidrawNode>& nodes) override {
        nodes.clear();
        UdevPtr<udev> context(udev_new());
        if (!context) return false;
        UdevPtr<udev_enumerate> enumerate(udev_enumerate_new(context.get()));
        if (!enumerate || udev_enumerate_add_match_subsystem(enumerate.get(), "hidraw") < 0 ||
            udev_enumerate_scan_devices(enumerate.get()) < 0) {
            return false;
        }
        udev_list_entry* entry = nullptr;
        udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate.get())) {
            UdevPtr<udev_device> device(udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(entry)));
            if (!device) continue;
            const char* devnode = udev_device_get_devnode(device.get());
            if (devnode == nullptr) continue;
            HidrawNode node;
            node.devnode = devnode;
            // The parent belongs to the child; it is not unref'd separately.
            udev_device* hid = udev_device_get_parent_with_subsystem_devtype(device.get(), "hid", nullptr);
            if (hid == nullptr ||
                !ParseHidId(udev_device_get_property_value(hid, "HID_ID"), node.vendorId, node.productId)) {
                IdsFromNode(node);
            }
            if (hid != nullptr) {
                node.reportDescriptor = ReadSmallFile(std::string(udev_device_get_syspath(hid)) + "/report_descriptor");
            }
            nodes.push_back(std::move(node));
        }
        return true;
    }
};

// "/dev/hidraw10" after "/dev/hidraw9": shorter names first, then by text.
bool DevnodeBefore(const HidrawNode& a, const HidrawNode& b) {
    if (a.devnode.size() != b.devnode.size()) return a.devnode.size() < b.devnode.size();
    return a.devnode < b.devnode;
}

}  // namespace

std::unique_ptr<HidrawEnumerator> MakeUdevHidrawEnumerator() { return std::make_unique<UdevHidrawEnumerator>(); }

std::vector<std::string> BuildHidrawPaths(std::vector<HidrawNode> nodes) {
    std::stable_sort(nodes.begin(), nodes.end(), DevnodeBefore);
    std::vector<std::string> paths;
    paths.reserve(nodes.size());
    for (const HidrawNode& node : nodes) {
        char ids[sizeof "#vid_xxxx&pid_xxxx"];
        std::snprintf(ids, sizeof ids, "#vid_%04x&pid_%04x", node.vendorId, node.productId);
        const std::string base = node.devnode + ids;
        std::size_t collections = 1;
        if (!node.reportDescriptor.empty()) {
            const DescriptorParseResult parsed = ParseReportDescriptor(node.reportDescriptor);
            if (parsed.descriptor) collections = parsed.descriptor->collections.size();
        }
        if (collections <= 1) {
            paths.push_back(base);
            continue;
        }
        for (std::size_t i = 1; i <= collections; ++i) {
            char suffix[sizeof "&col00000"];
            std::snprintf(suffix, sizeof suffix, "&col%02zu", i);
            paths.push_back(base + suffix);
        }
    }
    return paths;
}

std::string DevnodeFromPath(const std::string& path) { return path.substr(0, path.find(kPathSeparator)); }

}  // namespace corvane::device

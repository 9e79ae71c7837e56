#include "workers/consumer_watcher.h"

#include "device/report_descriptor.h"
#include "platform/debug_out.h"

namespace corvane::workers {

using device::DeviceKind;

std::optional<ConsumerUsageRow> FindConsumerUsage(DeviceKind kind, std::uint16_t usage) {
    for (const ConsumerUsageRow& row : kConsumerUsages) {
        if (row.kind == kind && row.usage == usage) return row;
    }
    return std::nullopt;
}

std::optional<std::uint16_t> ConsumerUsageOf(std::span<const std::uint8_t> report,
                                             device::HidChannel& channel) {
    auto& items = channel.InputItems();
    if (report.empty() || items.empty()) return std::nullopt;
    // A field counts only when this report filled it: a report of another collection (on a
    // node that hands every report to every reader) leaves the last event's usages in place.
    for (auto& item : items) item.isDataSet = false;
    // A value field the parser rejects ends the unpacking; the first field is looked at anyway.
    (void)device::UnpackReport(items, report, device::ReportType::Input, channel.Collection());
    const device::HidDataItem& first = items.front();
    if (!first.isDataSet || !first.isButton) return std::nullopt;
    return first.usages.empty() ? std::uint16_t{0} : first.usages.front();
}

ConsumerWatcher::ConsumerWatcher(DeviceKind kind, device::HidBackend& backend, ConsumerHost& host,
                                 ConsumerTiming timing)
    : kind_(kind), backend_(backend), host_(host), timing_(timing), channel_(backend) {}

const char* ConsumerExitText(DeviceKind kind) {
    return kind == DeviceKind::Keyboard ? "键盘同步线程设定退出" : "鼠标同步线程设定测试退出";
}

void ConsumerWatcher::Act(std::uint16_t usage) {
    const auto row = FindConsumerUsage(kind_, usage);
    if (!row) return;  // a release (usage 0) or an event this device does not announce
    if (row->message == kNoMessage) {
        host_.RaisePadFlash();
    } else {
        (void)host_.SendMessage(row->message);  // refused only while the window shuts down
    }
}

ConsumerWatcher::Search ConsumerWatcher::FindDevice() {
    if (!channel_.EnumerateHidDevices()) return Search::EnumerationFailed;
    const std::uint16_t productId = device::ProductIdOf(kind_);
    Search result = Search::NotFound;
    while (const std::string* path = channel_.NextDevicePath()) {
        if (device::VendorIdFromPath(*path) != device::kVendorId ||
            device::ProductIdFromPath(*path) != productId) {
            continue;
        }
        if (!channel_.OpenDevice(*path, /*read=*/true, /*write=*/false, /*overlapped=*/true,
                                 /*shareReadOnly=*/false)) {
            continue;
        }
        const auto& attributes = channel_.Attributes();
        const auto& caps = channel_.Caps();
        if (attributes.vendorId == device::kVendorId && attributes.productId == productId &&
            caps.usagePage == device::kConsumerUsagePage && caps.usage == device::kConsumerUsage) {
            result = Search::Found;
            break;
        }
        channel_.CloseDevice();
    }
    channel_.FreeDeviceList();
    return result;
}

bool ConsumerWatcher::Listen(WorkerContext& context) {
    auto& buffer = channel_.InputReportBuffer();
    const std::size_t length = channel_.Caps().inputReportByteLength;
    while (found_) {
        if (context.StopRequested(timing_.stopPollMs)) return true;
        std::size_t bytesRead = 0;
        if (channel_.ReadReport(length, buffer.data(), timing_.readTimeoutMs, bytesRead) == 0 ||
            bytesRead == 0) {
            // Usually no event within the time limit; a device that went is noticed here.
            if (!device::DeviceStillPresent(backend_, channel_.DevicePath())) found_ = false;
            continue;
        }
        if (const auto usage = ConsumerUsageOf({buffer.data(), bytesRead}, channel_)) Act(*usage);
    }
    return false;
}

void ConsumerWatcher::Run(WorkerContext& context) {
    while (!context.StopRequested(timing_.stopPollMs)) {
        const Search search = FindDevice();
        if (search == Search::EnumerationFailed) return;
        bool stopped = false;
        if (search == Search::Found) {
            found_ = true;
            stopped = Listen(context);
            channel_.CloseDevice();
        }
        if (stopped || context.StopRequested(found_ ? timing_.foundPauseMs : timing_.searchPauseMs)) break;
    }
    platform::debugOut(ConsumerExitText(kind_));
}

}  // namespace corvane::workers

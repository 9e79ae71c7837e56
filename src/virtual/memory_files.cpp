#include "virtual/memory_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

namespace corvane::virt {

namespace {

// Owns a file descriptor.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fd_;
};

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::optional<std::vector<std::uint8_t>> ReadWhole(const std::filesystem::path& file,
                                                   std::size_t expectedSize) {
    std::error_code error;
    const auto size = std::filesystem::file_size(file, error);
    if (error || size != expectedSize) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<std::uint8_t> bytes(expectedSize);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (in.gcount() != static_cast<std::streamsize>(bytes.size())) return std::nullopt;
    return bytes;
}

}  // namespace

std::filesystem::path DeviceFolder(const std::filesystem::path& memoryFolder,
                                   device::DeviceKind kind) {
    return memoryFolder / std::string(KindFolderName(kind));
}

DeviceMemory LoadDeviceMemory(device::DeviceKind kind, const std::filesystem::path& deviceFolder) {
    DeviceMemory memory = FactoryMemory(kind);
    // The information block first: it decides the size of the macro memory.
    for (MemoryArea area : kPersistentAreas) {
        const std::size_t size = AreaSize(kind, area, memory.info);
        if (size == 0) continue;
        auto loaded = ReadWhole(deviceFolder / std::string(AreaFileName(area)), size);
        if (loaded) {
            memory.Area(area) = std::move(*loaded);
        } else if (memory.Area(area).size() != size) {
            memory.Area(area).assign(size, 0);  // macro memory of a changed capacity
        }
    }
    return memory;
}

bool WriteFileAtomically(const std::filesystem::path& file, std::span<const std::uint8_t> bytes) {
    const std::filesystem::path folder = file.parent_path();
    std::string temp = (folder / ("." + file.filename().string() + ".XXXXXX")).string();
    Fd fd(::mkstemp(temp.data()));
    if (fd.get() < 0) return false;
    const bool written = WriteAll(fd.get(), bytes) && ::fsync(fd.get()) == 0 && fd.Close();
    if (!written || ::rename(temp.c_str(), file.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return dir.get() >= 0 && ::fsync(dir.get()) == 0;
}

bool StoreArea(const std::filesystem::path& deviceFolder, MemoryArea area,
               std::span<const std::uint8_t> bytes) {
    std::error_code error;
    std::filesystem::create_directories(deviceFolder, error);
    if (error) return false;
    return WriteFileAtomically(deviceFolder / std::string(AreaFileName(area)), bytes);
}

}  // namespace corvane::virt

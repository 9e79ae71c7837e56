#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace corvane::testing {

// A private HOME (and config home and program folder) for one test, removed afterwards. The
// settings code reads these variables on every call, so each test sees a fresh account.
class TestHome {
public:
    TestHome() {
        std::string pattern = (std::filesystem::temp_directory_path() / "corvane-XXXXXX").string();
        root_ = ::mkdtemp(pattern.data());
        home_ = root_ + "/home";
        program_ = root_ + "/program/";
        std::filesystem::create_directories(home_);
        std::filesystem::create_directories(program_ + "defaults");
        Save("HOME", home_);
        Save("XDG_CONFIG_HOME", home_ + "/.config");
        Save("CORVANE_HOME", program_);
    }
    ~TestHome() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->second) {
                ::setenv(it->first.c_str(), it->second->c_str(), 1);
            } else {
                ::unsetenv(it->first.c_str());
            }
        }
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    TestHome(const TestHome&) = delete;
    TestHome& operator=(const TestHome&) = delete;

    const std::string& home() const { return home_; }
    const std::string& root() const { return root_; }
    std::string documents() const { return home_ + "/Documents"; }
    std::string data() const { return documents() + "/Gaming Keyboard/"; }
    std::string kb() const { return data() + "kb/"; }
    std::string ms() const { return data() + "ms/"; }
    std::string mp() const { return data() + "mp/"; }
    std::string defaults() const { return program_ + "defaults/"; }

private:
    void Save(const std::string& name, const std::string& value) {
        const char* old = ::getenv(name.c_str());
        saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        ::setenv(name.c_str(), value.c_str(), 1);
    }

    std::string root_, home_, program_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

inline void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline void WriteText(const std::string& path, const std::string& text) {
    WriteBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string ReadText(const std::string& path) {
    const auto bytes = ReadBytes(path);
    return {bytes.begin(), bytes.end()};
}

}  // namespace corvane::testing

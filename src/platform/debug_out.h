#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::platform {

// The program's diagnostic channel. Every text goes to the in-process sink (so tests can read
// it) and, when CORVANE_DEBUG=1 is set in the environment, to stderr as one line.
void debugOut(std::string_view text);

// Collects every debugOut text while it lives; several may be alive at once.
class DebugCapture {
public:
    DebugCapture();
    ~DebugCapture();
    DebugCapture(const DebugCapture&) = delete;
    DebugCapture& operator=(const DebugCapture&) = delete;

    std::vector<std::string> Lines() const;
    bool Contains(std::string_view text) const;
    std::size_t Count(std::string_view text) const;
    void Clear();

private:
    friend void debugOut(std::string_view);
    void Append(std::string_view text);
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace corvane::platform

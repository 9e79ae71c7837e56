#include "platform/thread_name.h"

#include <pthread.h>

#include <algorithm>
#include <array>

namespace corvane::platform {

void NameThisThread(std::string_view name) {
    // The kernel keeps 15 characters and the terminating zero.
    std::array<char, 16> text{};
    const std::size_t length = std::min(name.size(), text.size() - 1);
    std::copy_n(name.begin(), length, text.begin());
    (void)pthread_setname_np(pthread_self(), text.data());
}

}  // namespace corvane::platform

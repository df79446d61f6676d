// The replaceable message poster. The library thread reads it, tests set it: hence atomic.
#include "camera/MessagePoster.h"

#include <atomic>

namespace tavo {

namespace {
std::atomic<PostMessageFunction> poster{nullptr};
} // namespace

void SetMessagePoster(PostMessageFunction function) {
    poster.store(function);
}

bool PostWindowMessage(std::uintptr_t window, std::uint32_t message, std::uintptr_t wParam,
                       std::intptr_t lParam) {
    const PostMessageFunction function = poster.load();
    return (function ? function : DefaultPostMessage)(window, message, wParam, lParam);
}

} // namespace tavo

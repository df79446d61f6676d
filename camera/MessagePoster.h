// How the recognition callback tells a window of a result: a posted window message. On Windows
// the default is PostMessageW; elsewhere there are no windows and the default fails. Tests put a
// function of their own in its place.
#pragma once

#include <cstdint>

namespace tavo {

// Posts message to window and returns at once; true when the message was queued.
using PostMessageFunction = bool (*)(std::uintptr_t window, std::uint32_t message,
                                     std::uintptr_t wParam, std::intptr_t lParam);

// Replaces the poster; null puts the default back. May be called while a callback runs.
void SetMessagePoster(PostMessageFunction poster);

// Posts through the poster in use.
bool PostWindowMessage(std::uintptr_t window, std::uint32_t message, std::uintptr_t wParam,
                       std::intptr_t lParam);

// The platform's own poster (MessagePoster_win.cpp, MessagePoster_posix.cpp).
bool DefaultPostMessage(std::uintptr_t window, std::uint32_t message, std::uintptr_t wParam,
                        std::intptr_t lParam);

} // namespace tavo

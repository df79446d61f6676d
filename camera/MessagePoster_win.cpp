// Windows side of the message poster: PostMessageW.
#include "camera/MessagePoster.h"

#include <windows.h>

namespace tavo {

bool DefaultPostMessage(std::uintptr_t window, std::uint32_t message, std::uintptr_t wParam,
                        std::intptr_t lParam) {
    return PostMessageW(reinterpret_cast<HWND>(window), message, static_cast<WPARAM>(wParam),
                        static_cast<LPARAM>(lParam)) != FALSE;
}

} // namespace tavo

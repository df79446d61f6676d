// Linux side of the message poster: there are no windows, so nothing can be posted.
#include "camera/MessagePoster.h"

namespace tavo {

bool DefaultPostMessage(std::uintptr_t, std::uint32_t, std::uintptr_t, std::intptr_t) {
    return false;
}

} // namespace tavo

// The replaceable clock.
#include "common/Clock.h"

namespace tavo {

namespace {
std::function<LocalTime()>& TestClock() {
    static std::function<LocalTime()> clock;
    return clock;
}
} // namespace

LocalTime NowLocal() {
    auto& clock = TestClock();
    return clock ? clock() : detail::SystemLocalTime();
}

void SetClockForTesting(std::function<LocalTime()> clock) {
    TestClock() = std::move(clock);
}

} // namespace tavo

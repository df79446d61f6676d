// The time stamp text.
#include "camera/tavoToolUnit.h"

#include <cmath>
#include <cstdint>
#include <string>

#include "common/Clock.h"

namespace tavo {

namespace {

// Day 0 is 1899-12-30; 1970-01-01 is day 25569.
constexpr double kUnixEpochDay = 25569.0;
constexpr double kMillisecondsPerDay = 86400000.0;
constexpr std::int64_t kEightHours = 28800000;

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t DaysSince1970(int year, int month, int day) {
    const std::int64_t y = year - (month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yearOfEra = y - era * 400;
    const std::int64_t monthFromMarch = month > 2 ? month - 3 : month + 9;
    const std::int64_t dayOfYear = (153 * monthFromMarch + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// The moment as a day count from 1899-12-30 with the time of day as the fraction.
double DayNumber(const LocalTime& t) {
    const double day = static_cast<double>(DaysSince1970(t.year, t.month, t.day)) + kUnixEpochDay;
    const double msOfDay = ((t.hour * 60.0 + t.minute) * 60.0 + t.second) * 1000.0 + t.millisecond;
    return day + msOfDay / kMillisecondsPerDay;
}

} // namespace

Bytes TimeStampText() {
    const double days = std::fabs(DayNumber(NowLocal()) - kUnixEpochDay);
    const auto milliseconds = static_cast<std::int64_t>(days * kMillisecondsPerDay);
    return std::to_string(milliseconds - kEightHours);
}

} // namespace tavo

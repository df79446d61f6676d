// Time texts of the archive and the logs.
#include "records/TimeText.h"

#include <string>

namespace tavo {

namespace {

// The value in decimal, padded with leading zeros to at least `width` digits.
Bytes Digits(int value, std::size_t width) {
    Bytes text = std::to_string(value);
    if (text.size() < width)
        text.insert(0, width - text.size(), '0');
    return text;
}

} // namespace

Bytes CompactDate(const LocalTime& time) {
    return Digits(time.year, 4) + Digits(time.month, 2) + Digits(time.day, 2);
}

Bytes CompactStamp(const LocalTime& time) {
    return CompactDate(time) + Digits(time.hour, 2) + Digits(time.minute, 2) +
           Digits(time.second, 2);
}

Bytes DateFolders(const LocalTime& time) {
    return Digits(time.year, 4) + "\\" + Digits(time.month, 2) + "\\" + Digits(time.day, 2);
}

Bytes LogLineStamp(const LocalTime& time) {
    return Digits(time.year, 4) + "-" + Digits(time.month, 2) + "-" + Digits(time.day, 2) + " " +
           Digits(time.hour, 2) + ":" + Digits(time.minute, 2) + ":" + Digits(time.second, 2) + " ";
}

} // namespace tavo

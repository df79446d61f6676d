// The [STATION] section of the settings file, read once at start.
#include "records/StationSettings.h"

#include <string>

#include "common/GbkText.h"
#include "records/UMyUtils.h"
#include "records/tavoLogUnit.h"

namespace tavo {

namespace {

struct NumberKey {
    std::string_view Key;
    std::int32_t Low;
    std::int32_t High;
    std::int32_t StationSettings::*Field;
};

struct SwitchKey {
    std::string_view Key;
    bool StationSettings::*Field;
};

struct TextKey {
    std::string_view Key;
    Bytes StationSettings::*Field;
};

constexpr NumberKey kNumberKeys[] = {
    {"KeepDays", 0, 36500, &StationSettings::KeepDays},
    {"MinFreeMB", 0, 16777216, &StationSettings::MinFreeMB},
    {"CameraCheckSeconds", 0, 86400, &StationSettings::CameraCheckSeconds},
    {"UploadKeep", 1, 1000000, &StationSettings::UploadKeep},
};

constexpr SwitchKey kSwitchKeys[] = {
    {"RecognitionIndex", &StationSettings::RecognitionIndex},
    {"UploadPictures", &StationSettings::UploadPictures},
};

constexpr TextKey kTextKeys[] = {
    {"UploadUrl", &StationSettings::UploadUrl},
    {"UploadToken", &StationSettings::UploadToken},
};

// The stored value of a key, when the key is there.
bool ReadKey(std::string_view key, Bytes& value) {
    return IniValue(kStationSection, key, value, kIniRead);
}

void LogInvalid(std::string_view key, const Bytes& value, std::int32_t fallback) {
    ErrorLog(Utf8ToGbk("设置 [STATION] ") + Bytes(key) + Utf8ToGbk(" 的值无效：") + value +
             Utf8ToGbk("，按默认值 ") + std::to_string(fallback));
}

// A key of the section as a whole number in its range; the default (logged) when it is not.
std::int32_t ReadNumber(std::string_view key, std::int32_t low, std::int32_t high,
                        std::int32_t fallback) {
    Bytes text;
    if (!ReadKey(key, text))
        return fallback;
    std::int32_t value = fallback;
    if (!ParseWholeNumber(text, low, high, value)) {
        LogInvalid(key, text, fallback);
        return fallback;
    }
    return value;
}

} // namespace

bool ParseWholeNumber(std::string_view text, std::int32_t low, std::int32_t high,
                      std::int32_t& value) {
    if (text.empty())
        return false;
    std::int64_t number = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        number = number * 10 + (c - '0');
        if (number > high)
            return false;
    }
    if (number < low)
        return false;
    value = static_cast<std::int32_t>(number);
    return true;
}

StationSettings ReadStationSettings() {
    StationSettings settings;
    for (const NumberKey& number : kNumberKeys)
        settings.*number.Field =
            ReadNumber(number.Key, number.Low, number.High, settings.*number.Field);
    for (const SwitchKey& onOff : kSwitchKeys)
        settings.*onOff.Field = ReadNumber(onOff.Key, 0, 1, settings.*onOff.Field ? 1 : 0) == 1;
    for (const TextKey& text : kTextKeys)
        ReadKey(text.Key, settings.*text.Field);
    return settings;
}

} // namespace tavo

// The station's own settings beyond the two camera addresses: section [STATION] of
// bin\FormLayout.ini, read once at start through the settings store. Every key is optional, and
// an absent key keeps the station as it was without it. The station never writes this section.
//
// | key                | default | range            | meaning                                   |
// |--------------------|---------|------------------|-------------------------------------------|
// | KeepDays           | 0       | 0..36500         | days of archive and daily logs kept; 0 all |
// | MinFreeMB          | 0       | 0..16777216      | free space the archive sweep keeps; 0 off  |
// | CameraCheckSeconds | 0       | 0..86400         | camera watch interval; 0 off               |
// | RecognitionIndex   | 0       | 0..1             | 1 writes the daily recognition index       |
// | UploadUrl          | empty   | text             | where each event is posted; empty off      |
// | UploadToken        | empty   | text             | bearer token sent with each event          |
// | UploadPictures     | 0       | 0..1             | 1 sends the two pictures with each event   |
// | UploadKeep         | 10000   | 1..1000000       | most events kept waiting for the server    |
#pragma once

#include <cstdint>
#include <string_view>

#include "common/Bytes.h"

namespace tavo {

// The section's name in the settings file.
constexpr std::string_view kStationSection = "STATION";

struct StationSettings {
    std::int32_t KeepDays = 0;
    std::int32_t MinFreeMB = 0;
    std::int32_t CameraCheckSeconds = 0;
    bool RecognitionIndex = false;
    Bytes UploadUrl;
    Bytes UploadToken;
    bool UploadPictures = false;
    std::int32_t UploadKeep = 10000;
};

// Reads every key of the section once. A number that is not a whole number in its range is
// written to the error log and taken as its default. Texts are taken trimmed, as the store
// gives them. Throws only what the settings store throws.
StationSettings ReadStationSettings();

// The whole number in decimal digits only, when it lies in [low, high]; false otherwise (value
// untouched). Leading zeros are allowed; signs, blanks inside and fractions are not.
bool ParseWholeNumber(std::string_view text, std::int32_t low, std::int32_t high,
                      std::int32_t& value);

} // namespace tavo

// The settings store: one value of bin\FormLayout.ini below the program folder, read or written
// per call, with the section-deletion marker "!@#DelFlag" = "!@#339".
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string_view>

#include "common/Bytes.h"

namespace tavo {

struct TUserPath {
    Bytes BinDir = "bin\\";
    Bytes FormLayoutFile = "FormLayout.ini";
};
extern TUserPath UserPath;

// Raised when the settings file cannot be written.
class SettingsWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The modes of IniValue.
constexpr std::int32_t kIniRead = 0;
constexpr std::int32_t kIniWrite = 1;

// kIniRead (0) reads the key into value (trimmed) and returns true when the key exists and its
// section is not marked as deleted; otherwise false and value is untouched (a marked section
// is erased). kIniWrite (1) writes value untrimmed under the key and returns true. Section and key
// are upper-cased (a..z only). Throws SettingsWriteError when the file cannot be written.
bool IniValue(std::string_view section, std::string_view key, Bytes& value, std::int32_t mode);

} // namespace tavo

// The capture archive: each picture as a JPEG file below Log\<address>\yyyy\mm\dd\ in the
// program folder, named by the time and the plate.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "common/Bytes.h"

namespace tavo {

// The suffix flags of SaveCaptureImage: the plate close-up's name ends in "_plate"; any other
// flag than kPlateSuffixFlag adds nothing.
constexpr std::uint8_t kNoSuffixFlag = 0;
constexpr std::uint8_t kPlateSuffixFlag = 1;

// Writes `count` bytes of `picture` into the archive and puts the path written, relative to the
// program folder with '\' separators, into `pathWritten`; it stays empty when nothing was
// written. kPlateSuffixFlag adds "_plate" to the name. The tag goes into the names used when the
// first choice is taken. Never overwrites an archived picture.
void SaveCaptureImage(const unsigned char* picture, std::int32_t count, std::string_view directory,
                      std::string_view plate, std::uint8_t suffixFlag, std::string_view tag,
                      Bytes& pathWritten);

// Called on the archive's thread each time a picture could not be written (its folder or file
// could not be made, or the write fell short), which is how a full drive shows; the archive
// sweep uses it to sweep at once. An empty function (the start) calls nothing.
void SetArchiveWriteFailedHandler(std::function<void()> handler);

} // namespace tavo

// The camera's voice phrases: the table of 146 numbered GBK phrases, and the conversion of a text
// (a plate) into the phrase number list that the camera's voice broadcast takes. The vendor
// library's functions themselves, the broadcast among them, are declared in camera/ice_ipcsdk.h.
#pragma once

#include <array>
#include <string_view>

#include "common/Bytes.h"

namespace tavo {

constexpr int kPhraseCount = 146;

// Phrase n is the GBK text that the camera speaks for the number n.
extern const std::array<std::string_view, kPhraseCount> PhraseTable;

// The decimal number of the first phrase that equals the whole text with Latin letters compared
// case-insensitively; " " (one blank) when no phrase matches.
Bytes LookupPhrase(std::string_view text);

// The phrase number list of a text: one element per piece (a byte of 0xA0 or above starts a
// two-byte piece, every other byte is a piece of its own, a lone last byte is a piece), each the
// LookupPhrase of the piece, joined by "," without blanks. Empty text gives the empty list.
Bytes ConvertTextToPhrases(std::string_view text);

} // namespace tavo

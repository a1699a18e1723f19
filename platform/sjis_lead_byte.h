#pragma once
// The one Shift-JIS rule the platform layer needs itself (paths with
// two-byte characters whose second byte is 0x5C).
#include <cstdint>

// True for a byte that starts a two-byte Shift-JIS character (0x81..0x9F, 0xE0..0xFC).
constexpr bool IsSjisLeadByte(uint8_t c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

#include "common/sjis_text.h"

#include <cstring>

namespace {

constexpr uint8_t kFullWidthLead = 0x82;

constexpr bool IsInRange(uint8_t c, uint8_t low, uint8_t high) { return c >= low && c <= high; }

bool IsCp932SingleByte(uint8_t c) { return IsInRange(c, 0x20, 0x7E) || IsInRange(c, 0xA1, 0xDF); }

// Rows 0x85, 0x86, 0xEB, 0xEC and 0xEF are empty; 0xF0..0xF9 are user-defined.
bool IsCp932LeadByte(uint8_t c) {
  return IsInRange(c, 0x81, 0x84) || IsInRange(c, 0x87, 0x9F) || IsInRange(c, 0xE0, 0xEA) || IsInRange(c, 0xED, 0xEE) ||
         IsInRange(c, 0xFA, 0xFC);
}

bool IsCp932TrailByte(uint8_t c) { return IsInRange(c, 0x40, 0x7E) || IsInRange(c, 0x80, 0xFC); }

}  // namespace

bool IsDigitChar(uint8_t c) { return IsInRange(c, '0', '9'); }

bool IsCodeChar(uint8_t c) { return IsInRange(c, 0x30, 0x5A); }

bool IsAsciiAlnum(uint8_t c) { return IsDigitChar(c) || IsInRange(c, 'A', 'Z') || IsInRange(c, 'a', 'z'); }

char FullWidthToAscii(uint8_t lead, uint8_t trail) {
  if (lead != kFullWidthLead) return 0;
  if (IsInRange(trail, 0x4F, 0x58) || IsInRange(trail, 0x60, 0x79)) return static_cast<char>(trail - 31);
  if (IsInRange(trail, 0x81, 0x9A)) return static_cast<char>(trail - 32);
  return 0;
}

bool IsFullWidthAlnum(uint8_t lead, uint8_t trail) { return FullWidthToAscii(lead, trail) != 0; }

// Stops at a zero byte as well, so a fixed-size field with junk after its
// terminator gives only its text.
int ExtractAlnumText(const char* text, int length, char* out) {
  if (text == nullptr || out == nullptr) return 0;
  const auto* bytes = reinterpret_cast<const uint8_t*>(text);
  int n = 0;
  for (int i = 0; i < length && bytes[i] != 0;) {
    const uint8_t c = bytes[i];
    if (!IsSjisLeadByte(c)) {
      if (IsAsciiAlnum(c)) out[n++] = static_cast<char>(c);
      ++i;
      continue;
    }
    if (i + 1 >= length) break;  // half a character at the end
    const char ascii = FullWidthToAscii(c, bytes[i + 1]);
    if (ascii != 0) out[n++] = ascii;
    i += 2;
  }
  out[n] = 0;
  return 1;
}

uint32_t ByteSwap32(uint32_t value) {
  return (value >> 24) | ((value >> 8) & 0xFF00u) | ((value << 8) & 0xFF0000u) | (value << 24);
}

uint8_t HighByte16(uint16_t value) { return static_cast<uint8_t>(value >> 8); }

void CopySjisText(char* out, const char* text, int size) {
  if (size <= 0) return;
  const auto* bytes = reinterpret_cast<const uint8_t*>(text);
  const int limit = size - 1;
  int n = 0;
  while (bytes[n] != 0) {
    int width = 1;
    if (IsSjisLeadByte(bytes[n])) {
      if (bytes[n + 1] == 0) break;  // a lead byte without its trail byte is dropped
      width = 2;
    }
    if (n + width > limit) break;
    n += width;
  }
  memmove(out, text, static_cast<size_t>(n));
  out[n] = 0;
}

void TerminateTextField(char* text, int size) {
  if (size <= 0) return;
  if (memchr(text, 0, static_cast<size_t>(size)) == nullptr) text[size - 1] = 0;
  CopySjisText(text, text, size);
}

bool IsCp932Text(const char* text, int size) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text);
  int i = 0;
  while (i < size && bytes[i] != 0) {
    if (IsCp932SingleByte(bytes[i])) {
      ++i;
    } else if (IsCp932LeadByte(bytes[i]) && i + 1 < size && IsCp932TrailByte(bytes[i + 1])) {
      i += 2;
    } else {
      return false;
    }
  }
  return i < size;
}

#pragma once
// Shift-JIS character classes and the small text helpers built on them.
#include <cstdint>

#include "platform/sjis_lead_byte.h"

bool IsDigitChar(uint8_t c);
bool IsCodeChar(uint8_t c);  // 0x30..0x5A
bool IsAsciiAlnum(uint8_t c);
char FullWidthToAscii(uint8_t lead, uint8_t trail);  // 0 when not a full-width digit or letter
bool IsFullWidthAlnum(uint8_t lead, uint8_t trail);
// Keeps ASCII digits and letters and converts full-width ones; 0 for a null argument, else 1.
int ExtractAlnumText(const char* text, int length, char* out);
uint32_t ByteSwap32(uint32_t value);
uint8_t HighByte16(uint16_t value);
// Copies at most size - 1 bytes and terminates, never cutting a two-byte character.
void CopySjisText(char* out, const char* text, int size);
// Makes a text field read from a file end within the field after a whole
// character: one without its end is cut at its last whole character, and a
// lead byte just before the end is dropped. The bytes after the end stay.
void TerminateTextField(char* text, int size);
// True when `text` ends within its `size` bytes and every character before the
// end is one code page 932 draws: printable ASCII, half-width katakana, or a
// two-byte character of the JIS rows, the NEC special row 13 (lead 0x87) or
// the IBM extensions. Control bytes, unassigned rows and the user-defined
// rows (lead 0xF0..0xF9, no font has them) are not text.
bool IsCp932Text(const char* text, int size);

#pragma once
// Conversions between the program's Shift-JIS texts and the UTF-16 texts of
// the W functions of Windows. Always code page 932, never the system's.
#include <string>

std::wstring SjisToWide(const char* text);
std::wstring SjisToWide(const char* text, int length);
std::string WideToSjis(const wchar_t* text);
// Converts into a fixed buffer (always terminated); returns the byte count.
int WideToSjisBuffer(const wchar_t* text, char* out, int size);
// A Win32 filter list ("name\0pattern\0...\0\0") in Shift-JIS to UTF-16.
std::wstring SjisFilterToWide(const char* filter);

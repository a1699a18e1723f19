#include "platform/win_text.h"

#include <windows.h>

#include <cstring>

namespace {
constexpr UINT kShiftJis = 932;
}

std::wstring SjisToWide(const char* text, int length) {
  if (text == nullptr || length <= 0) return std::wstring();
  const int n = MultiByteToWideChar(kShiftJis, 0, text, length, nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(kShiftJis, 0, text, length, out.data(), n);
  return out;
}

std::wstring SjisToWide(const char* text) {
  return text == nullptr ? std::wstring() : SjisToWide(text, static_cast<int>(strlen(text)));
}

std::string WideToSjis(const wchar_t* text) {
  if (text == nullptr || *text == 0) return std::string();
  const int n = WideCharToMultiByte(kShiftJis, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(kShiftJis, 0, text, -1, out.data(), n, nullptr, nullptr);
  out.resize(static_cast<size_t>(n > 0 ? n - 1 : 0));
  return out;
}

int WideToSjisBuffer(const wchar_t* text, char* out, int size) {
  if (size <= 0) return 0;
  const std::string s = WideToSjis(text);
  int n = static_cast<int>(s.size());
  if (n > size - 1) {
    n = size - 1;
    // Do not cut a two-byte character in half.
    int i = 0;
    while (i < n) {
      const auto c = static_cast<unsigned char>(s[static_cast<size_t>(i)]);
      const int width = ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) ? 2 : 1;
      if (i + width > n) break;
      i += width;
    }
    n = i;
  }
  memcpy(out, s.data(), static_cast<size_t>(n));
  out[n] = 0;
  return n;
}

std::wstring SjisFilterToWide(const char* filter) {
  std::wstring out;
  if (filter == nullptr) return out;
  for (const char* p = filter; *p != 0; p += strlen(p) + 1) {
    out += SjisToWide(p);
    out += L'\0';
  }
  out += L'\0';
  return out;
}

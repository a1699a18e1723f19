#pragma once
// Helpers shared by the Windows tests (run under Wine).
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

// A new empty folder under the temporary folder; ends with '\'.
inline std::wstring MakeTempFolder(const wchar_t* prefix) {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  static int counter = 0;
  for (;;) {
    wchar_t name[MAX_PATH];
    swprintf(name, MAX_PATH, L"%ls%ls-%lu-%d\\", base, prefix, GetCurrentProcessId(), ++counter);
    if (CreateDirectoryW(name, nullptr)) return name;
  }
}

inline std::vector<unsigned char> ReadFileBytes(const std::wstring& path) {
  std::vector<unsigned char> bytes;
  FILE* f = _wfopen(path.c_str(), L"rb");
  if (f == nullptr) return bytes;
  unsigned char buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
  fclose(f);
  return bytes;
}

inline bool WriteFileBytes(const std::wstring& path, const std::vector<unsigned char>& bytes) {
  FILE* f = _wfopen(path.c_str(), L"wb");
  if (f == nullptr) return false;
  const bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  fclose(f);
  return ok;
}

inline std::wstring EnvironmentText(const wchar_t* name) {
  wchar_t value[MAX_PATH * 2];
  const DWORD n = GetEnvironmentVariableW(name, value, MAX_PATH * 2);
  return (n > 0 && n < MAX_PATH * 2) ? std::wstring(value) : std::wstring();
}

// Wine maps the Unix path of the build folder to a DOS path.
inline std::wstring UnixToDosPath(const std::wstring& unixPath) {
  if (unixPath.empty() || unixPath[0] != L'/') return unixPath;
  std::wstring dos = L"Z:" + unixPath;
  for (wchar_t& c : dos)
    if (c == L'/') c = L'\\';
  return dos;
}

// Folder for pictures and other artefacts that people may look at.
inline std::wstring ArtifactsFolder() {
  std::wstring folder = UnixToDosPath(EnvironmentText(L"VELQO_ARTIFACTS"));
  if (folder.empty()) folder = L"artifacts";
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder + L"\\";
}

// A top-down 32-bit DIB section; *bits receives its 0x00RRGGBB pixels.
inline HBITMAP CreatePixelBitmap(HDC dc, int width, int height, uint32_t** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  return CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(bits), nullptr, 0);
}

// Writes top-down 0x00RRGGBB pixels as a 24-bit BMP, its rows bottom-up as
// picture viewers expect.
inline bool WriteBmp24(const std::wstring& path, int width, int height, const uint32_t* pixels) {
  const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + stride * static_cast<DWORD>(height);
  std::vector<unsigned char> bytes(file.bfSize, 0);
  memcpy(bytes.data(), &file, sizeof file);
  memcpy(bytes.data() + sizeof file, &header, sizeof header);
  for (int y = 0; y < height; ++y) {
    unsigned char* row = bytes.data() + file.bfOffBits + stride * static_cast<DWORD>(height - 1 - y);
    for (int x = 0; x < width; ++x) {
      const uint32_t p = pixels[y * width + x];
      row[3 * x] = p & 0xFF;
      row[3 * x + 1] = (p >> 8) & 0xFF;
      row[3 * x + 2] = (p >> 16) & 0xFF;
    }
  }
  return WriteFileBytes(path, bytes);
}

// Saves what a window shows on the screen as a 24-bit BMP.
inline bool SaveWindowPicture(HWND hwnd, const std::wstring& path) {
  RECT rc;
  if (!GetWindowRect(hwnd, &rc)) return false;
  const int w = rc.right - rc.left, h = rc.bottom - rc.top;
  if (w <= 0 || h <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  uint32_t* bits = nullptr;
  HBITMAP bmp = CreatePixelBitmap(screen, w, h, &bits);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, rc.left, rc.top, SRCCOPY);
  SelectObject(mem, old);
  GdiFlush();
  const bool saved = bits != nullptr && WriteBmp24(path, w, h, bits);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return saved;
}

// Waits up to 10 s for a dialog with this title (shown by another thread's
// modal loop); null when none came.
inline HWND WaitForDialog(const std::wstring& title) {
  for (int i = 0; i < 200; ++i) {
    const HWND dialog = FindWindowW(L"#32770", title.c_str());
    if (dialog != nullptr) return dialog;
    Sleep(50);
  }
  return nullptr;
}

// Pumps this thread's messages for a while.
inline void PumpFor(DWORD milliseconds) {
  const DWORD end = GetTickCount() + milliseconds;
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(10);
  } while (static_cast<LONG>(end - GetTickCount()) > 0);
}

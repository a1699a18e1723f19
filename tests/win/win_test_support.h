#pragma once
// Helpers shared by the Windows tests (run under Wine).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
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

// Saves what a window shows on the screen as a 24-bit BMP.
inline bool SaveWindowPicture(HWND hwnd, const std::wstring& path) {
  RECT rc;
  if (!GetWindowRect(hwnd, &rc)) return false;
  const int w = rc.right - rc.left, h = rc.bottom - rc.top;
  if (w <= 0 || h <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, rc.left, rc.top, SRCCOPY);
  SelectObject(mem, old);
  const DWORD stride = ((static_cast<DWORD>(w) * 3 + 3) & ~3u);
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
  fh.bfSize = fh.bfOffBits + stride * static_cast<DWORD>(h);
  std::vector<unsigned char> file(reinterpret_cast<unsigned char*>(&fh), reinterpret_cast<unsigned char*>(&fh) + sizeof fh);
  file.insert(file.end(), reinterpret_cast<unsigned char*>(&bi.bmiHeader),
              reinterpret_cast<unsigned char*>(&bi.bmiHeader) + sizeof bi.bmiHeader);
  file.insert(file.end(), static_cast<unsigned char*>(bits), static_cast<unsigned char*>(bits) + stride * static_cast<DWORD>(h));
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return WriteFileBytes(path, file);
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

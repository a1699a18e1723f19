#include "chart/palette_resources_win.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "chart/palette.h"
#include "platform/win_text.h"

namespace {

int ReadPaletteResource(int id, void* out, int capacity) {
  const HMODULE module = GetModuleHandleW(nullptr);
  const std::wstring type = SjisToWide(kPaletteResourceType);
  const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type.c_str());
  if (found == nullptr) return -1;
  const HGLOBAL loaded = LoadResource(module, found);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) return -1;
  const DWORD size = SizeofResource(module, found);
  const int copied = size < static_cast<DWORD>(capacity) ? static_cast<int>(size) : capacity;
  memcpy(out, bytes, static_cast<size_t>(copied));
  return copied;
}

}  // namespace

void InstallPaletteResourceReader() { SetPaletteResourceReader(ReadPaletteResource); }

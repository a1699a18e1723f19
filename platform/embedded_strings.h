#pragma once
// The program's string table compiled into native builds (generated from
// resources/strings.rc); the Windows build loads the same texts as resources.
struct EmbeddedString {
  int id;
  const char* text;  // Shift-JIS
};
extern const EmbeddedString kEmbeddedStrings[];
extern const int kEmbeddedStringCount;

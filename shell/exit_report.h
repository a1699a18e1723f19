#pragma once
// The files the shut-down could not write, named together in one box at its
// end instead of one box for each.
#include <array>
#include <cstddef>

constexpr int kMaxExitFiles = 8;

struct UnsavedFiles {
  std::array<const char*, kMaxExitFiles> names;
  std::array<int, kMaxExitFiles> errors;
  int count;
};

// Adds `name` when `error` is not 0.
void NoteExitSave(UnsavedFiles* unsaved, const char* name, int error);
// The box's text: a heading, then each file with the system's reason.
void FormatUnsavedFilesText(const UnsavedFiles& unsaved, char* out, size_t size);
// Shows that text, when any file was not written.
void TellUnsavedFiles(const UnsavedFiles& unsaved);

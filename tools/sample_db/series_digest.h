#pragma once
// A digest of what the price store serves for every stock of the loaded table:
// the daily series, its split-adjusted copy and the weekly and monthly bars.
// The native build and the program under Wine must agree on it.
#include <cstdint>

uint64_t ComputeDatabaseDigest();
// Opens the database of a folder (made current) through the store; false when it cannot.
bool OpenDatabaseFolder(const char* folder);

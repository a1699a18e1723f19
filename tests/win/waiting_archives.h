#pragma once
// Price archives waiting in "TMPDOWN\" of a copy of the sample database, one
// vendor price text per day for every stock, and what the Windows tests read
// of its daily files and stock master.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "platform/win_text.h"
#include "tests/win/win_test_support.h"
#include "zip.h"

constexpr char kMarketNames[][3] = {"", "tp", "ts", "tg", "t", "n", "i", "t1", "t2", "m", "q", "o", "j"};
constexpr int kIndexMarket = 6;
constexpr int kMasterRecordBytes = 156;
constexpr int kMasterMarketOffset = 148;
constexpr int kBarBytes = 24;

struct WaitingStock {
  std::string code;
  int market;
  int32_t lastClose;
};

inline uint32_t ReadU32(const std::vector<unsigned char>& bytes, size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

// The last bar's {date, close} of a daily file; {0, 0} when it has none.
inline std::pair<uint32_t, int32_t> LastBar(const std::wstring& folder, const std::string& code) {
  const std::vector<unsigned char> day = ReadFileBytes(folder + L"DAY\\" + SjisToWide(code.c_str()));
  if (day.size() < 8 + kBarBytes) return {0, 0};
  const size_t last = 8 + (ReadU32(day, 4) - 1) * kBarBytes;
  return {ReadU32(day, last), static_cast<int32_t>(ReadU32(day, last + 16))};
}

inline std::vector<WaitingStock> ReadStocks(const std::wstring& folder) {
  const std::vector<unsigned char> master = ReadFileBytes(folder + L"BASEDATA\\stockinf.dat");
  std::vector<WaitingStock> stocks;
  const uint32_t count = master.size() >= 4 ? ReadU32(master, 0) : 0;
  for (uint32_t i = 0; i < count && 4 + (i + 1) * kMasterRecordBytes <= master.size(); ++i) {
    const size_t base = 4 + i * kMasterRecordBytes;
    const uint32_t packed = ReadU32(master, base);
    const std::string code = {static_cast<char>(packed >> 24), static_cast<char>(packed >> 16),
                              static_cast<char>(packed >> 8), static_cast<char>(packed)};
    const int market = master[base + kMasterMarketOffset];
    stocks.push_back({code, market >= 1 && market <= 12 ? market : 1, LastBar(folder, code).second});
  }
  return stocks;
}

// The `count` weekdays after a packed date, packed.
inline std::vector<uint32_t> WeekdaysAfter(uint32_t date, int count) {
  SYSTEMTIME day{};
  day.wYear = static_cast<WORD>(date >> 16);
  day.wMonth = static_cast<WORD>(date >> 8 & 0xFF);
  day.wDay = static_cast<WORD>(date & 0xFF);
  ULARGE_INTEGER time{};
  SystemTimeToFileTime(&day, reinterpret_cast<FILETIME*>(&time));
  std::vector<uint32_t> days;
  while (static_cast<int>(days.size()) < count) {
    time.QuadPart += 864000000000ULL;  // one day in 100 ns
    FileTimeToSystemTime(reinterpret_cast<FILETIME*>(&time), &day);
    if (day.wDayOfWeek != 0 && day.wDayOfWeek != 6) days.push_back(day.wYear << 16 | day.wMonth << 8 | day.wDay);
  }
  return days;
}

inline std::string DayName(uint32_t date) {
  char name[16];
  std::snprintf(name, sizeof name, "%04u%02u%02u", date >> 16, date >> 8 & 0xFF, date & 0xFF);
  return name;
}

// A vendor price row of the stock for the day, its close `d + 1` times 2 % up.
inline std::string PriceRow(const WaitingStock& stock, const std::string& day, size_t d) {
  const int close = std::max(1, stock.lastClose * static_cast<int>(100 + 2 * (d + 1)) / 100);
  char line[128];
  std::snprintf(line, sizeof line, "%s,%s,%s,%d,%d,%d,%d,%s\r\n", day.c_str(), stock.code.c_str(),
                kMarketNames[stock.market], close, close + close / 50 + 1, close - close / 50, close,
                stock.market == kIndexMarket ? "1523456789.0" : "45300");
  return line;
}

// "TMPDOWN\<name>.zip", deflated, holding "<name>.txt".
inline bool WriteArchive(const std::wstring& folder, const std::string& name, const std::string& text) {
  CreateDirectoryW((folder + L"TMPDOWN").c_str(), nullptr);
  const std::string path = WideToSjis((folder + L"TMPDOWN\\").c_str()) + name + ".zip";
  zipFile zip = zipOpen(path.c_str(), APPEND_STATUS_CREATE);
  const zip_fileinfo info{};
  const bool written = zip != nullptr &&
                       zipOpenNewFileInZip(zip, (name + ".txt").c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                           Z_DEFLATED, Z_DEFAULT_COMPRESSION) == ZIP_OK &&
                       zipWriteInFileInZip(zip, text.data(), static_cast<unsigned>(text.size())) == ZIP_OK &&
                       zipCloseFileInZip(zip) == ZIP_OK;
  return zip != nullptr && zipClose(zip, nullptr) == ZIP_OK && written;
}

constexpr char kHeaderLine[] = "DATE,CODE,MARKET,OPEN,HIGH,LOW,CLOSE,VOLUME\r\n";

// One vendor price text per day for every stock of the folder, each in a
// deflated zip archive "TMPDOWN\YYYYMMDD.zip" holding "YYYYMMDD.txt".
inline std::vector<uint32_t> WriteWaitingArchives(const std::wstring& folder, int dayCount) {
  const std::vector<WaitingStock> stocks = ReadStocks(folder);
  const std::vector<uint32_t> days = WeekdaysAfter(LastBar(folder, "1001").first, dayCount);
  for (size_t d = 0; d < days.size(); ++d) {
    const std::string name = DayName(days[d]);
    std::string text = kHeaderLine;
    for (const WaitingStock& stock : stocks) text += PriceRow(stock, name, d);
    if (!WriteArchive(folder, name, text)) return {};
  }
  return days;
}

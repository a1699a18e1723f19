#pragma once
// What the price store and its commands use of the online links: the list
// appliers that work on data already in memory, and the download, broker and
// order-link entry points, which in this build fetch nothing and leave every
// state as "nothing new, nothing running".
#include <cstdint>

#include "common/packed_date.h"
#include "common/stock_code.h"
#include "data/stock_table.h"

// ---- Program update ------------------------------------------------------

extern int gUpdateReady;  // an updater archive waits in "TMPDOWN\"
void RunOnlineUpdate();

// ---- Downloads and lists -------------------------------------------------

// Fetches "newken.txt" and "pinfo.txt" into "NEWDATA2026\" and applies them;
// mode 0 from the price update, 1 from the stock-information commands
// (which apply a list even when it is the one applied last).
void DownloadStockInfoFiles(int* kenListNew, int* stockInfoNew, int mode);
void DownloadSellerMasterLists(int* kenListNew, int* stockInfoNew);
// 0 when done (the count may be 0), 1 when the vendor refused access, else
// another failure after its own message. This build downloads nothing: the
// archives already in "TMPDOWN\" are left there and counted as downloaded.
int DownloadNewPriceFiles(int* fileCount);
// The dialog of the price-data source and its account: 0 when cancelled.
// There is no account to set in this build, so it counts as cancelled.
int ShowDataSourceDialog(int page);
// The body in the shared download buffer, or null with *errorNumber set
// (positive for a server or network error).
char* Vendor1HttpGet(const char* user, const char* password, const char* path, uint32_t* size,
                     unsigned long* errorNumber);
// "エラー番号 %lu（%s）" with the network error text of the number.
void FormatErrorNumber(char* out, int size, unsigned long errorNumber);
// Fills a master image from the stock-information file and the vendor's price
// table; 0 on failure.
int RefreshStockMasterFromQuoteSite(StockMasterFile* master, const char* stockInfo, uint32_t stockInfoSize,
                                    const char* priceTable, uint32_t priceTableSize);
// Lines in the order of "stockinf.txt": code, name, reading, short name,
// market id, listed-market flags, sector code, trading unit. Each line with a
// code in range replaces that code's record or is appended (at most 5000).
// Lines may end with CR, LF or both.
void UpdateStockMasterFromCsv(StockMasterFile* master, const char* text, int length);
// The downloaded index-weight list: with more than 400 codes, the index-weight
// flag is taken from every stock and given to the listed ones in the table.
void ApplyIndexWeightList(const StockCode* codes, int count);

// ---- Broker workers --------------------------------------------------------

extern int gRealTimeRunning;    // the real-time worker runs
extern int gPastPriceRunning;   // the past-price worker runs
extern int gBrokerLoginFailed;  // the last broker login did not succeed

void BrokerToggleRealTimeReceive();
void BrokerStopRealTimeReceive();
void BrokerStartRealTimeReceive();
void BrokerStopPastPriceFetch();
void BrokerStartPastPriceFetch();
void BrokerShutdownClient();
void BrokerDownloadTodayPrices(int* stockCount);
void BrokerUpdateRealTimeStatusText();

// ---- Spreadsheet order link and live quotes ------------------------------------

void OrderLinkToggle();
void OrderLinkStop();
void StopQuoteFeed();

constexpr int kQuoteCounterCount = 3;
constexpr int kQuoteLastSeenCount = 4;

// The live-quote day state.
extern PackedDate gNewestQuoteDate;                     // 0 = none yet
extern int gQuoteStockCounts[kQuoteCounterCount];       // distinct stocks received today
extern int gQuoteLastSeenIndexes[kQuoteLastSeenCount];  // -1 = none
extern int gQuoteCompanionRunning;

void ResetLiveQuoteState();
// Applying a stock-information list starts the counts again.
void ResetLiveQuoteCounters();

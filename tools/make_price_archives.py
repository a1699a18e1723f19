#!/usr/bin/env python3
"""Synthetic price archives of the vendor for the stocks of a data folder.

Writes daily (YYYYMMDD.zip) or monthly (YYYYMM.zip) archives, each holding one
vendor price text, for the trading days after the folder's last price date,
and optionally the daily files an import of them must leave behind.

The archives are written by Python's zipfile, not by the program, so that the
program's reader is checked against archives it did not make.

  make_price_archives.py DATA OUT [--days N] [--monthly] [--method stored|deflated|mixed]
                         [--stocks N] [--seed N] [--expected DIR] [--start YYYYMMDD]
"""
import argparse
import datetime
import os
import random
import shutil
import struct
import zipfile

MAX_STOCKS = 5000
MASTER_RECORD = 156
MARKET_ID_OFFSET = 148
BAR = struct.Struct("<Iiiiii")
MERGE_CAP = 5071
INDEX_MARKET = 6
MARKETS = {1: "tp", 2: "ts", 3: "tg", 4: "t", 5: "n", 6: "i", 7: "t1", 8: "t2", 9: "m", 10: "q", 11: "o", 12: "j"}
# How the vendor writes the canonical index codes; aliases must land on them.
INDEX_SPELLING = {"1001": "1001", "1002": "0201", "1003": "I010", "1004": "0107"}


def code_text(packed):
    return bytes([(packed >> s) & 0xFF for s in (24, 16, 8, 0)]).decode("ascii")


def read_master(folder):
    with open(os.path.join(folder, "BASEDATA", "stockinf.dat"), "rb") as f:
        data = f.read()
    (count,) = struct.unpack_from("<i", data, 0)
    stocks = []
    for i in range(max(0, min(count, MAX_STOCKS))):
        base = 4 + i * MASTER_RECORD
        (code,) = struct.unpack_from("<I", data, base)
        (market,) = struct.unpack_from("<H", data, base + MARKET_ID_OFFSET)
        stocks.append((code_text(code), market))
    return stocks


def read_day_file(folder, code):
    path = os.path.join(folder, "DAY", code)
    if not os.path.exists(path):
        return []
    with open(path, "rb") as f:
        data = f.read()
    (count,) = struct.unpack_from("<i", data, 4)
    return [list(BAR.unpack_from(data, 8 + 24 * i)) for i in range(count)]


def packed(day):
    return day.year << 16 | day.month << 8 | day.day


def is_trading_day(day):
    # Weekends and the New Year's days the market keeps closed.
    return day.weekday() < 5 and not (day.month == 1 and day.day <= 3) and not (day.month == 12 and day.day == 31)


def trading_days(after, count):
    days = []
    day = after
    while len(days) < count:
        day += datetime.timedelta(days=1)
        if is_trading_day(day):
            days.append(day)
    return days


def next_bar(rng, date, previous_close, index):
    close = max(1, round(previous_close * (1 + rng.uniform(-0.03, 0.03))))
    open_ = max(1, round(previous_close * (1 + rng.uniform(-0.01, 0.01))))
    high = max(open_, close) + rng.randint(0, max(1, close // 50))
    low = max(1, min(open_, close) - rng.randint(0, max(1, close // 50)))
    if index:
        shares = rng.randint(500_000_000, 3_000_000_000) + rng.randint(0, 9) / 10
        return [date, open_, high, low, close, int(shares // 1000)], "%.1f" % shares
    volume = rng.randint(1, 2000) * 100
    return [date, open_, high, low, close, volume], str(volume)


def row(bar, code, market, volume_text):
    day = "%04d%02d%02d" % (bar[0] >> 16, (bar[0] >> 8) & 0xFF, bar[0] & 0xFF)
    return "%s,%s,%s,%d,%d,%d,%d,%s\r\n" % (day, code, MARKETS[market], bar[1], bar[2], bar[3], bar[4], volume_text)


def decoy_market(market):
    # Another market listing the same stock, with a larger volume: it must lose.
    return 7 if market != 7 else 5


def build_rows(stocks, bars, days, rng):
    """Rows per day and the bars each stock is to gain."""
    rows = {d: [] for d in days}
    gained = {}
    for n, (code, market) in enumerate(stocks):
        index = market == INDEX_MARKET
        stored = bars[code]
        close = stored[-1][4] if stored else 1000
        own = market if market in MARKETS else 1
        gained[code] = []
        for k, day in enumerate(days):
            bar, volume_text = next_bar(rng, packed(day), close, index)
            close = bar[4]
            gained[code].append(bar)
            spelled = INDEX_SPELLING.get(code, code) if index else code
            line = row(bar, spelled, own, volume_text)
            if not index and n % 5 == 1 and market in MARKETS:
                decoy = list(bar)
                decoy[4] = max(1, bar[4] + 7)
                decoy[2] = max(bar[2], decoy[4])  # a valid row: its close within its range
                decoy[5] = bar[5] * 3 + 100
                other = row(decoy, code, decoy_market(own), str(decoy[5]))
                # The decoy comes first on even days and last on odd ones.
                rows[day].extend([other, line] if k % 2 == 0 else [line, other])
            else:
                rows[day].append(line)
    return rows, gained


def write_archive(path, member, text, method):
    compression = zipfile.ZIP_DEFLATED if method == "deflated" else zipfile.ZIP_STORED
    with zipfile.ZipFile(path, "w", compression=compression) as archive:
        archive.writestr(member, text.encode("ascii"))


def write_archives(out, days, rows, monthly, method):
    os.makedirs(out, exist_ok=True)
    groups = {}
    for day in days:
        key = "%04d%02d" % (day.year, day.month) if monthly else "%04d%02d%02d" % (day.year, day.month, day.day)
        groups.setdefault(key, []).append(day)
    names = []
    for n, (key, members) in enumerate(sorted(groups.items())):
        text = "DATE,CODE,MARKET,OPEN,HIGH,LOW,CLOSE,VOLUME\r\n"
        text += "".join(line for day in members for line in rows[day])
        chosen = method if method != "mixed" else ("stored", "deflated")[n % 2]
        write_archive(os.path.join(out, key + ".zip"), key + ".txt", text, chosen)
        names.append(key + ".zip")
    return names


def write_expected(folder, expected, stocks, bars, gained):
    """A copy of the data folder whose daily files hold the bars the import must add."""
    shutil.copytree(folder, expected, ignore=shutil.ignore_patterns("DAY", "TMPDOWN"), dirs_exist_ok=True)
    os.makedirs(os.path.join(expected, "DAY"), exist_ok=True)
    for code, _ in stocks:
        series = (bars[code] + gained.get(code, []))[-MERGE_CAP:]
        with open(os.path.join(folder, "DAY", code), "rb") as f:
            header = f.read(4)
        with open(os.path.join(expected, "DAY", code), "wb") as f:
            f.write(header + struct.pack("<i", len(series)) + b"".join(BAR.pack(*b) for b in series))


def last_reference_date(bars):
    stored = bars.get("1001") or []
    if not stored:
        return datetime.date.today()
    d = stored[-1][0]
    return datetime.date(d >> 16, (d >> 8) & 0xFF, d & 0xFF)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("data", help="data folder holding BASEDATA/stockinf.dat and DAY/")
    parser.add_argument("out", help="folder for the archives")
    parser.add_argument("--days", type=int, default=21, help="trading days after the last price date")
    parser.add_argument("--start", help="the first day is the first trading day after this YYYYMMDD")
    parser.add_argument("--monthly", action="store_true", help="one archive per month instead of per day")
    parser.add_argument("--method", choices=("stored", "deflated", "mixed"), default="mixed")
    parser.add_argument("--stocks", type=int, default=MAX_STOCKS, help="only the first N stocks get prices")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--expected", help="a copy of the data folder as the import must leave its daily files")
    args = parser.parse_args()

    stocks = read_master(args.data)
    bars = {code: read_day_file(args.data, code) for code, _ in stocks}
    after = last_reference_date(bars)
    if args.start:
        after = datetime.datetime.strptime(args.start, "%Y%m%d").date()
    days = trading_days(after, args.days)
    priced = stocks[: args.stocks]
    rows, gained = build_rows(priced, bars, days, random.Random(args.seed))
    names = write_archives(args.out, days, rows, args.monthly, args.method)
    if args.expected:
        write_expected(args.data, args.expected, stocks, bars, gained)
    print("%d archives, %d stocks, %s .. %s" % (len(names), len(priced), days[0], days[-1]))


if __name__ == "__main__":
    main()

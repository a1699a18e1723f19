#pragma once
// Short segments set from the offsets of their pixels: inside the clip, the
// pixels a segment sets around its start depend only on its direction, its
// pen and the bitmap's stride, and a chart's line repeats a few directions
// hundreds of times, each costing more to work out than to copy. A paint
// draws its lines in few pens on one bitmap, so the offsets are kept
// between calls.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "chart/gdi_rules.h"  // PixelPoint

namespace pixel_patterns {

// The patterns of one pen on bitmaps of one stride, for directions (dx, dy)
// with |dx| and |dy| below kExtent.
class SegmentPatterns {
 public:
  static constexpr int32_t kExtent = 16;

  static bool Covers(int32_t dx, int32_t dy) {
    return static_cast<uint32_t>(dx + kExtent - 1) <= 2 * kExtent - 2 &&
           static_cast<uint32_t>(dy + kExtent - 1) <= 2 * kExtent - 2;
  }

  bool Holds(int pen, ptrdiff_t stride) const { return pen_ == pen && stride_ == stride; }

  void Reset(int pen, ptrdiff_t stride) {
    pen_ = pen;
    stride_ = stride;
    entries_.fill({kUnknown, kUnknown});
    offsets_.clear();
  }

  ptrdiff_t stride() const { return stride_; }

  // Where a pattern's pixels lie around its start, edges included.
  struct Box {
    int32_t left, top, right, bottom;
  };

  // Sets the pixels of direction (dx, dy), which Covers, around `origin`;
  // the first time, `record(dx, dy, &offsets)` appends their offsets and
  // answers their box.
  template <class Record>
  void Set(uint32_t* origin, int32_t dx, int32_t dy, uint32_t pixel, Record&& record) {
    const Entry& entry = Prepare(dx, dy, record);
    SetOffsets(origin, offsets_.data() + entry.first, offsets_.data() + entry.end, pixel);
  }

  // The same at (x, y) of `bits` when every pixel of the pattern lies in
  // `area` (right and bottom exclusive); false, with nothing set, otherwise.
  template <class Record>
  bool SetIfWithin(uint32_t* bits, ptrdiff_t stride, int32_t x, int32_t y, int32_t dx, int32_t dy, const Box& area,
                   uint32_t pixel, Record&& record) {
    const Entry& entry = Prepare(dx, dy, record);
    const Box& box = boxes_[IndexOf(dx, dy)];
    if (int64_t{x} + box.left < area.left || int64_t{x} + box.right >= area.right || int64_t{y} + box.top < area.top ||
        int64_t{y} + box.bottom >= area.bottom)
      return false;
    SetOffsets(bits + y * stride + x, offsets_.data() + entry.first, offsets_.data() + entry.end, pixel);
    return true;
  }

  // Sets the segments from points[i - 1] (which lies `within`) on, while the
  // next point lies `within` and its direction's pattern is known; answers
  // the index of the first point not reached (`count` when all are). The
  // common run of a chart's line, in a loop of its own.
  template <class Within>
  int SetKnownRun(uint32_t* bits, ptrdiff_t stride, const PixelPoint* points, int i, int count, uint32_t pixel,
                  const Within& within) const {
    // Few values live across the loop: 32-bit code has few registers.
    const Entry* const centre = entries_.data() + IndexOf(0, 0);
    const ptrdiff_t* const offsets = offsets_.data();
    const PixelPoint* p = points + i;
    const PixelPoint* const end = points + count;
    uint32_t* origin = bits + p[-1].y * stride + p[-1].x;
    for (; p != end; ++p) {
      if (!within(p->x, p->y)) break;  // then dx and dy cannot overflow
      const int32_t dx = p->x - p[-1].x, dy = p->y - p[-1].y;
      if (!Covers(dx, dy)) break;
      const Entry entry = centre[dy * kSide + dx];
      if (entry.first == kUnknown) break;
      SetOffsets(origin, offsets + entry.first, offsets + entry.end, pixel);
      origin += dy * stride + dx;
    }
    return static_cast<int>(p - points);
  }

 private:
  static constexpr int kSide = 2 * kExtent - 1, kCount = kSide * kSide;
  static constexpr int32_t kUnknown = -1;

  struct Entry {
    int32_t first, end;  // of the direction's offsets
  };

  static int IndexOf(int32_t dx, int32_t dy) { return (dy + kExtent - 1) * kSide + dx + kExtent - 1; }

  template <class Record>
  const Entry& Prepare(int32_t dx, int32_t dy, Record&& record) {
    Entry& entry = entries_[IndexOf(dx, dy)];
    if (entry.first == kUnknown) {
      entry.first = static_cast<int32_t>(offsets_.size());
      boxes_[IndexOf(dx, dy)] = record(dx, dy, &offsets_);
      // Padded with its last pixel to whole groups of four: the loop then
      // ends after the same count for most of a line's directions.
      while (offsets_.size() > static_cast<size_t>(entry.first) && (offsets_.size() - entry.first) % 4 != 0)
        offsets_.push_back(offsets_.back());
      entry.end = static_cast<int32_t>(offsets_.size());
    }
    return entry;
  }

  // The offsets come in whole groups of four.
  static void SetOffsets(uint32_t* origin, const ptrdiff_t* offset, const ptrdiff_t* end, uint32_t pixel) {
    for (; offset != end; offset += 4) {
      origin[offset[0]] = pixel;
      origin[offset[1]] = pixel;
      origin[offset[2]] = pixel;
      origin[offset[3]] = pixel;
    }
  }

  int pen_ = 0;
  ptrdiff_t stride_ = 0;
  std::array<Entry, kCount> entries_;
  std::array<Box, kCount> boxes_;
  std::vector<ptrdiff_t> offsets_;
};

// Whether a point lies within [left, right] x [top, bottom], tested on the
// point as given in two comparisons: nothing does when the box is empty.
class WithinBox {
 public:
  WithinBox(int32_t left, int32_t top, int32_t right, int32_t bottom)
      : left_(left),
        top_(top),
        columns_(static_cast<uint32_t>(int64_t{right} - left)),
        rows_(static_cast<uint32_t>(int64_t{bottom} - top)),
        empty_(right < left || bottom < top) {}

  bool operator()(int32_t x, int32_t y) const {
    return !empty_ && static_cast<uint32_t>(x) - static_cast<uint32_t>(left_) <= columns_ &&
           static_cast<uint32_t>(y) - static_cast<uint32_t>(top_) <= rows_;
  }

 private:
  int32_t left_, top_;
  uint32_t columns_, rows_;
  bool empty_;
};

// The patterns of `pen` on bitmaps of `stride`, kept per thread for the last
// few pens and strides drawn with.
inline SegmentPatterns& KeptPatterns(int pen, ptrdiff_t stride) {
  constexpr int kKept = 6;
  struct Kept {
    std::array<SegmentPatterns, kKept> patterns;
    int next = 0;
  };
  static thread_local std::unique_ptr<Kept> kept;
  if (!kept) kept = std::make_unique<Kept>();
  for (SegmentPatterns& patterns : kept->patterns)
    if (patterns.Holds(pen, stride)) return patterns;
  SegmentPatterns& replaced = kept->patterns[kept->next];
  kept->next = (kept->next + 1) % kKept;
  replaced.Reset(pen, stride);
  return replaced;
}

}  // namespace pixel_patterns

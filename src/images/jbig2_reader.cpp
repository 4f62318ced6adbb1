#include "images/jbig2_reader.h"

#include <jbig2.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>

namespace paginor {

namespace {

// What jbig2dec may allocate beyond the bitmap: its segment and decoder state.
constexpr int64_t kReserveBytes = int64_t{16} << 20;

// An allocator that refuses what would take the decoder past its budget. Each block carries
// its size in front, so that freeing and resizing keep the count right.
struct TBudgetAllocator {
  Jbig2Allocator base;  // first, so that jbig2dec's pointer is ours
  int64_t left = 0;
};

constexpr std::size_t kHeader = alignof(std::max_align_t);

void* Allocate(Jbig2Allocator* allocator, size_t size) {
  auto* budget = reinterpret_cast<TBudgetAllocator*>(allocator);
  if (size > static_cast<size_t>(budget->left) || size > SIZE_MAX - kHeader) return nullptr;
  auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
  if (block == nullptr) return nullptr;
  std::memcpy(block, &size, sizeof size);
  budget->left -= static_cast<int64_t>(size);
  return block + kHeader;
}

std::size_t SizeOf(void* p) {
  std::size_t size = 0;
  std::memcpy(&size, static_cast<unsigned char*>(p) - kHeader, sizeof size);
  return size;
}

void Free(Jbig2Allocator* allocator, void* p) {
  if (p == nullptr) return;
  auto* budget = reinterpret_cast<TBudgetAllocator*>(allocator);
  budget->left += static_cast<int64_t>(SizeOf(p));
  std::free(static_cast<unsigned char*>(p) - kHeader);
}

void* Reallocate(Jbig2Allocator* allocator, void* p, size_t size) {
  if (p == nullptr) return Allocate(allocator, size);
  auto* budget = reinterpret_cast<TBudgetAllocator*>(allocator);
  const std::size_t old = SizeOf(p);
  if (size > old && size - old > static_cast<size_t>(budget->left)) return nullptr;
  if (size > SIZE_MAX - kHeader) return nullptr;
  auto* block = static_cast<unsigned char*>(
      std::realloc(static_cast<unsigned char*>(p) - kHeader, size + kHeader));
  if (block == nullptr) return nullptr;
  std::memcpy(block, &size, sizeof size);
  budget->left -= static_cast<int64_t>(size) - static_cast<int64_t>(old);
  return block + kHeader;
}

void Quiet(void* /*data*/, const char* /*message*/, Jbig2Severity /*severity*/,
           uint32_t /*segment*/) {}

struct ContextDeleter {
  void operator()(Jbig2Ctx* ctx) const { jbig2_ctx_free(ctx); }
};
struct GlobalsDeleter {
  void operator()(Jbig2GlobalCtx* globals) const { jbig2_global_ctx_free(globals); }
};
using TContext = std::unique_ptr<Jbig2Ctx, ContextDeleter>;
using TGlobals = std::unique_ptr<Jbig2GlobalCtx, GlobalsDeleter>;

// A page handed out by the decoder, given back when done.
class TPage {
 public:
  TPage(Jbig2Ctx* ctx, Jbig2Image* image) : ctx_(ctx), image_(image) {}
  ~TPage() {
    if (image_ != nullptr) jbig2_release_page(ctx_, image_);
  }
  TPage(const TPage&) = delete;
  TPage& operator=(const TPage&) = delete;
  const Jbig2Image* get() const { return image_; }

 private:
  Jbig2Ctx* ctx_;
  Jbig2Image* image_;
};

const unsigned char* Bytes(std::string_view s) {
  return reinterpret_cast<const unsigned char*>(s.data());
}

uint32_t BigEndian(std::string_view s, std::size_t at, std::size_t bytes) {
  uint32_t value = 0;
  for (std::size_t i = 0; i < bytes; ++i)
    value = value << 8 | static_cast<unsigned char>(s[at + i]);
  return value;
}

// More symbol instances than this in one text region, or more than the region has pixels,
// only keep jbig2dec busy: it places them one by one, whatever the data hold.
constexpr uint64_t kMaxTextInstances = uint64_t{1} << 20;

// Text, halftone, generic and generic refinement regions: intermediate, immediate, lossless.
constexpr int kRegionTypes[] = {4, 6, 7, 20, 22, 23, 36, 38, 39, 40, 42, 43};

bool IsRegion(int type) {
  return std::find(std::begin(kRegionTypes), std::end(kRegionTypes), type) !=
         std::end(kRegionTypes);
}

bool IsTextRegion(int type) {
  return type == 4 || type == 6 || type == 7;
}

// Whether the text region whose data start at `region` asks for more symbol instances than it
// has pixels. After the region information (17 bytes): the text region's flags, its Huffman
// flags and refinement pixels where they are present, then the number of instances.
bool TooManyInstances(std::string_view s, std::size_t region, uint64_t pixels) {
  std::size_t field = region + 17;
  if (field + 2 > s.size()) return false;
  const uint32_t text_flags = BigEndian(s, field, 2);
  field += 2;
  if ((text_flags & 1) != 0) field += 2;
  if ((text_flags & 2) != 0 && (text_flags & 0x8000) == 0) field += 4;
  if (field + 4 > s.size()) return false;
  return BigEndian(s, field, 4) > std::min(pixels, kMaxTextInstances);
}

// Whether the segments of an embedded stream (headers, each followed by its data) ask for
// work in proportion to the picture: the page within max_pixels, no region larger than the
// page (jbig2dec visits every pixel of a region, even outside the page), no text region with
// more symbol instances than pixels. The scan ends at the end of the data or at a segment of
// unknown length.
bool SegmentsWithinReason(std::string_view s, uint64_t max_pixels) {
  uint64_t page_pixels = max_pixels;
  std::size_t at = 0;
  while (at + 6 <= s.size()) {
    const uint32_t number = BigEndian(s, at, 4);
    const auto flags = static_cast<unsigned char>(s[at + 4]);
    const int type = flags & 0x3F;
    std::size_t pos = at + 5;
    uint64_t referred = static_cast<unsigned char>(s[pos]) >> 5;
    if (referred == 7) {  // the long form: a count of 29 bits and a retention bit per segment
      if (pos + 4 > s.size()) return true;
      referred = BigEndian(s, pos, 4) & 0x1FFFFFFF;
      pos += 4 + (referred + 8) / 8;
    } else {
      pos += 1;
    }
    const std::size_t number_size = number <= 256 ? 1 : number <= 65536 ? 2 : 4;
    if (referred > s.size()) return true;  // the data cannot hold them
    pos += static_cast<std::size_t>(referred) * number_size + ((flags & 0x40) != 0 ? 4 : 1);
    if (pos + 4 > s.size()) return true;
    const uint32_t length = BigEndian(s, pos, 4);
    pos += 4;
    if (length == 0xFFFFFFFF) return true;
    // Page information and regions begin with their width and height.
    if ((type == 48 || IsRegion(type)) && pos + 8 <= s.size()) {
      const uint32_t height = BigEndian(s, pos + 4, 4);
      const uint64_t pixels = uint64_t{BigEndian(s, pos, 4)} * height;
      if (type == 48) {
        // All ones: a striped page, whose height comes with its stripes.
        if (height != 0xFFFFFFFF) {
          if (pixels > max_pixels) return false;
          page_pixels = pixels;
        }
      } else if (pixels > page_pixels || (IsTextRegion(type) && TooManyInstances(s, pos, pixels))) {
        return false;
      }
    }
    if (length > s.size() - pos) return true;
    at = pos + length;
  }
  return true;
}

}  // namespace

void ReadJbig2(TDIB& dib, std::string_view data, std::string_view globals, bool inverted,
               int64_t max_bytes) {
  deldib(dib);
  const uint64_t max_pixels = static_cast<uint64_t>(std::max<int64_t>(max_bytes, 0)) * 8;
  if (data.empty() || !SegmentsWithinReason(data, max_pixels) ||
      !SegmentsWithinReason(globals, max_pixels)) {
    return;
  }
  TBudgetAllocator budget{{Allocate, Free, Reallocate},
                          std::max<int64_t>(max_bytes, 0) + kReserveBytes};
  // The globals' context is declared first so that it outlives the page's, which uses it.
  TGlobals global_ctx;
  if (!globals.empty()) {
    Jbig2Ctx* ctx = jbig2_ctx_new(&budget.base, JBIG2_OPTIONS_EMBEDDED, nullptr, Quiet, nullptr);
    if (ctx != nullptr) {
      // A damaged globals stream is still handed on: what it defined may be enough.
      jbig2_data_in(ctx, Bytes(globals), globals.size());
      global_ctx.reset(jbig2_make_global_ctx(ctx));
    }
  }
  TContext ctx(
      jbig2_ctx_new(&budget.base, JBIG2_OPTIONS_EMBEDDED, global_ctx.get(), Quiet, nullptr));
  if (!ctx) return;
  if (jbig2_data_in(ctx.get(), Bytes(data), data.size()) < 0) return;
  jbig2_complete_page(ctx.get());
  const TPage page(ctx.get(), jbig2_page_out(ctx.get()));
  const Jbig2Image* image = page.get();
  if (image == nullptr || image->width == 0 || image->height == 0 || image->data == nullptr ||
      image->width > INT32_MAX || image->height > INT32_MAX ||
      image->stride < (image->width + 7) / 8) {
    return;
  }
  const auto width = static_cast<int32_t>(image->width);
  const auto height = static_cast<int32_t>(image->height);
  if (int64_t{DibRowBytes(width, 1)} * height > max_bytes) return;
  // jbig2dec's 1 bits are black.
  const TRGBQuad white{255, 255, 255, 0};
  const TRGBQuad black{0, 0, 0, 0};
  const TRGBQuad colours[2] = {inverted ? black : white, inverted ? white : black};
  newdib(dib, width, height, 1, colours, 2);
  if (!dib.HasBits()) return;
  const std::size_t row_bytes = (image->width + 7) / 8;
  for (int32_t y = 0; y < height; ++y) {
    std::memcpy(dib.Row(height - 1 - y), image->data + std::size_t{image->stride} * y, row_bytes);
  }
}

}  // namespace paginor

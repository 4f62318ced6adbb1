#include "images/jbig2_reader.h"

#include <jbig2.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
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

}  // namespace

void ReadJbig2(TDIB& dib, std::string_view data, std::string_view globals, bool inverted,
               int64_t max_bytes) {
  deldib(dib);
  if (data.empty()) return;
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

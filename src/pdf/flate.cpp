#include <zlib.h>

#include <algorithm>
#include <climits>

#include "pdf/filters.h"

namespace paginor {

namespace {

// zlib's stream object, ended on every path.
class Inflater {
 public:
  Inflater() { ok_ = inflateInit(&stream_) == Z_OK; }
  ~Inflater() {
    if (ok_) inflateEnd(&stream_);
  }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;
  bool ok() const { return ok_; }
  z_stream& stream() { return stream_; }

 private:
  z_stream stream_{};
  bool ok_ = false;
};

// Whether the stream, its output full, would give at least one more byte.
bool MoreOutput(z_stream& zs, std::string_view data, std::size_t consumed) {
  unsigned char byte = 0;
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data() + consumed));
  zs.avail_in = static_cast<uInt>(std::min<std::size_t>(data.size() - consumed, UINT_MAX));
  zs.next_out = &byte;
  zs.avail_out = 1;
  // Output counts whatever inflate says: a stream whose check value is damaged still gives
  // its bytes, as the main loop keeps them.
  inflate(&zs, Z_NO_FLUSH);
  return zs.avail_out == 0;
}

// One call of inflate from data at consumed into out_chunk bytes at out; false when the stream
// is done: ended, damaged, cut off (what was inflated so far is kept) or used up.
bool InflateStep(z_stream& zs, std::string_view data, std::size_t& consumed, char* out,
                 std::size_t out_chunk, std::size_t& produced) {
  const std::size_t in_chunk = std::min<std::size_t>(data.size() - consumed, UINT_MAX);
  out_chunk = std::min<std::size_t>(out_chunk, UINT_MAX);
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data() + consumed));
  zs.avail_in = static_cast<uInt>(in_chunk);
  zs.next_out = reinterpret_cast<Bytef*>(out);
  zs.avail_out = static_cast<uInt>(out_chunk);
  const int status = inflate(&zs, Z_NO_FLUSH);
  consumed += in_chunk - zs.avail_in;
  produced += out_chunk - zs.avail_out;
  if (status == Z_STREAM_END || status == Z_NEED_DICT || status == Z_DATA_ERROR ||
      status == Z_MEM_ERROR) {
    return false;
  }
  if (status == Z_BUF_ERROR && zs.avail_out != 0) return false;  // input used up, no end mark
  return !(consumed == data.size() && zs.avail_out != 0);
}

}  // namespace

std::string DecodeFlate(std::string_view data, std::size_t limit, bool* limit_reached) {
  if (limit_reached != nullptr) *limit_reached = false;
  std::string out;
  Inflater inflater;
  if (!inflater.ok() || data.empty()) return out;
  z_stream& zs = inflater.stream();
  // The output starts at ten times the input and grows by the input length rounded up to
  // 256 bytes each time it fills, never past the limit.
  const std::size_t step = (data.size() + 255) / 256 * 256;
  out.resize(std::min(limit, data.size() * 10));
  std::size_t produced = 0;
  std::size_t consumed = 0;
  for (;;) {
    if (produced == out.size()) {
      if (out.size() >= limit) {
        if (limit_reached != nullptr) *limit_reached = MoreOutput(zs, data, consumed);
        break;
      }
      out.resize(std::min(limit, out.size() + step));
    }
    if (!InflateStep(zs, data, consumed, out.data() + produced, out.size() - produced, produced))
      break;
  }
  out.resize(produced);
  return out;
}

std::size_t CountFlate(std::string_view data, std::size_t limit) {
  Inflater inflater;
  if (!inflater.ok() || data.empty()) return 0;
  z_stream& zs = inflater.stream();
  // Ends where DecodeFlate's loop ends: the output a piece at a time changes no inflate result.
  std::string piece(std::size_t{64} << 10, '\0');
  std::size_t produced = 0;
  std::size_t consumed = 0;
  while (produced < limit && InflateStep(zs, data, consumed, piece.data(),
                                         std::min(piece.size(), limit - produced), produced)) {
  }
  return produced;
}

}  // namespace paginor

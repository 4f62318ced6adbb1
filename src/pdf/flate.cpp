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
    const std::size_t in_chunk = std::min<std::size_t>(data.size() - consumed, UINT_MAX);
    const std::size_t out_chunk = std::min<std::size_t>(out.size() - produced, UINT_MAX);
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data() + consumed));
    zs.avail_in = static_cast<uInt>(in_chunk);
    zs.next_out = reinterpret_cast<Bytef*>(out.data() + produced);
    zs.avail_out = static_cast<uInt>(out_chunk);
    const int status = inflate(&zs, Z_NO_FLUSH);
    consumed += in_chunk - zs.avail_in;
    produced += out_chunk - zs.avail_out;
    // A damaged or cut-off stream keeps what was inflated so far.
    if (status == Z_STREAM_END || status == Z_NEED_DICT || status == Z_DATA_ERROR ||
        status == Z_MEM_ERROR) {
      break;
    }
    if (status == Z_BUF_ERROR && zs.avail_out != 0) break;  // input used up, no end mark
    if (consumed == data.size() && zs.avail_out != 0) break;
  }
  out.resize(produced);
  return out;
}

}  // namespace paginor

#include "images/netpbm_reader.h"

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

namespace paginor::netpbm {

namespace {

// Reads the header tokens of a PNM file, skipping white space and comments.
class HeaderReader {
 public:
  explicit HeaderReader(std::string_view data) : data_(data) {}

  std::optional<int> Number() {
    SkipSpace();
    if (pos_ >= data_.size() || !std::isdigit(static_cast<unsigned char>(data_[pos_]))) {
      return std::nullopt;
    }
    long value = 0;
    while (pos_ < data_.size() && std::isdigit(static_cast<unsigned char>(data_[pos_]))) {
      value = value * 10 + (data_[pos_++] - '0');
      if (value > 1 << 24) return std::nullopt;
    }
    return static_cast<int>(value);
  }

  // The single white-space byte that ends the header.
  bool EndOfHeader() {
    if (pos_ >= data_.size() || !std::isspace(static_cast<unsigned char>(data_[pos_]))) {
      return false;
    }
    ++pos_;
    return true;
  }

  std::size_t Position() const { return pos_; }

 private:
  void SkipSpace() {
    while (pos_ < data_.size()) {
      if (data_[pos_] == '#') {
        while (pos_ < data_.size() && data_[pos_] != '\n')
          ++pos_;
      } else if (std::isspace(static_cast<unsigned char>(data_[pos_]))) {
        ++pos_;
      } else {
        break;
      }
    }
  }

  std::string_view data_;
  std::size_t pos_ = 0;
};

PnmResult Failure(std::string message) {
  return {std::nullopt, std::move(message)};
}

struct PcloseDeleter {
  void operator()(FILE* f) const { pclose(f); }
};

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text)
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string FileText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

PnmResult ParsePnm(std::string_view data) {
  if (data.size() < 2 || data[0] != 'P') return Failure("no PNM magic number");
  const char kind = data[1];
  if (kind != '4' && kind != '5' && kind != '6') {
    return Failure(std::string("unsupported PNM kind P") + kind);
  }
  HeaderReader header(data.substr(2));
  const std::optional<int> width = header.Number();
  const std::optional<int> height = header.Number();
  const std::optional<int> maxval = kind == '4' ? std::optional<int>(1) : header.Number();
  if (!width || !height || !maxval || *width <= 0 || *height <= 0 || *maxval <= 0 ||
      *maxval > 65535 || !header.EndOfHeader()) {
    return Failure("bad PNM header");
  }
  const std::string_view raster = data.substr(2 + header.Position());
  PnmPicture picture{*width, *height, *maxval, {}};
  const auto w = static_cast<std::size_t>(*width);
  const auto h = static_cast<std::size_t>(*height);
  picture.samples.resize(w * h * 3);
  if (kind == '4') {
    const std::size_t row_bytes = (w + 7) / 8;
    if (raster.size() < row_bytes * h) return Failure("PBM raster too short");
    for (std::size_t y = 0; y < h; ++y) {
      for (std::size_t x = 0; x < w; ++x) {
        const auto byte = static_cast<uint8_t>(raster[y * row_bytes + x / 8]);
        // In PBM a set bit is black.
        const uint16_t v = ((byte >> (7 - x % 8)) & 1) ? 0 : 1;
        for (std::size_t c = 0; c < 3; ++c)
          picture.samples[(y * w + x) * 3 + c] = v;
      }
    }
    return {picture, ""};
  }
  const std::size_t channels = kind == '6' ? 3 : 1;
  const std::size_t sample_bytes = *maxval > 255 ? 2 : 1;
  if (raster.size() < w * h * channels * sample_bytes) return Failure("PNM raster too short");
  for (std::size_t i = 0; i < w * h; ++i) {
    for (std::size_t c = 0; c < 3; ++c) {
      const std::size_t at = (i * channels + (channels == 3 ? c : 0)) * sample_bytes;
      uint16_t v = static_cast<uint8_t>(raster[at]);
      if (sample_bytes == 2)
        v = static_cast<uint16_t>(v << 8 | static_cast<uint8_t>(raster[at + 1]));
      picture.samples[i * 3 + c] = v;
    }
  }
  return {picture, ""};
}

bool ToolOnPath(const std::string& tool) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return false;
  std::string_view dirs(path);
  while (!dirs.empty()) {
    const std::size_t colon = dirs.find(':');
    const std::string dir(dirs.substr(0, colon));
    dirs = colon == std::string_view::npos ? std::string_view() : dirs.substr(colon + 1);
    if (dir.empty()) continue;
    const std::string candidate = dir + "/" + tool;
    if (access(candidate.c_str(), X_OK) == 0) return true;
  }
  return false;
}

PnmResult ReadWithTool(const std::string& tool, const std::filesystem::path& file,
                       const std::vector<std::string>& options) {
  if (!ToolOnPath(tool)) {
    return Failure("netpbm tool '" + tool + "' not found on PATH; install netpbm");
  }
  const std::filesystem::path messages = file.string() + "." + tool + ".stderr";
  std::string command = tool;
  for (const std::string& option : options)
    command += " " + Quoted(option);
  command += " " + Quoted(file.string()) + " 2>" + Quoted(messages.string());
  std::string output;
  int status = -1;
  {
    std::unique_ptr<FILE, PcloseDeleter> pipe(popen(command.c_str(), "r"));
    if (!pipe) return Failure("could not run " + command);
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0)
      output.append(buffer, got);
    status = pclose(pipe.release());
  }
  if (status != 0) {
    return Failure(tool + " failed (status " + std::to_string(status) + "): " + FileText(messages));
  }
  PnmResult result = ParsePnm(output);
  if (!result.picture) result.error = tool + " output: " + result.error + "; " + FileText(messages);
  return result;
}

}  // namespace paginor::netpbm

#include "text/cid_collections.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace paginor {

namespace {

constexpr std::size_t kMaxCids = 65536;

std::string& DataDirectory() {
  static std::string directory = "/usr/share/poppler";
  return directory;
}

// Collection names come from the file: only letters, digits and inner hyphens may name a
// table, so that no name reaches outside its folder.
bool IsCollectionName(std::string_view name) {
  if (name.empty() || name.size() > 64 || name.front() == '-') return false;
  for (const char c : name) {
    const bool alnum = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    if (!alnum && c != '-') return false;
  }
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

TCollectionCharacters ParseCollectionTable(std::string_view text) {
  TCollectionCharacters table;
  std::size_t start = 0;
  while (start < text.size() && table.size() < kMaxCids) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(start, end - start);
    char32_t value = 0;
    std::size_t digits = 0;
    for (const char c : line) {
      const int d = HexDigit(c);
      if (d < 0 || ++digits > 6) break;  // one code point: the first field only
      value = value * 16 + static_cast<char32_t>(d);
    }
    const bool valid =
        digits >= 4 && digits <= 6 && value <= 0x10FFFF && !(value >= 0xD800 && value <= 0xDFFF);
    table.push_back(valid ? value : 0);
    start = end + 1;
  }
  return table;
}

std::shared_ptr<const TCollectionCharacters> CollectionCharacters(std::string_view collection) {
  if (!IsCollectionName(collection)) return nullptr;
  // Kept for the program's run: a handful of tables of at most 256 KiB each.
  static std::map<std::string, std::shared_ptr<const TCollectionCharacters>, std::less<>> loaded;
  const std::string key = DataDirectory() + "/cidToUnicode/" + std::string(collection);
  if (const auto it = loaded.find(key); it != loaded.end()) return it->second;
  std::shared_ptr<const TCollectionCharacters> table;
  std::ifstream in(key, std::ios::binary);
  if (in) {
    std::ostringstream text;
    text << in.rdbuf();
    auto parsed = std::make_shared<TCollectionCharacters>(ParseCollectionTable(text.str()));
    if (!parsed->empty()) table = std::move(parsed);
  }
  loaded.emplace(key, table);
  return table;
}

std::optional<std::string> PredefinedCMapProgram(std::string_view name) {
  if (!IsCollectionName(name)) return std::nullopt;
  constexpr std::uintmax_t kMaxProgram = 4 << 20;  // the largest installed CMaps are ~300 KiB
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::path(DataDirectory()) / "cMap";
  for (const auto& collection : std::filesystem::directory_iterator(folder, error)) {
    const std::filesystem::path path = collection.path() / std::string(name);
    if (!std::filesystem::is_regular_file(path, error)) continue;
    if (std::filesystem::file_size(path, error) > kMaxProgram || error) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  return std::nullopt;
}

std::shared_ptr<const TCodeToCid> PredefinedCodeToCid(std::string_view name) {
  static std::map<std::string, std::shared_ptr<const TCodeToCid>, std::less<>> loaded;
  const std::string key = DataDirectory() + "/" + std::string(name);
  if (const auto it = loaded.find(key); it != loaded.end()) return it->second;
  std::shared_ptr<const TCodeToCid> map;
  if (const auto program = PredefinedCMapProgram(name)) {
    map = std::make_shared<TCodeToCid>(TCodeToCid::Parse(*program, PredefinedCMapProgram));
  }
  loaded.emplace(key, map);
  return map;
}

void SetCollectionDataDirectory(std::string directory) {
  DataDirectory() = std::move(directory);
}

}  // namespace paginor

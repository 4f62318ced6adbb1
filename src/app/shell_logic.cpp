#include "app/shell_logic.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace paginor {

std::vector<std::string> ParseFavourites(std::string_view bytes) {
  std::vector<std::string> folders;
  std::string line;
  bool pending = false;  // a line has begun or ended with a break
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '\x1A') break;
    if (c == '\r' || c == '\n') {
      folders.push_back(line);
      line.clear();
      pending = false;
      if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
      continue;
    }
    line += c;
    pending = true;
  }
  if (pending) folders.push_back(line);
  return folders;
}

std::string FormatFavourites(const std::vector<std::string>& folders) {
  std::string out;
  for (const std::string& folder : folders)
    out += folder + "\r\n";
  return out;
}

void AddToPrefFolders(std::vector<std::string>& folders, const std::string& path) {
  const auto last = std::find(folders.rbegin(), folders.rend(), path);
  if (last != folders.rend()) folders.erase(std::next(last).base());
  folders.insert(folders.begin(), path);
}

std::optional<std::string> ResolveCommandLineFile(const std::string& argument,
                                                  const std::string& current_dir,
                                                  const std::string& program_dir) {
  const std::filesystem::path path(argument);
  std::string extension = path.extension().string();
  for (char& c : extension)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (extension != ".PDF") return std::nullopt;
  if (path.has_parent_path()) return argument;
  const std::filesystem::path here = std::filesystem::path(current_dir) / path;
  std::error_code error;
  if (std::filesystem::exists(here, error)) return here.string();
  return (std::filesystem::path(program_dir) / path).string();
}

int ProgressFillWidth(int panel_width, int percent) {
  return static_cast<int>(static_cast<long long>(panel_width) * percent / 100);
}

}  // namespace paginor

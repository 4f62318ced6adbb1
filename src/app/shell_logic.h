// The main window's rules that need no window: favourite folders, the command line, the
// status bar's progress bar.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace paginor {

// "folders.dat": a line ends at CR (an LF right after it is skipped) or at a lone LF; Ctrl-Z
// ends the file. Every line, empty ones included, is one entry.
std::vector<std::string> ParseFavourites(std::string_view bytes);
// Every entry followed by CR LF, the last one included.
std::string FormatFavourites(const std::vector<std::string>& folders);
// The last entry equal to path moves to the top; a new path is inserted at the top.
void AddToPrefFolders(std::vector<std::string>& folders, const std::string& path);

// The PDF file a command-line argument names: only names ending in ".pdf" in any case; a
// name with a folder part as it is, a bare name from the current folder when it is there,
// else from the program's data folder.
std::optional<std::string> ResolveCommandLineFile(const std::string& argument,
                                                  const std::string& current_dir,
                                                  const std::string& program_dir);

// The width of the navy bar in a panel of the given width: width × percent / 100, cut.
int ProgressFillWidth(int panel_width, int percent);

}  // namespace paginor

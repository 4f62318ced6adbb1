// How every phase of a conversion talks back while it works: status lines for the user, and a
// pump that lets the user interface run and says whether to go on.
#pragma once

#include <functional>
#include <string>

namespace paginor {

// Takes one status line (UTF-8). An empty sink drops it.
using TStatusSink = std::function<void(const std::string&)>;

// Lets the user interface run; false when the user asked to stop. An empty pump goes on.
// The output layer, which stands on nothing of ours, spells the same type out.
using TPumpAndCancel = std::function<bool()>;

}  // namespace paginor

// The image links that stand in the document's text for pictures: <img src="bild007.jpg"
// border=0>, as the interpreter writes them.
#pragma once

#include <cstddef>
#include <string_view>

namespace paginor {

struct TImageLinkAt {
  std::size_t Length = 0;  // 0: no link at that place
  int Number = 0;          // the picture's number, from 1
};

// The image link that begins at text[at], if one does.
TImageLinkAt ImageLinkAt(std::string_view text, std::size_t at);

}  // namespace paginor

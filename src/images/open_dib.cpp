#include "images/pixolet.h"
#include "images/readers.h"

namespace paginor {

void OpenDib(TDIB& dib, std::string_view file_bytes) {
  deldib(dib);
  if (file_bytes.size() >= 2 && static_cast<unsigned char>(file_bytes[0]) == 0xFF &&
      static_cast<unsigned char>(file_bytes[1]) == 0xD8) {
    ReadJpeg(dib, file_bytes);
  } else if (file_bytes.starts_with("II*") ||
             file_bytes.starts_with(std::string_view("MM\0*", 4))) {
    ReadTiff(dib, file_bytes);
  }
}

}  // namespace paginor

// The width tables behind StandardWidth.
#pragma once

#include <array>
#include <cstdint>

namespace paginor {

extern const std::array<uint16_t, 224> kStandardWidthsSansRegular;
extern const std::array<uint16_t, 224> kStandardWidthsSansBold;
extern const std::array<uint16_t, 224> kStandardWidthsSerifRegular;
extern const std::array<uint16_t, 224> kStandardWidthsSerifBold;
extern const std::array<uint16_t, 224> kStandardWidthsSerifItalic;
extern const std::array<uint16_t, 224> kStandardWidthsSerifBoldItalic;

}  // namespace paginor

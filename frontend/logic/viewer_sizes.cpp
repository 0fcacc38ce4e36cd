#include "frontend/logic/viewer_sizes.h"

#include <cstdint>

namespace dalvo {

std::string FileSizeLine(std::string_view name, std::uint64_t bytes) {
  std::string line(name);
  line += "  -  ";
  line += std::to_string(bytes);
  line += " bytes.";
  return line;
}

Size ViewerTextBoxSize(Size outer_twips) {
  return {outer_twips.width > 360 ? outer_twips.width - 360 : 0,
          outer_twips.height > 800 ? outer_twips.height - 800 : 0};
}

}  // namespace dalvo

#include "frontend/logic/engine_args.h"

namespace dalvo {

std::vector<std::string> GenerateArgs(bool verses129) {
  return {"-awo", "g", verses129 ? "2" : "1"};
}

std::vector<std::string> DivideArgs(const std::string& input, const std::string& report) {
  return {"-awo", "d", "19", input, report};
}

}  // namespace dalvo

#include "app/start_options.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace velmora {

bool IsGuardStart(const std::vector<std::string>& args) {
  constexpr std::string_view kGuard = "/guard";
  return std::any_of(args.begin(), args.end(), [&](const std::string& arg) {
    return std::equal(arg.begin(), arg.end(), kGuard.begin(), kGuard.end(),
                      [](char a, char b) {
                        return std::tolower(static_cast<unsigned char>(a)) == b;
                      });
  });
}

}  // namespace velmora

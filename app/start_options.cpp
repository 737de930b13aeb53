#include "app/start_options.h"

#include <algorithm>
#include <string_view>

namespace velmora {

bool IsGuardStart(const std::vector<std::string>& args) {
  constexpr std::string_view kGuard = "/guard";
  return std::any_of(args.begin(), args.end(), [&](const std::string& arg) {
    return std::equal(arg.begin(), arg.end(), kGuard.begin(), kGuard.end(),
                      [](char a, char b) {
                        if (a >= 'A' && a <= 'Z') a = static_cast<char>(a + 32);
                        return a == b;
                      });
  });
}

}  // namespace velmora

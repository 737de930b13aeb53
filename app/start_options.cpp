#include "app/start_options.h"

#include <algorithm>
#include <optional>
#include <string_view>

namespace velmora {
namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return lower;
}

std::optional<StartKind> CommandOf(const std::string& arg) {
  const std::string lower = Lower(arg);
  if (lower == "/scan") return StartKind::Scan;
  if (lower == "/remove") return StartKind::Remove;
  if (lower == "/repair") return StartKind::Repair;
  if (lower == "/?") return StartKind::Usage;
  return std::nullopt;
}

// "e:" or "E:\" -> "E:".
std::optional<std::string> DriveOf(const std::string& arg) {
  if (arg.size() < 2 || arg.size() > 3 || arg[1] != ':') return std::nullopt;
  if (arg.size() == 3 && arg[2] != '\\') return std::nullopt;
  const char letter = Lower(arg.substr(0, 1))[0];
  if (letter < 'a' || letter > 'z') return std::nullopt;
  return std::string{static_cast<char>(letter - 32), ':'};
}

StartOptions Bad(std::string problem) {
  return {StartKind::BadArguments, {}, std::move(problem)};
}

StartOptions ParseCommand(const std::vector<std::string>& args) {
  StartOptions options;
  bool have_command = false, yes = false;
  for (const std::string& arg : args) {
    if (const auto command = CommandOf(arg)) {
      if (have_command) return Bad("more than one command: " + arg);
      have_command = true;
      options.kind = *command;
    } else if (const auto drive = DriveOf(arg)) {
      if (std::find(options.drives.begin(), options.drives.end(), *drive) ==
          options.drives.end())
        options.drives.push_back(*drive);
    } else if (Lower(arg) == "/yes") {
      yes = true;
    } else {
      return Bad("not understood: " + arg);
    }
  }
  if (options.kind == StartKind::Usage &&
      (!options.drives.empty() || yes || args.size() > 1))
    return Bad("/? takes nothing else");
  if (yes && options.kind != StartKind::Repair)
    return Bad("/yes belongs to /repair");
  if (options.kind == StartKind::Repair) {
    if (options.drives.size() != 1)
      return Bad("/repair takes exactly one drive");
    if (!yes) return Bad("/repair needs /yes: a command-line run asks nothing");
  }
  return options;
}

}  // namespace

StartOptions ParseStart(const std::vector<std::string>& args) {
  if (std::any_of(args.begin(), args.end(),
                  [](const std::string& arg) { return CommandOf(arg); }))
    return ParseCommand(args);
  const bool guard = std::any_of(
      args.begin(), args.end(),
      [](const std::string& arg) { return Lower(arg) == "/guard"; });
  return {guard ? StartKind::Guard : StartKind::Window, {}, {}};
}

}  // namespace velmora

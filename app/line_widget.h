// A list control without a window: each row added goes straight to a
// callback, so that the log lines of the search reach a command line's
// output as they are written. It has the members of a list box only; the
// others throw std::logic_error, as a real control of that kind does.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace velmora {

class LineWidget final : public Widget {
 public:
  explicit LineWidget(std::function<void(const std::string&)> on_line)
      : on_line_(std::move(on_line)) {}

  void AddRow(const std::string& row) override { on_line_(row); }
  // Rows already written cannot be taken back: none are kept.
  void SetRows(const std::vector<std::string>& rows) override {
    for (const std::string& row : rows) on_line_(row);
  }
  std::vector<std::string> Rows() const override { return {}; }

  void SetText(const std::string&) override { Lacks(); }
  std::string Text() const override { Lacks(); }
  int Selected() const override { Lacks(); }
  void Select(int) override { Lacks(); }
  int Value() const override { Lacks(); }
  void SetValue(int) override { Lacks(); }
  void SetRunning(bool) override { Lacks(); }
  void SetHandler(Handler) override { Lacks(); }
  // Every control can be disabled; with no window, that changes nothing.
  void SetEnabled(bool enabled) override { enabled_ = enabled; }
  bool Enabled() const override { return enabled_; }

 private:
  [[noreturn]] static void Lacks() {
    throw std::logic_error("a line list has rows only");
  }
  std::function<void(const std::string&)> on_line_;
  bool enabled_ = true;
};

}  // namespace velmora

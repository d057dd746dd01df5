#pragma once
// The program's error: a message meant for the default error box. Probes and
// handlers throw it; guards and the window's error box catch it.
#include <exception>
#include <string>

namespace qf {

class AppError : public std::exception {
 public:
  explicit AppError(std::wstring message) : message_(std::move(message)) {}
  const std::wstring& Message() const noexcept { return message_; }
  const char* what() const noexcept override { return "AppError"; }

 private:
  std::wstring message_;
};

}  // namespace qf

#pragma once

#include <stdexcept>
#include <string>

// The base of every error a command reports. The message is UTF-8 text for
// the user; the application object shows it and the program carries on.
class Exception : public std::runtime_error {
  public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

// A text that is not a number.
class EConvertError : public Exception {
  public:
    using Exception::Exception;
};

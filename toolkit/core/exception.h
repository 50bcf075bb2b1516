#pragma once

#include <exception>
#include <string>

// Base of every exception the program raises: an object with a message text.
class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : Message(std::move(message)) {}
  const char* what() const noexcept override { return Message.c_str(); }

  std::string Message;
};

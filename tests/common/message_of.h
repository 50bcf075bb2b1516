#pragma once

#include <exception>
#include <string>

// The message of the exception f throws, or "no error".
template <class F>
std::string MessageOf(F&& f) {
  try {
    f();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "no error";
}

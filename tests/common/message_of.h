#pragma once

#include <exception>
#include <string>

// The message of the E that f throws, or "no error"; another exception goes on and fails the test.
template <class E = std::exception, class F>
std::string MessageOf(F&& f) {
  try {
    f();
  } catch (const E& e) {
    return e.what();
  }
  return "no error";
}

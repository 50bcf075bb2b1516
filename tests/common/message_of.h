#pragma once

#include <exception>
#include <string>

// The message of the E that f throws, or "no error". An exception of another
// type goes on to the test, which fails with it.
template <class E = std::exception, class F>
std::string MessageOf(F&& f) {
  try {
    f();
  } catch (const E& e) {
    return e.what();
  }
  return "no error";
}

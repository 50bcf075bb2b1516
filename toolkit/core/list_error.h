#pragma once

#include "toolkit/core/exception.h"

#include <string>

// Raised by the toolkit's lists and collections for an index outside 0 .. count - 1.
class EListError : public Exception {
 public:
  using Exception::Exception;
  static EListError IndexOutOfBounds(int Index) {
    return EListError("List index out of bounds (" + std::to_string(Index) + ")");
  }
};

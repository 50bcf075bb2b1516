#pragma once

#include "toolkit/core/exception.h"

// Raised by the text-to-number and date/time conversions.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

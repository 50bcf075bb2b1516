#include "toolkit/core/exception.h"

#include <gtest/gtest.h>

TEST(Exception, CarriesItsMessage) {
  try { throw Exception("Unable to write to x.ini"); }
  catch (const std::exception& e) { EXPECT_STREQ(e.what(), "Unable to write to x.ini"); }
}

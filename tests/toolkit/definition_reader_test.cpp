// Shared by the string grid and the grid control: one bound for integers, messages that name the key.

#include "toolkit/widgets/definition_reader.h"

#include <gtest/gtest.h>

#include "tests/common/message_of.h"

TEST(DefinitionReader, IntegersUpToAThousandMillionAndListsOfThem) {
  const QJsonObject o{{"max", 1000000000}, {"min", -1000000000}, {"over", 1000000001},
                      {"int32", 2147483647}, {"half", 1.5},      {"text", "4"}};
  const TDefinitionReader r(o, "Properties");
  EXPECT_EQ(std::tuple(r.Int("max"), r.Int("min")), std::tuple(1000000000, -1000000000));
  for (const std::string key : {"over", "int32", "half", "text", "missing"})
    EXPECT_EQ(MessageOf([&] { r.Int(key.c_str()); }), "Grid definition: Properties." + key + " must be an integer");
  const QJsonObject lists{{"widths", QJsonArray{64, 0, -3}}, {"one", 64}, {"mixed", QJsonArray{1, "x"}},
                          {"huge", QJsonArray{1, 2000000000}}};
  const TDefinitionReader d(lists, "Defined");
  EXPECT_EQ(d.Ints("widths"), (std::vector<int>{64, 0, -3}));
  EXPECT_EQ(MessageOf([&] { d.Ints("one"); }), "Grid definition: Defined.one must be a list");
  EXPECT_EQ(MessageOf([&] { d.Ints("mixed"); }), "Grid definition: Defined.mixed must hold integers");
  EXPECT_EQ(MessageOf([&] { d.Ints("huge"); }), "Grid definition: Defined.huge must hold integers");
}

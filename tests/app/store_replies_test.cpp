// The store's replies read without a window: summary, a message's fields and time, the clock reference.

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "app/clock_reference.h"
#include "app/store_replies.h"
#include "tests/common/files.h"
#include "tests/common/message_of.h"
#include "toolkit/core/convert_error.h"

namespace {

TEST(StoreSummary, FieldsOfTheSummaryReplyAndCountsTheModemCannotNumber) {
  EXPECT_EQ(ParseStoreSummary("100,0,3,0,2,0,1,0"), (TStoreSummary{5, true, true, false}));
  EXPECT_EQ(ParseStoreSummary("99,7,0,7,1,7,0,3,extra,fields"), (TStoreSummary{1, false, false, true}));
  EXPECT_EQ(ParseStoreSummary("0,0,999,0,0,0,0,0").MsgCount, 999);
  EXPECT_THROW(ParseStoreSummary(""), EConvertError);
  EXPECT_THROW(ParseStoreSummary("0,0,3,0,2,0,1"), EConvertError) << "field 8 missing";
  EXPECT_EQ(MessageOf<EConvertError>([] { ParseStoreSummary("0,0,3,0,2a,0,1,0"); }),
            "'2a' is not a valid integer value");

  // Counts outside what the modem can number are malformed.
  for (const char* reply : {"0,0,1000,0,0,0,0,0", "0,0,0,0,1000,0,0,0", "0,0,600,0,400,0,0,0", "0,0,-1,0,0,0,0,0",
                            "0,0,5,0,-5,0,0,0", "0,0,2147483647,0,2147483647,0,0,0"})
    EXPECT_THROW(ParseStoreSummary(reply), EConvertError) << reply;
  EXPECT_EQ(ParseStoreSummary("0,0,500,0,499,0,0,0").MsgCount, 999);
}

TEST(MessageReply, CellsAsSoonAsKnownAndTheStampAfterThem) {
  std::vector<std::pair<int, QString>> cells;
  auto record = [&](int column, const QString& text) { cells.emplace_back(column, text); };

  TMessageStamp s = ReadMessageReply("001,002,014,000,000,000,009,012", record);
  EXPECT_EQ(cells, (std::vector<std::pair<int, QString>>{{1, "Voice"}, {2, "14 sec."}}));
  EXPECT_EQ(std::vector<int>({s.Days, s.Hours, s.Minutes}), std::vector<int>({0, 9, 12}));

  // A malformed length: the type is shown already, the length is not.
  cells.clear();
  EXPECT_THROW(ReadMessageReply("002,001,x", record), EConvertError);
  EXPECT_EQ(cells, (std::vector<std::pair<int, QString>>{{1, "Fax"}}));

  // A code of no known type has no length field: the stamp is fields 6 to 8.
  cells.clear();
  s = ReadMessageReply("003,009,4,5,6,7,8,9", record);
  EXPECT_EQ(cells, (std::vector<std::pair<int, QString>>{{1, "Undef"}, {2, ""}}));
  EXPECT_EQ(std::vector<int>({s.Days, s.Hours, s.Minutes}), std::vector<int>({7, 8, 9}));

  EXPECT_THROW(ReceiveTimeText({0, 24, 0}, EncodeDate(2026, 12, 7)), EConvertError);
  EXPECT_EQ(ReceiveTimeText({1, 0, 0}, EncodeDate(2026, 12, 7) + EncodeTime(23, 30, 0, 0)),
            ReceiveTimeText({0, 23, 30}, EncodeDate(2026, 12, 8)));
  // A reference so late that the stamp falls beyond the calendar: no time.
  EXPECT_EQ(ReceiveTimeText({1, 0, 0}, EncodeDate(9999, 12, 31)), std::nullopt);
}

TEST(ClockReference, AReferenceSplitOverTwoSectionsReadsAsWrittenAndIsMended) {
  QTemporaryDir dir;
  const std::string file = dir.filePath("OrvixManager.ini").toStdString();
  // As the first run of an earlier version wrote it.
  std::ofstream(file) << "[General]\nDeviceName=com1\n\n[ClockReset]\nDate=2026,12,8\n\n[ClockReset]\nTime=9,5\n";
  EXPECT_EQ(ReadClockReference(file), EncodeDate(2026, 12, 8) + EncodeTime(9, 5, 0, 0));
  WriteClockReference(EncodeDate(2026, 12, 9) + EncodeTime(10, 0, 0, 0), file);
  EXPECT_EQ(orvix::test::ReadFile(file), "[General]\nDeviceName=com1\n\n[ClockReset]\nDate=2026,12,9\nTime=10,0\n");
}

}  // namespace

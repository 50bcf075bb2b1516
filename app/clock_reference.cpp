#include "app/clock_reference.h"

#include "app/utils.h"
#include "toolkit/core/ini_profile.h"

namespace {

const char* const kSection = "ClockReset";

}  // namespace

void WriteClockReference(TDateTime reference, const std::string& file) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
  DecodeDate(reference, year, month, day);
  DecodeTime(reference, hour, minute, second, msec);
  // One replacement for both: a Date without its Time would shift every
  // receive time by hours.
  WritePrivateProfileStrings(kSection,
                             {{"Date", std::to_string(year) + "," + std::to_string(month) + "," + std::to_string(day)},
                              {"Time", std::to_string(hour) + "," + std::to_string(minute)}},
                             file);
}

TDateTime ReadClockReference(const std::string& file) {
  // Earlier versions wrote Time into a [ClockReset] section of its own after
  // the one holding Date; such a file still reads as it was meant.
  const TProfileSections settings(file, {kSection});
  std::string time = settings.StringInAnySection(kSection, "Time", "", 1024);
  const int hour = NextNumber(time);
  const int minute = NextNumber(time);
  std::string date = settings.StringInAnySection(kSection, "Date", "", 1024);
  const int year = NextNumber(date);
  const int month = NextNumber(date);
  const int day = NextNumber(date);
  return EncodeDate(year, month, day) + EncodeTime(hour, minute, 0, 0);
}

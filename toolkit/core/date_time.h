#pragma once

#include <QLocale>
#include <optional>
#include <string>

#include "toolkit/core/convert_error.h"

// Whole days since 30 December 1899; the fraction is the time of day. Before
// that day the value is negative while the fraction still counts forward from
// midnight: -1.25 is 29 December 1899, 06:00.
using TDateTime = double;

// Raise EConvertError "Invalid argument to date encode" / "... time encode".
// Years 1..9999; hours 0..23, minutes and seconds 0..59, milliseconds 0..999.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int msec);
bool TryEncodeDate(int year, int month, int day, TDateTime& result);
bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& result);

// Both round the value to the nearest millisecond first, so a sum of a date and
// a time that lands a hair below a whole minute decodes as that minute.
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& msec);

// The current local date and time.
TDateTime Now();

// The locale whose formats FormatDateTime uses: QLocale::system() unless a
// test has chosen another one (std::nullopt goes back to the system's).
QLocale FormatLocale();
void SetFormatLocale(std::optional<QLocale> locale);

// FormatDateTime of format_date_time.h in FormatLocale(); text is UTF-8.
std::string FormatDateTime(const std::string& format, TDateTime value);

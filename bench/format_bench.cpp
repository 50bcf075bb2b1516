// Cost of one call of each display conversion, as a grid cell paint makes them
// (text to value, then value to text by the column's pattern).
//   build/bench/format_bench [-n calls]

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <cstdio>
#include <cstring>
#include <functional>

#include "toolkit/core/format_date_time.h"
#include "toolkit/core/format_float.h"
#include "toolkit/core/str_to_date_time.h"
#include "toolkit/core/str_to_float.h"

namespace {

volatile double Sink = 0;

void Measure(const char* what, int calls, const std::function<void()>& call) {
  for (int i = 0; i < calls / 10; ++i) call();  // warm-up
  QElapsedTimer timer;
  timer.start();
  for (int i = 0; i < calls; ++i) call();
  std::printf("%-44s %8.2f us\n", what, timer.nsecsElapsed() / 1000.0 / calls);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  int calls = 100000;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "-n") == 0) calls = std::atoi(argv[i + 1]);

  const QLocale en(QLocale::English, QLocale::UnitedStates);
  const QString numeric = R"("$"#,##0.00;("$"#,##0.00))";
  const QString when = "12/7/2026 9:05:09 PM";
  const TDateTime value = StrToDateTime(when, en);
  std::printf("%d calls each, en_US\n", calls);
  Measure("StrToFloat(\"-1234.5\")", calls, [&] { Sink = StrToFloat("-1234.5", en); });
  Measure("FormatFloat(numeric with parentheses)", calls, [&] { Sink = FormatFloat(numeric, -1234.5, en).size(); });
  Measure("FormatFloat(\"0.00E+00\")", calls, [&] { Sink = FormatFloat("0.00E+00", 1234.5, en).size(); });
  Measure("StrToDateTime(\"12/7/2026 9:05:09 PM\")", calls, [&] { Sink = StrToDateTime(when, en); });
  Measure("FormatDateTime(\"mm/dd/yy h:nn:ss ampm\")", calls,
          [&] { Sink = FormatDateTime("mm/dd/yy h:nn:ss ampm", value, en).size(); });
  double v = 0;
  Measure("TryStrToFloat(\"abc\") (refused)", calls, [&] { Sink = TryStrToFloat("abc", v, en); });
  Measure("StrToFloat(\"abc\") (raises)", calls, [&] {
    try {
      Sink = StrToFloat("abc", en);
    } catch (const EConvertError&) {
    }
  });
  return 0;
}

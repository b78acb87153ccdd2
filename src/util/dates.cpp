#include "util/dates.h"

#include <chrono>
#include <ctime>

namespace corv {

double DayNumber(int year, int month, int day) {
  using namespace std::chrono;
  sys_days d = year_month_day{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
                              std::chrono::day{static_cast<unsigned>(day)}};
  sys_days epoch = year_month_day{std::chrono::year{1899}, December, std::chrono::day{30}};
  return static_cast<double>((d - epoch).count());
}

double DayNumberNow() {
  std::time_t t = std::time(nullptr);
  std::tm lt{};
  localtime_r(&t, &lt);
  double day = DayNumber(lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday);
  return day + (lt.tm_hour * 3600 + lt.tm_min * 60 + lt.tm_sec) / 86400.0;
}

}  // namespace corv

#pragma once
// Day numbers: whole part = days since 30 December 1899, fraction = time of day;
// 0 means no date (the program's convention for dates and timestamps).
namespace corv {

// Day number of a calendar date (proleptic Gregorian).
double DayNumber(int year, int month, int day);
// The current local date and time as a day number.
double DayNumberNow();

}  // namespace corv

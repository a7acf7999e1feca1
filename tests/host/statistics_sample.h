// Test helper: a statistics sheet as its view fills it (month, year,
// category, sum) over two months and three categories, and its month chart.
// November 2026: 1 500 + 300,50; December 2026: 1 130,50 + 80 + 120.
#pragma once

#include "platform/host/host.h"

namespace kassa::host::testing {

inline Chart MonthChart() {
  Chart c;
  c.name = "Chart_Category";
  c.title = "Расходы по месяцам";
  c.label_first = 1;
  c.label_last = 2;
  c.series_column = 3;
  c.value_column = 4;
  return c;
}

inline void FillStatistics(Worksheet& s, bool chart = true) {
  const char* header[] = {"NAME_MONTH", "YEAR_ON", "Category", "SUM_RUB"};
  const double widths[] = {12, 8, 40, 12};
  for (int c = 0; c < 4; ++c) {
    s.Cells(1, c + 1).Value(Variant::Text(header[c]));
    s.ColumnWidth(c + 1, widths[c]);
  }
  s.Rows(1).Font().Bold(true);  // a whole bold row: a format, not values
  struct Row {
    const char* month;
    const char* category;
    double sum;
  } rows[] = {{"Ноябрь", "ПРОД / Продукты", 1500},
              {"Ноябрь", "ТРАН / Транспорт", 300.5},
              {"Декабрь", "ПРОД / Продукты", 1130.5},
              {"Декабрь", "ХОЗ / Хозяйство", 80},
              {"Декабрь", "ТРАН / Транспорт", 120}};
  long r = 2;
  for (const Row& row : rows) {
    s.Cells(r, 1).Value(Variant::Text(row.month));
    s.Cells(r, 2).Value(Variant::Number(2026));
    s.Cells(r, 3).Value(Variant::Text(row.category));
    s.Cells(r, 4).Value(Variant::Number(row.sum));
    ++r;
  }
  if (chart) s.charts().push_back(MonthChart());
}

}  // namespace kassa::host::testing

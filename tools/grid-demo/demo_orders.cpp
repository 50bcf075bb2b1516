#include "tools/grid-demo/demo_orders.h"

#include "toolkit/core/str_to_date_time.h"
#include "toolkit/core/str_to_float.h"

#include <algorithm>
#include <numeric>
#include <optional>

const std::vector<TDemoOrder>& DemoOrders() {
  static const std::vector<TDemoOrder> orders{
      {"Apple", 120, 18.5, 42.0, "Greenfield Farms", "Italy", -6, 9, "Shipped", "Crates on pallets"},
      {"Banana", 300, 54.0, 61.5, "Tropic Trade", "Ecuador", -3, 14, "Shipped", ""},
      {"Cherry", 40, 4.2, 96.8, "Orchard Union", "Turkey", -1, 7, "Packed", "Cooled"},
      {"Apricot", 75, 6.75, 31.25, "Greenfield Farms", "Spain", 0, 11, "Packed", ""},
      {"Blueberry", 1200, 1.44, 88.0, "North Berries", "Canada", 1, 16, "Open", "Small punnets"},
      {"Grape", 60, 30.0, -12.5, "Vineyard Co-op", "Italy", 2, 10, "Open", "Credit note"},
      {"Kiwi", 500, 35.5, 47.9, "Southern Cross", "New Zealand", 3, 8, "Open", ""},
      {"Lemon", 250, 27.0, 19.99, "Citrus Line", "Spain", 4, 13, "Open", "Unwaxed"},
      {"Mango", 90, 31.5, 112.0, "Tropic Trade", "India", 5, 15, "Open", ""},
      {"Orange", 1500, 270.0, 315.0, "Citrus Line", "Morocco", 6, 9, "Open", "Juice grade"},
      {"Pear", 110, 19.8, 38.5, "Orchard Union", "Belgium", 8, 12, "Open", ""},
      {"Plum", 35, 2.1, 9.45, "Orchard Union", "Germany", 10, 17, "Open", "Sample only"},
  };
  return orders;
}

const QStringList& DemoFruits() {
  static const QStringList fruits{"Apple",  "Apricot", "Banana", "Blackberry", "Blueberry", "Cherry",
                                  "Grape",  "Kiwi",    "Lemon",  "Lime",       "Mango",     "Orange",
                                  "Papaya", "Pear",    "Plum",   "Raspberry",  "Strawberry"};
  return fruits;
}

const QStringList& DemoCountries() {
  static const QStringList countries{"Belgium", "Brazil",  "Canada",  "Chile",       "Ecuador", "France",
                                     "Germany", "Greece",  "India",   "Italy",       "Morocco", "Netherlands",
                                     "New Zealand", "Peru", "Portugal", "South Africa", "Spain",  "Turkey"};
  return countries;
}

const QStringList& DemoSuppliers() {
  static const QStringList suppliers{"Citrus Line",   "Greenfield Farms", "North Berries", "Orchard Union",
                                     "Southern Cross", "Tropic Trade",    "Vineyard Co-op"};
  return suppliers;
}

const QStringList& DemoStatuses() {
  static const QStringList statuses{"Open", "Packed", "Shipped"};
  return statuses;
}

namespace {

std::optional<double> SortValue(const QString& text, TSortKind kind) {
  if (text.trimmed().isEmpty()) return std::nullopt;
  double value = 0;
  if (kind == TSortKind::skNumber) {
    if (TryStrToFloat(text, value)) return value;
    return std::nullopt;
  }
  if (TryStrToDateTime(text, value)) return value;
  return std::nullopt;
}

}  // namespace

std::vector<int> SortedOrder(const QStringList& Keys, TSortKind Kind, bool Descending) {
  std::vector<int> order(Keys.size());
  std::iota(order.begin(), order.end(), 0);
  if (Kind == TSortKind::skText) {
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
      const bool emptyA = Keys[a].isEmpty(), emptyB = Keys[b].isEmpty();
      if (emptyA != emptyB) return emptyB;
      const int c = Keys[a].compare(Keys[b], Qt::CaseInsensitive);
      return Descending ? c > 0 : c < 0;
    });
    return order;
  }
  std::vector<std::optional<double>> values;
  values.reserve(Keys.size());
  for (const QString& k : Keys) values.push_back(SortValue(k, Kind));
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    if (values[a].has_value() != values[b].has_value()) return values[a].has_value();
    if (!values[a]) return false;
    return Descending ? *values[a] > *values[b] : *values[a] < *values[b];
  });
  return order;
}

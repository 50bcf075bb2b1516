#pragma once

// The showcase's sample data: a dozen fruit orders, and how its columns
// compare when the rows are sorted by one of them.

#include <QString>
#include <QStringList>

#include <vector>

// The grid columns of the showcase, in their first order.
enum TDemoColumn : int {
  dcNo,
  dcFruit,
  dcQuantity,
  dcWeight,
  dcPrice,
  dcSupplier,
  dcCountry,
  dcDelivered,
  dcStatus,
  dcNotes,
  dcCount
};

struct TDemoOrder {
  QString Fruit;
  int Quantity = 0;
  double Weight = 0;
  double Price = 0;
  QString Supplier;
  QString Country;
  int DeliveredInDays = 0;  // from today
  int DeliveredAtHour = 8;
  QString Status;
  QString Notes;
};

const std::vector<TDemoOrder>& DemoOrders();
const QStringList& DemoFruits();
const QStringList& DemoCountries();
const QStringList& DemoSuppliers();
const QStringList& DemoStatuses();

// How the texts of a column compare: as numbers, as dates, or as text
// without regard to case. Texts that are not what the column holds (empty
// ones among them) come last either way.
enum class TSortKind { skText, skNumber, skDateTime };
// The indexes of Keys in sorted order; equal keys keep their order.
std::vector<int> SortedOrder(const QStringList& Keys, TSortKind Kind, bool Descending);

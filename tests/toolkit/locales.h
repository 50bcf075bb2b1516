#pragma once

#include <QLocale>
#include <QString>
#include <ostream>

// The locales the format tests name; each test says which one it uses.
inline QLocale English() { return QLocale(QLocale::English, QLocale::UnitedStates); }
inline QLocale German() { return QLocale(QLocale::German, QLocale::Germany); }
inline QLocale French() { return QLocale(QLocale::French, QLocale::France); }
inline QLocale Finnish() { return QLocale(QLocale::Finnish, QLocale::Finland); }
inline QLocale Dutch() { return QLocale(QLocale::Dutch, QLocale::Netherlands); }
inline QLocale Japanese() { return QLocale(QLocale::Japanese, QLocale::Japan); }
inline QLocale Korean() { return QLocale(QLocale::Korean, QLocale::SouthKorea); }
inline QLocale Hungarian() { return QLocale(QLocale::Hungarian, QLocale::Hungary); }
inline QLocale CanadianFrench() { return QLocale(QLocale::French, QLocale::Canada); }
inline QLocale Arabic() { return QLocale(QLocale::Arabic, QLocale::Egypt); }

// Makes a locale the default for one test and puts the previous one back.
struct DefaultLocale {
  explicit DefaultLocale(const QLocale& locale) { QLocale::setDefault(locale); }
  ~DefaultLocale() { QLocale::setDefault(saved_); }
  DefaultLocale(const DefaultLocale&) = delete;
  DefaultLocale& operator=(const DefaultLocale&) = delete;

 private:
  QLocale saved_;
};

// Test failures show texts as text.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

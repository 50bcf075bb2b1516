#pragma once

#include <QString>

#include <functional>

// The window definitions name the fonts of a Windows desktop, which Linux
// does not have; fontconfig would then fall back to DejaVu Sans, about a fifth
// wider, and the texts would crowd their fixed sizes. Each known family is
// replaced by a metric-compatible one Debian packages (fonts-liberation2),
// and by the desktop's own sans, serif or monospace font when that is missing
// too. An installed family, or one not in the table, is kept.
using TFamilyInstalled = std::function<bool(const QString& family)>;
QString SubstituteFontFamily(const QString& family);
// The same, asking `installed` which families exist.
QString SubstituteFontFamily(const QString& family, const TFamilyInstalled& installed);

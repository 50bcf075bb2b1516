#include "toolkit/widgets/string_grid.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

const char* const kScrollStyleNames[] = {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"};

int ReadInt(const QJsonObject& o, const char* key) {
  const QJsonValue v = o.value(QLatin1String(key));
  const double d = v.toDouble(std::nan(""));
  if (!v.isDouble() || d != std::floor(d) || std::abs(d) > 1e9)
    throw EInvalidGridDefinition(std::string("Grid definition: ") + key + " must be an integer");
  return static_cast<int>(d);
}

// A definition is data: a count no real grid comes near must be refused
// rather than make the grid allocate gigabytes for it.
constexpr int kMaxDefinitionCount = 1000000;

int ReadCount(const QJsonObject& o, const char* key) {
  const int n = ReadInt(o, key);
  if (n > kMaxDefinitionCount)
    throw EInvalidGridDefinition(std::string("Grid definition: ") + key + " above " +
                                 std::to_string(kMaxDefinitionCount));
  return n;
}

bool ReadBool(const QJsonObject& o, const char* key) {
  const QJsonValue v = o.value(QLatin1String(key));
  if (!v.isBool()) throw EInvalidGridDefinition(std::string("Grid definition: ") + key + " must be true or false");
  return v.toBool();
}

QColor ReadColor(const QJsonObject& o, const char* key) {
  const QColor c = QColor::fromString(o.value(QLatin1String(key)).toString());
  if (!c.isValid()) throw EInvalidGridDefinition(std::string("Grid definition: ") + key + " must be a colour");
  return c;
}

std::vector<int> ReadIntArray(const QJsonValue& value, const char* name) {
  if (!value.isArray()) throw EInvalidGridDefinition(std::string("Grid definition: ") + name + " must be a list");
  std::vector<int> out;
  for (const QJsonValue& v : value.toArray()) {
    const double d = v.toDouble(std::nan(""));
    if (!v.isDouble() || d != std::floor(d) || std::abs(d) > 1e9)
      throw EInvalidGridDefinition(std::string("Grid definition: ") + name + " must hold integers");
    out.push_back(static_cast<int>(d));
  }
  return out;
}

}  // namespace

void TGridDefinitionFiler::DefineProperty(const QString& Name, TReader ReadData, TWriter WriteData,
                                          bool HasData) {
  entries_.push_back({Name, std::move(ReadData), std::move(WriteData), HasData});
}

// --- saved definition -----------------------------------------------------------------

void TStringGrid::WriteProperties(QJsonObject& properties) const {
  properties.insert("ColCount", ColCount());
  properties.insert("RowCount", RowCount());
  properties.insert("FixedCols", fixedCols_);
  properties.insert("FixedRows", fixedRows_);
  properties.insert("DefaultColWidth", defaultColWidth_);
  properties.insert("DefaultRowHeight", defaultRowHeight_);
  properties.insert("GridLineWidth", gridLineWidth_);
  QJsonArray options;
  for (TGridOption o : kAllGridOptions)
    if (options_.Contains(o)) options.append(GridOptionName(o));
  properties.insert("Options", options);
  properties.insert("DefaultDrawing", defaultDrawing_);
  properties.insert("ScrollBars", QString::fromLatin1(kScrollStyleNames[static_cast<int>(scrollBars_)]));
  properties.insert("Enabled", isEnabled());
  properties.insert("Color", color_.name());
  properties.insert("FixedColor", fixedColor_.name());
  properties.insert("Hint", Hint());
}

void TStringGrid::ReadProperties(const QJsonObject& p) {
  // Counts before fixed counts, default sizes after counts.
  if (p.contains("ColCount")) SetColCount(ReadCount(p, "ColCount"));
  if (p.contains("RowCount")) SetRowCount(ReadCount(p, "RowCount"));
  if (p.contains("FixedCols")) SetFixedCols(ReadInt(p, "FixedCols"));
  if (p.contains("FixedRows")) SetFixedRows(ReadInt(p, "FixedRows"));
  if (p.contains("DefaultColWidth")) SetDefaultColWidth(ReadInt(p, "DefaultColWidth"));
  if (p.contains("DefaultRowHeight")) SetDefaultRowHeight(ReadInt(p, "DefaultRowHeight"));
  if (p.contains("GridLineWidth")) SetGridLineWidth(ReadInt(p, "GridLineWidth"));
  if (p.contains("Options")) {
    const QJsonValue v = p.value("Options");
    if (!v.isArray()) throw EInvalidGridDefinition("Grid definition: Options must be a list");
    TGridOptions options;
    for (const QJsonValue& name : v.toArray()) {
      const auto o = GridOptionFromName(name.toString());
      if (!o) throw EInvalidGridDefinition("Grid definition: unknown option " + name.toString().toStdString());
      options.Include(*o);
    }
    SetOptions(options);
  }
  if (p.contains("DefaultDrawing")) SetDefaultDrawing(ReadBool(p, "DefaultDrawing"));
  if (p.contains("ScrollBars")) {
    const QString name = p.value("ScrollBars").toString();
    const auto* it = std::find_if(std::begin(kScrollStyleNames), std::end(kScrollStyleNames),
                                  [&](const char* n) { return name == QLatin1String(n); });
    if (it == std::end(kScrollStyleNames))
      throw EInvalidGridDefinition("Grid definition: unknown scroll bar style " + name.toStdString());
    SetScrollBars(static_cast<TScrollStyle>(it - std::begin(kScrollStyleNames)));
  }
  if (p.contains("Enabled")) SetEnabled(ReadBool(p, "Enabled"));
  if (p.contains("Color")) SetColor(ReadColor(p, "Color"));
  if (p.contains("FixedColor")) SetFixedColor(ReadColor(p, "FixedColor"));
  if (p.contains("Hint")) {
    if (!p.value("Hint").isString()) throw EInvalidGridDefinition("Grid definition: Hint must be a text");
    SetHint(p.value("Hint").toString());
  }
}

void TStringGrid::DefineProperties(TGridDefinitionFiler& Filer) {
  const bool colsDiffer =
      std::any_of(colWidths_.begin(), colWidths_.end(), [&](int w) { return w != defaultColWidth_; });
  Filer.DefineProperty(
      "ColWidths",
      [this](const QJsonValue& v) {
        const std::vector<int> widths = ReadIntArray(v, "ColWidths");
        for (int c = 0; c < static_cast<int>(widths.size()) && c < ColCount(); ++c) SetColWidths(c, widths[c]);
      },
      [this] {
        QJsonArray a;
        for (int w : colWidths_) a.append(w);
        return QJsonValue(a);
      },
      colsDiffer);
  const bool rowsDiffer =
      std::any_of(rowHeights_.begin(), rowHeights_.end(), [&](int h) { return h != defaultRowHeight_; });
  Filer.DefineProperty(
      "RowHeights",
      [this](const QJsonValue& v) {
        const std::vector<int> heights = ReadIntArray(v, "RowHeights");
        for (int r = 0; r < static_cast<int>(heights.size()) && r < RowCount(); ++r) SetRowHeights(r, heights[r]);
      },
      [this] {
        QJsonArray a;
        for (int h : rowHeights_) a.append(h);
        return QJsonValue(a);
      },
      rowsDiffer);
}

QJsonObject TStringGrid::SaveDefinition() const {
  QJsonObject properties;
  WriteProperties(properties);
  TGridDefinitionFiler filer;
  const_cast<TStringGrid*>(this)->DefineProperties(filer);
  QJsonObject defined;
  for (const auto& e : filer.Entries())
    if (e.HasData && e.Write) defined.insert(e.Name, e.Write());
  QJsonObject definition;
  definition.insert("Properties", properties);
  definition.insert("Defined", defined);
  return definition;
}

void TStringGrid::LoadDefinition(const QJsonObject& definition) {
  struct TLoadingFlag {
    bool& flag;
    explicit TLoadingFlag(bool& f) : flag(f) { flag = true; }
    ~TLoadingFlag() { flag = false; }
  };
  {
    TLoadingFlag loading(loading_);
    if (definition.contains("Properties")) {
      if (!definition.value("Properties").isObject())
        throw EInvalidGridDefinition("Grid definition: Properties must be an object");
      ReadProperties(definition.value("Properties").toObject());
    }
    if (definition.contains("Defined")) {
      if (!definition.value("Defined").isObject())
        throw EInvalidGridDefinition("Grid definition: Defined must be an object");
      const QJsonObject defined = definition.value("Defined").toObject();
      TGridDefinitionFiler filer;
      DefineProperties(filer);
      for (const auto& e : filer.Entries())
        if (defined.contains(e.Name) && e.Read) e.Read(defined.value(e.Name));
    }
  }
  Loaded();
}

QByteArray TStringGrid::SaveDefinitionText() const {
  return QJsonDocument(SaveDefinition()).toJson(QJsonDocument::Indented);
}

void TStringGrid::LoadDefinitionText(const QByteArray& text) {
  QJsonParseError error{};
  const QJsonDocument doc = QJsonDocument::fromJson(text, &error);
  if (error.error != QJsonParseError::NoError)
    throw EInvalidGridDefinition("Grid definition is not valid JSON: " + error.errorString().toStdString());
  if (!doc.isObject()) throw EInvalidGridDefinition("Grid definition must be a JSON object");
  LoadDefinition(doc.object());
}

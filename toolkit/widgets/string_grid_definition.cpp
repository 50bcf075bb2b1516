#include "toolkit/widgets/string_grid.h"

#include "toolkit/widgets/definition_reader.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <iterator>

namespace {

const char* const kScrollStyleNames[] = {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"};

// A definition is data: a count no real grid comes near must be refused
// rather than make the grid allocate gigabytes for it.
constexpr int kMaxDefinitionCount = 1000000;

int ReadCount(const TDefinitionReader& r, const char* key) {
  const int n = r.Int(key);
  if (n > kMaxDefinitionCount) r.Fail(key, "above " + std::to_string(kMaxDefinitionCount));
  return n;
}

QColor ReadColor(const TDefinitionReader& r, const char* key) {
  const QColor c = QColor::fromString(r.Value(key).toString());
  if (!c.isValid()) r.Fail(key, "must be a colour");
  return c;
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
  const TDefinitionReader r(p, QStringLiteral("Properties"));
  // Counts before fixed counts, default sizes after counts.
  if (r.Has("ColCount")) SetColCount(ReadCount(r, "ColCount"));
  if (r.Has("RowCount")) SetRowCount(ReadCount(r, "RowCount"));
  if (r.Has("FixedCols")) SetFixedCols(r.Int("FixedCols"));
  if (r.Has("FixedRows")) SetFixedRows(r.Int("FixedRows"));
  if (r.Has("DefaultColWidth")) SetDefaultColWidth(r.Int("DefaultColWidth"));
  if (r.Has("DefaultRowHeight")) SetDefaultRowHeight(r.Int("DefaultRowHeight"));
  if (r.Has("GridLineWidth")) SetGridLineWidth(r.Int("GridLineWidth"));
  if (r.Has("Options")) {
    const QJsonValue v = r.Value("Options");
    if (!v.isArray()) r.Fail("Options", "must be a list");
    TGridOptions options;
    for (const QJsonValue& name : v.toArray()) {
      const auto o = GridOptionFromName(name.toString());
      if (!o) r.Fail("Options", "holds an unknown option " + name.toString().toStdString());
      options.Include(*o);
    }
    SetOptions(options);
  }
  if (r.Has("DefaultDrawing")) SetDefaultDrawing(r.Bool("DefaultDrawing"));
  if (r.Has("ScrollBars")) {
    const QString name = r.Value("ScrollBars").toString();
    const auto* it = std::find_if(std::begin(kScrollStyleNames), std::end(kScrollStyleNames),
                                  [&](const char* n) { return name == QLatin1String(n); });
    if (it == std::end(kScrollStyleNames))
      r.Fail("ScrollBars", "is no scroll bar style: " + name.toStdString());
    SetScrollBars(static_cast<TScrollStyle>(it - std::begin(kScrollStyleNames)));
  }
  if (r.Has("Enabled")) SetEnabled(r.Bool("Enabled"));
  if (r.Has("Color")) SetColor(ReadColor(r, "Color"));
  if (r.Has("FixedColor")) SetFixedColor(ReadColor(r, "FixedColor"));
  if (r.Has("Hint")) SetHint(r.String("Hint"));
}

void TStringGrid::DefineProperties(TGridDefinitionFiler& Filer) {
  const bool colsDiffer =
      std::any_of(colWidths_.begin(), colWidths_.end(), [&](int w) { return w != defaultColWidth_; });
  Filer.DefineProperty(
      "ColWidths",
      [this](const QJsonValue& v) {
        const QJsonObject holder{{"ColWidths", v}};
        const std::vector<int> widths = TDefinitionReader(holder, QStringLiteral("Defined")).Ints("ColWidths");
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
        const QJsonObject holder{{"RowHeights", v}};
        const std::vector<int> heights = TDefinitionReader(holder, QStringLiteral("Defined")).Ints("RowHeights");
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

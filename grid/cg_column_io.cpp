#include "grid/cg_column_io.h"

#include "grid/cg_definition_values.h"
#include "toolkit/widgets/string_grid.h"

namespace {

using enum TcgControlType;

QJsonObject BorderToJson(const TcgBorder& b) {
  QJsonObject o;
  o.insert("Style", EnumName(b.Style()));
  o.insert("Width", b.Width());
  o.insert("Color", ColorToJson(b.Color()));
  return o;
}

// A border read whole, then copied in through the item's setter.
struct TReadBorder : TcgBorder {
  TReadBorder(const TDefinitionReader& parent, const char* key) {
    const QJsonObject o = parent.Object(key);
    const TDefinitionReader r(o, parent.Where(key));
    if (r.Has("Style")) SetStyle(r.Enum<TcgBorderStyle>("Style"));
    if (r.Has("Width")) SetWidth(r.Int("Width"));
    if (r.Has("Color")) SetColor(r.Color("Color"));
  }
};

void WriteHeadingKeys(const TcgHeading& h, QJsonObject& o) {
  o.insert("Caption", h.Caption());
  o.insert("Name", h.Name());
  if (h.TitleHAlignment() != TAlignment::taCenter) o.insert("TitleHAlignment", EnumName(h.TitleHAlignment()));
  if (h.TitleVAlignment() != TcgVAlignment::cgvaCenter) o.insert("TitleVAlignment", EnumName(h.TitleVAlignment()));
  if (h.TitleColor() != clBtnFace) o.insert("TitleColor", ColorToJson(h.TitleColor()));
  if (!h.TitleParentFont()) {
    o.insert("TitleFont", FontToJson(h.TitleFont()));
    o.insert("TitleParentFont", false);
  }
  if (h.TitleClipStyle() != TcgClipStyle::cgclpWrap) o.insert("TitleClipStyle", EnumName(h.TitleClipStyle()));
  if (h.TitleInnerBevel() != TPanelBevel::bvNone) o.insert("TitleInnerBevel", EnumName(h.TitleInnerBevel()));
  if (h.TitleOuterBevel() != TPanelBevel::bvRaised) o.insert("TitleOuterBevel", EnumName(h.TitleOuterBevel()));
  const std::pair<const char*, const TcgBorder*> borders[] = {{"TopBorder", &h.TopBorder()},
                                                              {"BottomBorder", &h.BottomBorder()},
                                                              {"LeftBorder", &h.LeftBorder()},
                                                              {"RightBorder", &h.RightBorder()}};
  for (const auto& [key, border] : borders)
    if (border->Style() != TcgBorderStyle::cgbrdNone) o.insert(key, BorderToJson(*border));
}

void WriteColumnKeys(const TcgColumn& c, QJsonObject& o) {
  const bool combo = c.ControlType().Contains(cgctlComboBox);
  const bool button = c.ControlType().Contains(cgctlButton);
  const bool customButton = button && c.ButtonStyle() == TcgButtonStyle::cgbstCustom;
  const bool formatted = c.FormatType() != TcgFormatType::cgfmtNone;
  if (!c.ControlType().Empty()) o.insert("ControlType", SetToJson(c.ControlType()));
  if (!c.Visible()) o.insert("Visible", false);
  if (c.ReadOnly()) o.insert("ReadOnly", true);
  if (c.MaxTextLength() != 0) o.insert("MaxTextLength", c.MaxTextLength());
  if (c.ColumnHAlignment() != TAlignment::taLeftJustify) o.insert("ColumnHAlignment", EnumName(c.ColumnHAlignment()));
  if (c.ColumnVAlignment() != TcgVAlignment::cgvaTop) o.insert("ColumnVAlignment", EnumName(c.ColumnVAlignment()));
  if (c.ColumnColor() != clWindow) o.insert("ColumnColor", ColorToJson(c.ColumnColor()));
  if (!c.ColumnParentFont()) {
    o.insert("ColumnFont", FontToJson(c.ColumnFont()));
    o.insert("ColumnParentFont", false);
  }
  if (c.ColumnClipStyle() != TcgClipStyle::cgclpEllipsis) o.insert("ColumnClipStyle", EnumName(c.ColumnClipStyle()));
  if (c.ColumnInnerBevel() != TPanelBevel::bvNone) o.insert("ColumnInnerBevel", EnumName(c.ColumnInnerBevel()));
  if (c.ColumnOuterBevel() != TPanelBevel::bvNone) o.insert("ColumnOuterBevel", EnumName(c.ColumnOuterBevel()));
  if (combo) {
    o.insert("Items", StringsToJson(c.Items().List()));
    o.insert("AutoSuggest", c.AutoSuggest());
    o.insert("ComboMaxWidth", c.ComboMaxWidth());
    o.insert("DropDownCount", c.DropDownCount());
  }
  if (button) o.insert("ButtonStyle", EnumName(c.ButtonStyle()));
  if (customButton) {
    o.insert("ButtonPicture", PictureToJson(c.ButtonPicture()));
    o.insert("DrawButtonface", c.DrawButtonface());
    o.insert("ButtonVAlignment", EnumName(c.ButtonVAlignment()));
  }
  if (c.HeadingIndex() != -1) o.insert("HeadingIndex", c.HeadingIndex());
  if (formatted) {
    o.insert("FormatType", EnumName(c.FormatType()));
    o.insert("Decimals", c.Decimals());
    o.insert("Prefix", c.Prefix());
    o.insert("ThousandsSeparator", c.ThousandsSeparator());
    o.insert("NegativeParenthesis", c.NegativeParenthesis());
  }
  if (c.FormatType() == TcgFormatType::cgfmtDateTime) {
    o.insert("DateFormat", c.DateFormat());
    o.insert("TimeFormat", c.TimeFormat());
  }
}

}  // namespace

QJsonObject WriteHeading(const TcgHeading& Heading) {
  QJsonObject o;
  WriteHeadingKeys(Heading, o);
  return o;
}

QJsonObject WriteColumn(const TcgColumn& Column) {
  QJsonObject o;
  WriteHeadingKeys(Column, o);
  WriteColumnKeys(Column, o);
  return o;
}

void ReadHeading(TcgHeading& h, const QJsonObject& Saved, const QString& Where) {
  const TDefinitionReader r(Saved, Where);
  if (r.Has("Caption")) h.SetCaption(r.String("Caption"));
  if (r.Has("Name")) h.SetName(r.String("Name"));
  if (r.Has("TitleHAlignment")) h.SetTitleHAlignment(r.Enum<TAlignment>("TitleHAlignment"));
  if (r.Has("TitleVAlignment")) h.SetTitleVAlignment(r.Enum<TcgVAlignment>("TitleVAlignment"));
  if (r.Has("TitleColor")) h.SetTitleColor(r.Color("TitleColor"));
  if (r.Has("TitleFont")) {
    TFont font;
    r.Font("TitleFont", font);
    h.SetTitleFont(font);
  }
  if (r.Has("TitleParentFont")) h.SetTitleParentFont(r.Bool("TitleParentFont"));
  if (r.Has("TitleClipStyle")) h.SetTitleClipStyle(r.Enum<TcgClipStyle>("TitleClipStyle"));
  if (r.Has("TitleInnerBevel")) h.SetTitleInnerBevel(r.Enum<TPanelBevel>("TitleInnerBevel"));
  if (r.Has("TitleOuterBevel")) h.SetTitleOuterBevel(r.Enum<TPanelBevel>("TitleOuterBevel"));
  if (r.Has("TopBorder")) h.SetTopBorder(TReadBorder(r, "TopBorder"));
  if (r.Has("BottomBorder")) h.SetBottomBorder(TReadBorder(r, "BottomBorder"));
  if (r.Has("LeftBorder")) h.SetLeftBorder(TReadBorder(r, "LeftBorder"));
  if (r.Has("RightBorder")) h.SetRightBorder(TReadBorder(r, "RightBorder"));
}

void ReadColumn(TcgColumn& c, const QJsonObject& Saved, const QString& Where) {
  ReadHeading(c, Saved, Where);
  const TDefinitionReader r(Saved, Where);
  if (r.Has("ControlType")) c.SetControlType(r.Set<TcgControlType, std::uint8_t>("ControlType"));
  if (r.Has("Visible")) c.SetVisible(r.Bool("Visible"));
  if (r.Has("ReadOnly")) c.SetReadOnly(r.Bool("ReadOnly"));
  if (r.Has("MaxTextLength")) c.SetMaxTextLength(r.Int("MaxTextLength"));
  if (r.Has("ColumnHAlignment")) c.SetColumnHAlignment(r.Enum<TAlignment>("ColumnHAlignment"));
  if (r.Has("ColumnVAlignment")) c.SetColumnVAlignment(r.Enum<TcgVAlignment>("ColumnVAlignment"));
  if (r.Has("ColumnColor")) c.SetColumnColor(r.Color("ColumnColor"));
  if (r.Has("ColumnFont")) {
    TFont font;
    r.Font("ColumnFont", font);
    c.SetColumnFont(font);
  }
  if (r.Has("ColumnParentFont")) c.SetColumnParentFont(r.Bool("ColumnParentFont"));
  if (r.Has("ColumnClipStyle")) c.SetColumnClipStyle(r.Enum<TcgClipStyle>("ColumnClipStyle"));
  if (r.Has("ColumnInnerBevel")) c.SetColumnInnerBevel(r.Enum<TPanelBevel>("ColumnInnerBevel"));
  if (r.Has("ColumnOuterBevel")) c.SetColumnOuterBevel(r.Enum<TPanelBevel>("ColumnOuterBevel"));
  if (r.Has("Items")) c.SetItems(TStringList(r.Strings("Items")));
  if (r.Has("AutoSuggest")) c.SetAutoSuggest(r.Bool("AutoSuggest"));
  if (r.Has("ComboMaxWidth")) c.SetComboMaxWidth(r.Bool("ComboMaxWidth"));
  if (r.Has("DropDownCount")) c.SetDropDownCount(r.Int("DropDownCount"));
  if (r.Has("ButtonStyle")) c.SetButtonStyle(r.Enum<TcgButtonStyle>("ButtonStyle"));
  if (r.Has("ButtonPicture")) {
    TPicture picture;
    r.Picture("ButtonPicture", picture);
    c.SetButtonPicture(picture);
  }
  if (r.Has("DrawButtonface")) c.SetDrawButtonface(r.Bool("DrawButtonface"));
  if (r.Has("ButtonVAlignment")) c.SetButtonVAlignment(r.Enum<TcgVAlignment>("ButtonVAlignment"));
  if (r.Has("HeadingIndex")) c.SetHeadingIndex(r.Int("HeadingIndex"));
  if (r.Has("FormatType")) c.SetFormatType(r.Enum<TcgFormatType>("FormatType"));
  if (r.Has("Decimals")) c.SetDecimals(r.Int("Decimals"));
  if (r.Has("Prefix")) c.SetPrefix(r.String("Prefix"));
  if (r.Has("ThousandsSeparator")) c.SetThousandsSeparator(r.Bool("ThousandsSeparator"));
  if (r.Has("NegativeParenthesis")) c.SetNegativeParenthesis(r.Bool("NegativeParenthesis"));
  if (r.Has("DateFormat")) c.SetDateFormat(r.Int("DateFormat"));
  if (r.Has("TimeFormat")) c.SetTimeFormat(r.Int("TimeFormat"));
}

QJsonArray WriteHeadings(const TcgHeadings& Items) {
  QJsonArray a;
  for (int i = 0; i < Items.Count(); ++i) {
    const TcgHeading* item = Items.Items(i);
    const auto* column = dynamic_cast<const TcgColumn*>(item);
    a.append(column ? WriteColumn(*column) : WriteHeading(*item));
  }
  return a;
}

namespace {

void ReadItems(TcgHeadings& Items, const QJsonArray& saved, const QString& Where) {
  Items.Clear();
  for (qsizetype i = 0; i < saved.size(); ++i) {
    const QString where = QStringLiteral("%1[%2]").arg(Where).arg(i);
    if (!saved[i].isObject())
      throw EInvalidGridDefinition("Grid definition: " + where.toStdString() + " must be an object");
    auto* item = static_cast<TcgHeading*>(Items.TCollection::Add());
    if (auto* column = dynamic_cast<TcgColumn*>(item))
      ReadColumn(*column, saved[i].toObject(), where);
    else
      ReadHeading(*item, saved[i].toObject(), where);
  }
}

}  // namespace

void ReadHeadings(TcgHeadings& Items, const QJsonValue& Saved, const QString& Where) {
  if (!Saved.isArray())
    throw EInvalidGridDefinition("Grid definition: " + Where.toStdString() + " must be a list");
  const QJsonArray saved = Saved.toArray();
  // A list that cannot be read must not cost the items there are: read it
  // once where nobody listens, then for real.
  TcgHeadings scratch(Items.ItemClass());
  ReadItems(scratch, saved, Where);
  ReadItems(Items, saved, Where);
}

#pragma once

// The grid control's saved values: the member names of its enumerations and
// the writers of values the string grid does not have (the form of each is
// described in toolkit/widgets/definition_reader.h, whose TDefinitionReader
// reads them back).

#include "grid/cg_global.h"
#include "toolkit/widgets/definition_reader.h"

ORVIX_ENUM_NAMES(TAlignment, "taLeftJustify", "taRightJustify", "taCenter");
ORVIX_ENUM_NAMES(TPanelBevel, "bvNone", "bvLowered", "bvRaised");
ORVIX_ENUM_NAMES(TcgVAlignment, "cgvaTop", "cgvaCenter", "cgvaBottom");
ORVIX_ENUM_NAMES(TcgClipStyle, "cgclpClip", "cgclpEllipsis", "cgclpWrap");
ORVIX_ENUM_NAMES(TcgButtonStyle, "cgbstEllipsis", "cgbstDropDown", "cgbstCustom");
ORVIX_ENUM_NAMES(TcgFormatType, "cgfmtNone", "cgfmtNumeric", "cgfmtDateTime", "cgfmtScientific");
ORVIX_ENUM_NAMES(TcgBorderStyle, "cgbrdNone", "cgbrdSolid", "cgbrdDash", "cgbrdDot", "cgbrdDashDot",
                 "cgbrdDashDotDot", "cgbrdDouble");
ORVIX_ENUM_NAMES(TcgControlType, "cgctlComboBox", "cgctlButton");

QJsonValue ColorToJson(TColor Color);
QJsonObject FontToJson(const TFont& Font);
QJsonObject PictureToJson(const TPicture& Picture);
QJsonArray StringsToJson(const QStringList& Strings);

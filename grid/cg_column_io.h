#pragma once

// Columns and headings in the grid's saved definition (the JSON the string
// grid writes; see cg_definition_values.h for the form of each value).
//
// Writing follows the save conditions: a property with a value at creation
// is written only when it differs from it (Caption and Name always); a
// property with a condition (Items with a combo box, the button settings
// with a button, the format details with a format, a font while its
// ParentFont flag is False) is written whenever the condition holds.
//
// Reading sets the properties through their setters in the order of the
// property tables, a key that is missing leaving its property as it is. A
// font comes before its ParentFont flag: loading the font clears the flag,
// and the flag's own saved value follows. Because the setters run,
// OnItemChange fires as for any change; a grid that binds it may want to
// hold its reaction while it loads. A value of the wrong kind raises
// EInvalidGridDefinition naming the item and the key.

#include "grid/cg_column.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>

QJsonObject WriteHeading(const TcgHeading& Heading);
QJsonObject WriteColumn(const TcgColumn& Column);  // the heading's keys, then the column's
void ReadHeading(TcgHeading& Heading, const QJsonObject& Saved, const QString& Where = QStringLiteral("Heading"));
void ReadColumn(TcgColumn& Column, const QJsonObject& Saved, const QString& Where = QStringLiteral("Column"));

// A collection as a list, each item written by its own class. Reading
// replaces the items by new items of the collection's class (named as saved,
// not by Add); a list that cannot be read leaves the items as they were.
// Where names the collection in messages ("Columns").
QJsonArray WriteHeadings(const TcgHeadings& Items);
void ReadHeadings(TcgHeadings& Items, const QJsonValue& Saved, const QString& Where);

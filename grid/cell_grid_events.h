#pragma once

// The grid control's own sets and enumerations and the types of its events.
// Every event receives the control as Sender; a parameter passed by
// non-const reference is in/out: the handler may change it.

#include "grid/cg_column.h"
#include "toolkit/core/flag_set.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>

class TPersistent;

enum class TcgOption : std::uint8_t { cgoptDrawFocusRectangle, cgoptHighlightSelection };
using TcgOptions = TFlagSet<TcgOption, std::uint8_t>;

// The first three mirror the base grid's draw state; cgcsHeading marks a
// spanning heading band rather than a cell.
enum class TcgCellState : std::uint8_t { cgcsSelected, cgcsFocused, cgcsFixed, cgcsHeading };
using TcgCellStates = TFlagSet<TcgCellState, std::uint8_t>;

enum class TcgImagePosition : std::uint8_t { cgipLeft, cgipRight, cgipTop, cgipBottom };

using TcgOnButtonClick = std::function<void(QObject* Sender, int ACol, int ARow)>;
using TcgOnConversionError =
    std::function<void(QObject* Sender, int ACol, int ARow, TcgColumn* Column, QString& S)>;
using TcgOnGetDisplayText =
    std::function<void(QObject* Sender, int ACol, int ARow, TcgColumn* Column, QString& S, bool& Convert)>;
// ACol and ARow are both -1 for a heading band.
using TcgOnChangeCellBorders =
    std::function<void(QObject* Sender, int ACol, int ARow, TcgHeading* Column, TcgCellStates State,
                       TcgBorder& TopBorder, TcgBorder& RightBorder, TcgBorder& BottomBorder, TcgBorder& LeftBorder)>;
using TcgOnChangeCellAttributes =
    std::function<void(QObject* Sender, int ACol, int ARow, TcgHeading* Column, TcgCellStates State, TColor& AColor,
                       TFont& AFont, TAlignment& HAlign, TcgVAlignment& VAlign, TPanelBevel& OuterBevel,
                       TPanelBevel& InnerBevel)>;
// X and Y in client coordinates; HeadingIndex -1 for a plain fixed cell.
using TcgOnFixedCellClick =
    std::function<void(QObject* Sender, int ACol, int ARow, int HeadingIndex, Qt::MouseButton Button,
                       Qt::KeyboardModifiers Shift, int X, int Y)>;
using TcgOnGetSuggestion =
    std::function<void(QObject* Sender, int ACol, int ARow, const QString& CellText, QString& Suggestion)>;
using TcgOnGetReadOnly = std::function<void(QObject* Sender, int ACol, int ARow, bool& ReadOnly)>;
// PictureOrImageList: a TPicture or a TImageList, or nullptr for no image.
using TcgOnGetCellImage =
    std::function<void(QObject* Sender, int ACol, int ARow, int HeadingIndex, TPersistent*& PictureOrImageList,
                       int& ImageIndex, TcgImagePosition& Position, TAlignment& HAlign, TcgVAlignment& VAlign,
                       int& Margin)>;
using TcgOnExitCell = std::function<void(QObject* Sender, int ACol, int ARow, bool& CanExit)>;
using TcgOnEnterCell = std::function<void(QObject* Sender, int ACol, int ARow)>;

#include "grid/cg_edit.h"

#include "grid/cell_grid.h"
#include "grid/cg_hint_grid.h"

#include <QFontMetrics>

namespace {

// Only a to z are compared without case: other letters must match exactly.
QString CapitalsAtoZ(QString text) {
  for (QChar& c : text)
    if (c >= u'a' && c <= u'z') c = QChar(c.unicode() - u'a' + u'A');
  return text;
}

// Spaces only, as the classic Trim of the typed text: other blanks count.
QString TrimSpaces(const QString& text) {
  qsizetype first = 0, last = text.size();
  while (first < last && text.at(first) == u' ') ++first;
  while (last > first && text.at(last - 1) == u' ') --last;
  return text.mid(first, last - first);
}

}  // namespace

void TCgInplaceEdit::UpdateSuggestion() {
  TCellGrid* grid = CellGrid();
  const TcgColumn* column = CurrentColumn();
  const QString text = EditText();
  if (HasDropDown && column->AutoSuggest()) {
    const QString typed = CapitalsAtoZ(TrimSpaces(text));
    QString suggestion;
    if (!typed.isEmpty()) {
      for (const QString& item : column->Items().List()) {
        if (BeginsWith(typed, CapitalsAtoZ(item))) {
          suggestion = item;
          break;
        }
      }
    }
    if (suggestion.isEmpty() || suggestion == text)
      SuggestionHint->HideHint();
    else
      ShowSuggestion(suggestion);
    return;
  }
  if (!grid->OnGetSuggestion) return;
  QString suggestion;
  grid->OnGetSuggestion(grid, grid->Col(), grid->Row(), text, suggestion);
  if (suggestion.isEmpty())
    SuggestionHint->HideHint();
  else
    ShowSuggestion(suggestion);
}

void TCgInplaceEdit::ShowSuggestion(const QString& Text) {
  if (TrimSpaces(Text).isEmpty()) {
    SuggestionHint->HideHint();
    return;
  }
  if (SuggestionHint->isVisible()) {
    SuggestionHint->SetCaption(Text);  // resizes to the new text
    SuggestionHint->update();
    return;
  }
  SuggestionHint->ActivateHint(SuggestionPlace(), Text);
}

TRect TCgInplaceEdit::SuggestionPlace() const {
  const int t = QFontMetrics(SuggestionHint->font()).height();
  const QPoint p = mapToGlobal(QPoint(TextRect.Left + 4, TextRect.Top - (t + 8)));
  return TRect{p.x(), p.y(), 0, 0};
}

void TCgInplaceEdit::AcceptSuggestion() {
  // A read-only cell keeps its text, whatever is suggested for it.
  if (!SuggestionVisible() || ReadOnly() || !CanModify()) return;
  TCellGrid* grid = CellGrid();
  SetEditText(SuggestionHint->Caption());
  grid->SetCells(grid->Col(), grid->Row(), EditText());
}

bool TCgInplaceEdit::SuggestionVisible() const { return SuggestionHint && SuggestionHint->isVisible(); }

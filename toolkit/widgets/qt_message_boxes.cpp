#include "toolkit/widgets/qt_message_boxes.h"

#include <QApplication>
#include <QGridLayout>
#include <QPushButton>
#include <QTextDocument>

#include <algorithm>

#include "toolkit/widgets/application.h"

namespace {

const char* const IndexProperty = "orvixButtonIndex";
constexpr int MaxDetailWidth = 480;

QMessageBox::Icon IconOf(TMsgBoxType type) {
  switch (type) {
    case TMsgBoxType::mbtError: return QMessageBox::Critical;
    case TMsgBoxType::mbtWarning: return QMessageBox::Warning;
    case TMsgBoxType::mbtInformation: return QMessageBox::Information;
    case TMsgBoxType::mbtConfirmation: return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

std::unique_ptr<QMessageBox> TQtMessageBoxes::CreateBox(const TMessageBoxRequest& request,
                                                        QWidget* parent) {
  if (!parent) parent = QApplication::activeWindow();
  // Before the platform has made the shown main window active (a box raised
  // during its start-up), the box still belongs over it.
  if (!parent) {
    const TApplication* app = Application();
    if (app && app->MainForm() && app->MainForm()->isVisible()) parent = app->MainForm();
  }
  auto box = std::make_unique<QMessageBox>(parent);
  box->setIcon(IconOf(request.Type));
  box->setWindowTitle(QString::fromStdString(request.Title));
  box->setText(QString::fromStdString(request.Text));
  box->setTextFormat(Qt::PlainText);
  // Shown at once under the text (a detailed text would hide behind a
  // button). The box guesses the format of this text: as HTML, a path or
  // message with '<' could not be taken for markup.
  if (!request.Detail.empty()) {
    const QString detail = QString::fromStdString(request.Detail);
    box->setInformativeText(Qt::convertFromPlainText(detail, Qt::WhiteSpaceNormal));
    // The box takes its width from the text alone; a detail longer than a
    // short text would wrap into a narrow column.
    int widest = 0;
    for (const QString& line : detail.split('\n'))
      widest = std::max(widest, box->fontMetrics().horizontalAdvance(line));
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout()))
      grid->addItem(new QSpacerItem(std::min(widest, MaxDetailWidth), 0), grid->rowCount(), 0, 1, grid->columnCount());
  }
  const int count = static_cast<int>(request.Buttons.size());
  for (int i = 0; i < count; ++i) {
    // One role for all keeps the buttons in the order given.
    QPushButton* button =
        box->addButton(QString::fromStdString(request.Buttons[i]), QMessageBox::ActionRole);
    // With no default, Enter must not answer the box through the focused
    // button either.
    button->setAutoDefault(request.DefaultButton >= 0);
    button->setProperty(IndexProperty, i);
    if (i == request.DefaultButton) box->setDefaultButton(button);
    if (i == request.EscapeButton) box->setEscapeButton(button);
  }
  return box;
}

int TQtMessageBoxes::Show(const TMessageBoxRequest& request) {
  auto box = CreateBox(request);
  box->exec();
  QAbstractButton* clicked = box->clickedButton();
  return clicked ? clicked->property(IndexProperty).toInt() : request.EscapeButton;
}

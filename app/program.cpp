#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QLabel window("Tarvelle Memnova Self-mode Manager");
  window.setWindowTitle("Tarvelle Memnova Self-mode Manager");
  window.show();
  return app.exec();
}

// orvix-icons: writes the program's icon, as the window shows it, into a
// hicolor icon theme tree for installing.
// Usage: orvix-icons OUTDIR APP_ID SIZE...
//   OUTDIR/hicolor/SIZExSIZE/apps/APP_ID.png for each size,
//   OUTDIR/hicolor/scalable/apps/APP_ID.svg

#include <QDir>
#include <QFile>
#include <QImage>
#include <QString>

#include <cstdio>

#include "app/app_icon.h"

namespace {

bool Fail(const QString& what) {
  std::fprintf(stderr, "orvix-icons: %s\n", qPrintable(what));
  return false;
}

bool WritePng(const QString& root, const QString& id, int size) {
  const QString dir = QString("%1/hicolor/%2x%2/apps").arg(root).arg(size);
  if (!QDir().mkpath(dir)) return Fail("cannot make " + dir);
  const QString file = dir + "/" + id + ".png";
  return AppIconImage(size).save(file, "PNG") || Fail("cannot write " + file);
}

bool WriteSvg(const QString& root, const QString& id) {
  const QString dir = root + "/hicolor/scalable/apps";
  if (!QDir().mkpath(dir)) return Fail("cannot make " + dir);
  QFile file(dir + "/" + id + ".svg");
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return Fail("cannot write " + file.fileName());
  const QByteArray text = AppIconSvg().toUtf8();
  return file.write(text) == text.size() || Fail("cannot write " + file.fileName());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: orvix-icons OUTDIR APP_ID SIZE...\n");
    return 2;
  }
  const QString root = QString::fromLocal8Bit(argv[1]), id = QString::fromLocal8Bit(argv[2]);
  bool ok = WriteSvg(root, id);
  for (int i = 3; i < argc; ++i) {
    bool number = false;
    const int size = QString::fromLocal8Bit(argv[i]).toInt(&number);
    ok = (number && size > 0 && size <= 1024 ? WritePng(root, id, size) : Fail(QString("bad size ") + argv[i])) && ok;
  }
  return ok ? 0 : 1;
}

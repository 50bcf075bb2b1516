#include <QColor>
#include <QImage>
#include <QPalette>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>

namespace {

// The showcase run offscreen for one scene; its picture, or a null image.
struct TDemoRun {
  int exitCode = -1;
  QString errors;
  QImage image;
};

TDemoRun RunDemo(const QTemporaryDir& dir, const QString& scene) {
  QProcess demo;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("XDG_CONFIG_HOME", dir.path());  // its column widths stay here
  demo.setProcessEnvironment(env);
  const QString file = dir.filePath(scene + ".png");
  demo.start(ORVIX_GRID_DEMO, {"--screenshot", file, "--scene", scene});
  TDemoRun run;
  if (!demo.waitForFinished(60000)) {
    demo.kill();
    demo.waitForFinished();
    run.errors = "did not finish";
    return run;
  }
  run.exitCode = demo.exitStatus() == QProcess::NormalExit ? demo.exitCode() : -1;
  run.errors = QString::fromLocal8Bit(demo.readAllStandardError());
  run.image.load(file);
  return run;
}

int Count(const QImage& image, QRgb color) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if ((image.pixel(x, y) & 0xFFFFFF) == (color & 0xFFFFFF)) ++n;
  return n;
}

TEST(GridDemo, EveryScenePaintsWithoutAnError) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  std::map<QString, QImage> shots;
  for (const QString scene : {"window", "list", "suggestion", "title"}) {
    const TDemoRun run = RunDemo(dir, scene);
    EXPECT_EQ(run.exitCode, 0) << scene.toStdString() << ": " << run.errors.toStdString();
    EXPECT_FALSE(run.errors.contains("message box")) << run.errors.toStdString();
    ASSERT_FALSE(run.image.isNull()) << scene.toStdString();
    EXPECT_GE(run.image.width(), 800);
    EXPECT_GE(run.image.height(), 300);
    shots[scene] = run.image;
  }
  // What each scene is about is on the picture: the open list's selected row
  // (the editor covers the highlighted current cell), the suggestion's
  // tooltip colours, the title drawn sunken.
  const QPalette palette;
  const QRgb highlight = palette.color(QPalette::Highlight).rgb();
  const QRgb tooltip = palette.color(QPalette::ToolTipBase).rgb();
  EXPECT_GT(Count(shots["window"], highlight), 200);
  EXPECT_GT(Count(shots["list"], highlight), 200);
  EXPECT_NE(shots["list"], shots["window"]);
  EXPECT_EQ(Count(shots["window"], tooltip), 0);
  EXPECT_GT(Count(shots["suggestion"], tooltip), 100);
  EXPECT_NE(shots["title"], shots["window"]);
}

TEST(GridDemo, AnUnknownSceneIsRefusedWithTheKnownOnes) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const TDemoRun run = RunDemo(dir, "nonsense");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.errors.contains("unknown scene \"nonsense\"")) << run.errors.toStdString();
  EXPECT_TRUE(run.errors.contains("suggestion")) << run.errors.toStdString();
  EXPECT_TRUE(run.image.isNull());
}

}  // namespace

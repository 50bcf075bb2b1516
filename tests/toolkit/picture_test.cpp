#include "tests/common/image_canvas.h"
#include "tests/common/message_of.h"
#include "tests/common/pixels.h"
#include "toolkit/core/list_error.h"
#include "toolkit/widgets/image_list.h"
#include "toolkit/widgets/picture.h"

#include <QTemporaryDir>

TEST(Picture, EmptyUntilItHoldsAGraphicAssignCopiesItLoadFromFileSaysWhyAFileCannotBeRead) {
  TPicture p;
  EXPECT_EQ(std::tuple(p.Empty(), p.Width()), std::tuple(true, 0));
  p.SetBitmap(QImage());
  EXPECT_TRUE(p.Empty());
  p.SetBitmap(Solid(16, 12, Qt::red));
  EXPECT_EQ(std::tuple(p.Empty(), p.Kind(), p.Width()), std::tuple(false, TGraphicKind::gkBitmap, 16));
  EXPECT_EQ(p.Height(), 12);
  TPicture a, b;
  a.SetBitmap(Solid(5, 5, Qt::green));
  b.Assign(a);
  EXPECT_TRUE(b.Equals(a));
  a.SetBitmap(Solid(5, 5, Qt::red));
  EXPECT_FALSE(b.Equals(a));
  a.Clear();
  b.Assign(a);
  EXPECT_TRUE(b.Empty());
  QTemporaryDir dir;
  const QString png = dir.filePath("p.png");
  ASSERT_TRUE(Solid(7, 3, Qt::red).save(png));
  p.LoadFromFile(png);
  EXPECT_EQ(std::tuple(p.Kind(), p.Width()), std::tuple(TGraphicKind::gkBitmap, 7));
  const std::string error = MessageOf<EInvalidGraphic>([&] { p.LoadFromFile(dir.filePath("missing.png")); });
  EXPECT_NE(error.find("missing.png"), std::string::npos) << error;
}

TEST(Picture, DrawsABitmapOrAnIconAtItsOwnSize) {
  TImageCanvas c(40, 40);
  TPicture bmp;
  bmp.SetBitmap(Solid(6, 4, Qt::red));
  bmp.Draw(c.canvas, 3, 5);
  EXPECT_EQ(c.Ink(), QRect(3, 5, 6, 4));

  TImageCanvas ic(40, 40);
  TPicture icon;
  icon.SetIcon(QIcon(QPixmap::fromImage(Solid(32, 32, Qt::blue))), QSize(16, 16));
  EXPECT_EQ(icon.Width(), 16);
  icon.Draw(ic.canvas, 10, 20);
  EXPECT_EQ(std::tuple(ic.Ink(), ic.At(17, 27)), std::tuple(QRect(10, 20, 16, 16), QColor(Qt::blue)));
}

TEST(ImageList, ImagesTakeTheListSizeAndAnUnknownIndexDrawsNothing) {
  TImageList list(8, 8);
  EXPECT_EQ(list.Add(Solid(8, 8, Qt::red)), 0);
  EXPECT_EQ(list.Add(Solid(20, 4, Qt::blue)), 1);
  EXPECT_EQ(list.Image(1).size(), QSize(8, 8));
  EXPECT_THROW(list.Image(2), EListError);

  TImageCanvas c(30, 30);
  for (int index : {0, 5, -1}) list.Draw(c.canvas, 2, 3, index);
  EXPECT_EQ(std::tuple(c.Ink(), c.At(5, 5)), std::tuple(QRect(2, 3, 8, 8), QColor(Qt::red)));

  list.SetSize(16, 16);
  EXPECT_EQ(list.Count(), 0);
}

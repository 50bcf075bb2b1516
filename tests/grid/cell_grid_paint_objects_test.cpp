// Painting cells makes no font, image or pixmap, however fonts, colours and bands change from cell to cell.
// operator new is replaced to see which code allocates during the paint: an allocation made directly by a QFont,
// QImage or QPixmap constructor (or their data factories) is a drawing object; images are counted by serial too.

#include "tests/grid/cell_grid_probe.h"
#include "toolkit/widgets/image_list.h"

#include <QFont>
#include <QImage>
#include <QPixmap>

#include <cxxabi.h>
#include <dlfcn.h>

#include <array>
#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ORVIX_COUNT_ALLOCATIONS 0  // the sanitizers own operator new
#elif defined(__has_feature)
#define ORVIX_COUNT_ALLOCATIONS !(__has_feature(address_sanitizer) || __has_feature(thread_sanitizer))
#else
#define ORVIX_COUNT_ALLOCATIONS 1
#endif

namespace {

// Filled by operator new while `recording` is set on this thread; nothing here may allocate.
thread_local bool recording = false;
std::array<void*, 1 << 16> callers;
std::size_t recorded = 0;

}  // namespace

#if ORVIX_COUNT_ALLOCATIONS
namespace {

void Note(void* caller) { if (recording && recorded < callers.size()) callers[recorded++] = caller; }

void* Allocate(std::size_t n) { if (void* p = std::malloc(n ? n : 1)) return p; throw std::bad_alloc(); }

}  // namespace

void* operator new(std::size_t n) { Note(__builtin_return_address(0)); return Allocate(n); }
void* operator new[](std::size_t n) { Note(__builtin_return_address(0)); return Allocate(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
#endif

namespace {

std::string FunctionAt(void* address) {
  Dl_info info;
  if (!dladdr(address, &info) || !info.dli_sname) return {};
  int status = 0;
  char* name = abi::__cxa_demangle(info.dli_sname, nullptr, nullptr, &status);
  std::string out = status == 0 && name ? name : info.dli_sname;
  std::free(name);
  return out;
}

bool MakesDrawingObject(const std::string& function) {
  for (const char* maker : {"QFont::QFont(", "QImage::QImage(", "QImageData::create(", "QPixmap::QPixmap(",
                            "QPlatformPixmap::create("})
    if (function.rfind(maker, 0) == 0) return true;
  return false;
}

qint64 NextImageSerial() { return QImage(1, 1, QImage::Format_RGB32).cacheKey() >> 32; }

struct TCountingGrid : TProbeCellGrid {
  std::vector<std::string> made;  // functions that made a drawing object
  qint64 imagesMade = 0;
  int paints = 0;

  void paintEvent(QPaintEvent* event) override {
    const qint64 before = NextImageSerial();
    recorded = 0;
    recording = true;
    TProbeCellGrid::paintEvent(event);
    recording = false;
    imagesMade += NextImageSerial() - before - 1;
    for (std::size_t i = 0; i < recorded; ++i) {
      const std::string f = FunctionAt(callers[i]);
      if (MakesDrawingObject(f)) made.push_back(f);
    }
    ++paints;
  }
};

// The message grid's layout with what makes cells differ most: two columns under a band, a column with its own
// font, a highlighted row with the focus in it, a bordered column and an image.
struct CellGridPaintObjects : ::testing::Test {
  void SetUp() override {
    using enum TGridOption;
    grid.SetSize(4, 40, 0);
    grid.SetOptions({goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goDrawFocusSelected, goRowSelect});
    grid.SetWidths({45, 80, 80, 159});
    grid.SetRowHeights(0, 40);
    grid.FillTexts();
    grid.Headings().Add()->SetCaption("Message");
    for (int c : {1, 2}) grid.ColumnAt(c)->SetHeadingIndex(0);
    grid.ColumnAt(2)->ColumnFont().SetStyle({TFontStyle::fsBold});
    grid.ColumnAt(2)->ColumnFont().SetColor(clNavy);
    grid.ColumnAt(3)->LeftBorder().SetStyle(TcgBorderStyle::cgbrdDash);
    grid.ColumnAt(3)->LeftBorder().SetColor(clRed);
    grid.ColumnAt(3)->SetColumnClipStyle(TcgClipStyle::cgclpEllipsis);
    grid.SetCells(3, 2, "a receive time far too long for its column");
    images.Add(QImage(16, 16, QImage::Format_RGB32));
    grid.OnGetCellImage = [this](QObject*, int c, int, int, TPersistent*& object, int& index, auto&&...) {
      if (c == 0) { object = &images; index = 0; }
    };
    grid.ShowClient(390, 300);
    grid.SetRow(2);
    grid.setFocus();
    QApplication::processEvents();
    grid.viewport()->grab();  // the heading bitmap reaches its size here
    grid.made.clear();
    grid.imagesMade = 0;
    grid.paints = 0;
  }
  TCountingGrid grid;
  TImageList images;
};

TEST_F(CellGridPaintObjects, ARepaintCreatesNoFontImageOrPixmap) {
  grid.viewport()->grab();
  grid.SetRow(5);  // another highlighted row
  grid.viewport()->grab();
  ASSERT_EQ(grid.paints, 2);
  EXPECT_EQ(grid.imagesMade, 0);
#if ORVIX_COUNT_ALLOCATIONS
  EXPECT_TRUE(grid.made.empty()) << grid.made.size() << " made, the first by " << grid.made.front();
#endif
}

TEST_F(CellGridPaintObjects, TheCountSeesObjectsMadeDuringAPaint) {
  // The check above can fail: a handler that makes objects while cells paint is seen.
  grid.OnDrawCell = [](QObject*, int c, int r, const TRect&, TGridDrawState) {
    if (c != 1 || r != 1) return;
    [[maybe_unused]] const QFont font(QStringLiteral("DejaVu Sans"));
    [[maybe_unused]] const QImage image(4, 4, QImage::Format_RGB32);
    [[maybe_unused]] const QPixmap pixmap(4, 4);
  };
  grid.viewport()->grab();
  EXPECT_EQ(grid.imagesMade, 2) << "the image and the pixmap's image";
#if ORVIX_COUNT_ALLOCATIONS
  EXPECT_GE(grid.made.size(), 3u);
#endif
}

TEST_F(CellGridPaintObjects, TheHeadingBitmapGrowsOnlyForAWiderSpan) {
  const qint64 serial = grid.HeadingBitmap.cacheKey() >> 32;
  grid.viewport()->grab();
  EXPECT_EQ(grid.HeadingBitmap.cacheKey() >> 32, serial);
  grid.SetColWidths(2, 300);
  grid.viewport()->grab();
  EXPECT_EQ(grid.imagesMade, 1) << "one larger bitmap";
  EXPECT_GE(grid.HeadingBitmap.width(), 80 + 300 + 2);
  grid.SetColWidths(2, 40);
  grid.viewport()->grab();
  EXPECT_EQ(grid.imagesMade, 1) << "a narrower span reuses it";
}

}  // namespace

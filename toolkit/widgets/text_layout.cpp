#include "toolkit/widgets/text_layout.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QRegularExpression>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <QThread>

#include <cmath>
#include <memory>
#include <vector>

namespace {

// The flags that change where lines break and what they hold.
constexpr unsigned kLayoutFlags = DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX;
constexpr qreal kUnbounded = 1e7;

int PixelWidth(qreal w) { return static_cast<int>(std::ceil(w - 1e-3)); }

struct TParagraph {
  QString text;
  std::vector<int> underlined;  // positions that a prefix '&' marks
  std::unique_ptr<QTextLayout> layout;
};

struct TLineRef {
  int para;
  int line;
  int width;
};

class TTextBlock {
 public:
  TTextBlock(const QString& text, const QFont& font, const QPaintDevice* device, int width, unsigned format);

  bool IsFor(const QString& text, const QFont& font, const QPaintDevice* device, int width, unsigned format) const {
    return text == text_ && font == font_ && Dpi(device) == dpi_ && (format & kLayoutFlags) == layoutFlags_ &&
           (!(format & DT_WORDBREAK) || width == width_);
  }
  int Height() const { return static_cast<int>(lines_.size()) * lineHeight_; }
  int Width() const {
    int w = 0;
    for (const TLineRef& l : lines_) w = std::max(w, l.width);
    return w;
  }
  void Draw(QPainter& p, const TRect& rect, const QColor& color, const QColor* background, unsigned format) const;

 private:
  static QPoint Dpi(const QPaintDevice* d) { return d ? QPoint(d->logicalDpiX(), d->logicalDpiY()) : QPoint(); }
  void Prepare(TParagraph& para, const QString& raw) const;
  std::unique_ptr<QTextLayout> Elided(const TParagraph& para, const QTextLine& line, int width,
                                      const QPaintDevice* device) const;

  QString text_;
  QFont font_;
  QPoint dpi_;
  int width_;
  unsigned layoutFlags_;
  QTextOption option_;
  int lineHeight_ = 0;
  int ascent_ = 0;
  std::vector<TParagraph> paras_;
  std::vector<TLineRef> lines_;
};

TTextBlock::TTextBlock(const QString& text, const QFont& font, const QPaintDevice* device, int width,
                       unsigned format)
    : text_(text), font_(font), dpi_(Dpi(device)), width_(width),
      layoutFlags_(format & kLayoutFlags) {
  const QFontMetrics fm(font, device);
  lineHeight_ = fm.height();
  ascent_ = fm.ascent();
  const bool wrap = format & DT_WORDBREAK;
  option_.setWrapMode(wrap ? QTextOption::WordWrap : QTextOption::NoWrap);
  if (format & DT_EXPANDTABS) option_.setTabStopDistance(8.0 * std::max(1, fm.averageCharWidth()));

  if (text.isEmpty()) return;
  static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
  QStringList pieces = text.split(lineBreak);
  if (pieces.size() > 1 && pieces.last().isEmpty()) pieces.removeLast();

  paras_.resize(static_cast<size_t>(pieces.size()));
  for (int i = 0; i < pieces.size(); ++i) {
    TParagraph& para = paras_[static_cast<size_t>(i)];
    Prepare(para, pieces[i]);
    para.layout = std::make_unique<QTextLayout>(para.text, font_, device);
    para.layout->setTextOption(option_);
    if (!para.underlined.empty()) {
      QList<QTextLayout::FormatRange> formats;
      for (int pos : para.underlined) {
        QTextLayout::FormatRange r;
        r.start = pos;
        r.length = 1;
        r.format.setFontUnderline(true);
        formats.append(r);
      }
      para.layout->setFormats(formats);
    }
    para.layout->beginLayout();
    for (QTextLine line = para.layout->createLine(); line.isValid(); line = para.layout->createLine()) {
      line.setLineWidth(wrap ? std::max(0, width) : kUnbounded);
      line.setPosition(QPointF(0, 0));
      lines_.push_back({i, line.lineNumber(), PixelWidth(line.naturalTextWidth())});
    }
    para.layout->endLayout();
  }
}

void TTextBlock::Prepare(TParagraph& para, const QString& raw) const {
  const bool prefix = !(layoutFlags_ & DT_NOPREFIX);
  const bool expandTabs = layoutFlags_ & DT_EXPANDTABS;
  para.text.reserve(raw.size());
  for (qsizetype i = 0; i < raw.size(); ++i) {
    QChar c = raw[i];
    if (prefix && c == QLatin1Char('&')) {
      if (i + 1 >= raw.size()) continue;
      if (raw[i + 1] != QLatin1Char('&')) {
        para.underlined.push_back(static_cast<int>(para.text.size()));
        continue;
      }
      ++i;
    }
    if (!expandTabs && c == QLatin1Char('\t')) c = QLatin1Char(' ');
    para.text.append(c);
  }
}

// The longest start of the line, cut at a character boundary, that fits
// `width` with "…" after it; "…" alone when nothing fits.
std::unique_ptr<QTextLayout> TTextBlock::Elided(const TParagraph& para, const QTextLine& line, int width,
                                                const QPaintDevice* device) const {
  const QString text = para.text.mid(line.textStart(), line.textLength());
  std::vector<int> cuts;
  QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
  for (qsizetype pos = 0; pos >= 0 && pos <= text.size(); pos = finder.toNextBoundary())
    cuts.push_back(static_cast<int>(pos));
  const QString ellipsis(QChar(0x2026));
  auto layoutOf = [&](int cut) {
    QTextOption option = option_;
    option.setWrapMode(QTextOption::NoWrap);
    auto l = std::make_unique<QTextLayout>(text.left(cut) + ellipsis, font_, device);
    l->setTextOption(option);
    l->beginLayout();
    QTextLine tl = l->createLine();
    tl.setLineWidth(kUnbounded);
    tl.setPosition(QPointF(0, 0));
    l->endLayout();
    return l;
  };
  // cuts[lo] fits (or lo == 0) and `best` is its layout once built; cuts[hi] does not fit.
  size_t lo = 0, hi = cuts.size();
  std::unique_ptr<QTextLayout> best;
  auto tryCut = [&](size_t i) {
    auto l = layoutOf(cuts[i]);
    if (PixelWidth(l->lineAt(0).naturalTextWidth()) > width) return false;
    lo = i;
    best = std::move(l);
    return true;
  };
  // A guess from the line's own glyph positions: when two layouts confirm
  // it, the search is over. Laying the text out again for every step of a
  // whole search cost most of a cell's painting.
  const int start = line.textStart();
  const qreal left = line.cursorToX(start);
  const qreal ellipsisWidth = QFontMetricsF(font_, device).horizontalAdvance(ellipsis);
  size_t guess = 0;
  while (guess + 1 < cuts.size() && line.cursorToX(start + cuts[guess + 1]) - left + ellipsisWidth <= width) ++guess;
  if (guess == 0 || tryCut(guess)) {
    if (guess + 1 < cuts.size() && !tryCut(guess + 1)) hi = guess + 1;
  }
  while (hi - lo > 1) {
    const size_t mid = (lo + hi) / 2;
    if (!tryCut(mid)) hi = mid;
  }
  return best ? std::move(best) : layoutOf(cuts.empty() ? 0 : cuts[lo]);
}

void TTextBlock::Draw(QPainter& p, const TRect& rect, const QColor& color, const QColor* background,
                      unsigned format) const {
  if (rect.IsEmpty()) return;
  const int avail = rect.Right - rect.Left;
  p.save();
  p.setClipRect(rect.ToQRect(), Qt::IntersectClip);
  p.setCompositionMode(QPainter::CompositionMode_SourceOver);
  p.setPen(color);
  int y = rect.Top;
  for (const TLineRef& ref : lines_) {
    if (y >= rect.Bottom) break;
    const TParagraph& para = paras_[static_cast<size_t>(ref.para)];
    QTextLine line = para.layout->lineAt(ref.line);
    int w = ref.width;
    std::unique_ptr<QTextLayout> elided;
    if ((format & DT_END_ELLIPSIS) && w > avail) {
      elided = Elided(para, line, avail, p.device());
      line = elided->lineAt(0);
      w = PixelWidth(line.naturalTextWidth());
    }
    int x = rect.Left;
    if (format & DT_CENTER)
      x += (avail - w) / 2;
    else if (format & DT_RIGHT)
      x = rect.Right - w;
    if (background) p.fillRect(QRect(x, y, w, lineHeight_), *background);
    line.draw(&p, QPointF(x, y + ascent_ - line.ascent()));
    y += lineHeight_;
  }
  p.restore();
}

// Keeps the last layout so that a measuring call and the drawing call after
// it share one layout. Each thread keeps its own; the main thread's goes with
// the application object, as fonts must not outlive it.
std::unique_ptr<TTextBlock>* mainThreadBlock = nullptr;

void ForgetMainThreadBlock() {
  if (mainThreadBlock) mainThreadBlock->reset();
  mainThreadBlock = nullptr;
}

TTextBlock& BlockFor(const QString& text, const QFont& font, const QPaintDevice* device, int width,
                     unsigned format) {
  thread_local std::unique_ptr<TTextBlock> last;
  if (!mainThreadBlock && qApp && QThread::currentThread() == qApp->thread()) {
    mainThreadBlock = &last;
    qAddPostRoutine(&ForgetMainThreadBlock);
  }
  if (!last || !last->IsFor(text, font, device, width, format))
    last = std::make_unique<TTextBlock>(text, font, device, width, format);
  return *last;
}

}  // namespace

int DrawTextEx(TCanvas& Canvas, const QString& Text, TRect& Rect, unsigned Format) {
  QPainter* painter = Canvas.Painter();
  const QPaintDevice* device = painter ? painter->device() : nullptr;
  TTextBlock& block = BlockFor(Text, Canvas.Font().QtFont(), device, Rect.Right - Rect.Left, Format);
  const int height = block.Height();
  if (Format & DT_CALCRECT) {
    Rect.Right = Rect.Left + block.Width();
    Rect.Bottom = Rect.Top + height;
    return height;
  }
  if (!painter) throw EInvalidOperation("Canvas does not allow drawing");
  const QColor background = Canvas.Resolve(Canvas.Brush().Color());
  const bool opaque = Canvas.Brush().Style() == TBrushStyle::bsSolid;
  block.Draw(*painter, Rect, Canvas.Resolve(Canvas.Font().Color()), opaque ? &background : nullptr, Format);
  return height;
}

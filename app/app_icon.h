#pragma once

// The program's icon: a desktop modem in the classic 16 colours. It is kept
// as flat shapes on a 32 x 32 grid so that the window icon, the installed PNG
// icons and the scalable SVG icon are all drawn from this one picture.

#include <QColor>
#include <QImage>
#include <QPolygonF>
#include <QString>

#include <vector>

struct TIconShape {
  QColor Colour;
  QPolygonF Outline;  // corners on whole pixels of the 32 x 32 grid
};

// Painted in this order, later shapes over earlier ones.
const std::vector<TIconShape>& AppIconShapes();

// The icon at size x size pixels on a transparent ground: drawn without
// smoothing at multiples of 32 (so in its 16 colours), smoothed down from the
// next multiple otherwise.
QImage AppIconImage(int size);

// The same shapes as a standalone SVG document.
QString AppIconSvg();

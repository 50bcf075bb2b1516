#pragma once

// The showcase's pictures, drawn in code: a status dot per order state, a
// pencil for the notes button and a crate for the "Order" heading.

#include "toolkit/widgets/picture.h"

#include <QString>

// 12 x 12; grey for a state it does not know.
const TPicture& StatusDot(const QString& Status);
// 16 x 16.
const TPicture& PencilPicture();
const TPicture& CratePicture();

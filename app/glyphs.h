#pragma once

#include <QIcon>

// The program's pictures, drawn in code in a 32 x 32 layout on a transparent
// background, for the device pixel ratio they are shown at (an icon's pixmap
// of 48 x 48 pixels is the picture drawn at 48, not scaled up from 32).
QIcon AppIcon();                 // the window icon: a desktop modem
QIcon ConnectGlyph();            // BtnSelfControl
QIcon PlayGlyph();               // BtnPlay
QIcon PlayDisabledGlyph();
QIcon PlayWelcomeGlyph();        // BtnPlayWelcome
QIcon PlayFullWelcomeGlyph();    // BtnPlayFull
QIcon EraseGlyph();              // BtnErase
QIcon EraseDisabledGlyph();

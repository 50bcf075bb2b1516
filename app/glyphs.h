#pragma once

#include <QPixmap>

// The program's pictures, drawn in code. All are 32 x 32 with a transparent
// background.
QPixmap AppIconPixmap();           // the window icon: a desktop modem
QPixmap ConnectGlyph();            // BtnSelfControl
QPixmap PlayGlyph();               // BtnPlay
QPixmap PlayDisabledGlyph();
QPixmap PlayWelcomeGlyph();        // BtnPlayWelcome
QPixmap PlayFullWelcomeGlyph();    // BtnPlayFull
QPixmap EraseGlyph();              // BtnErase
QPixmap EraseDisabledGlyph();

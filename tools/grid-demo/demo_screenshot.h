#pragma once

// Pictures of the showcase for the documentation, and its smoke run: the
// window is put into a scene as a user's keys and mouse would put it, then
// drawn, with the popups that are open, into a PNG file.
//
// Scenes: "window" (as it starts), "list" (a drop-down list open),
// "suggestion" (a typing suggestion shown), "title" (a title cell held down).

#include <QString>
#include <QStringList>

class TGridDemoWindow;

QStringList DemoScenes();

// Returns the program's exit code: 0, or 1 when the scene is unknown, a
// message box came up meanwhile (a cell that failed to paint says so in one)
// or the file could not be written; the reason goes to standard error.
int TakeScreenshot(TGridDemoWindow& Window, const QString& Scene, const QString& File);

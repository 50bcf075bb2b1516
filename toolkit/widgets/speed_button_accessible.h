#pragma once

// A speed button as assistive technology sees it: a push button named by its
// hint, checkable when it belongs to a group (checked while down), whose press
// action does what a click does.

// Registers the interface factory with Qt; once per process.
void InstallSpeedButtonAccessible();

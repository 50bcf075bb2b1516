#pragma once

// A speed button as assistive technology sees it: a push button named by its
// hint whose press action does what a click does; one that belongs to a group
// is a toggle button as Qt shows those (a check box, checked while down, with
// a toggle action).

// Registers the interface factory with Qt; once per process.
void InstallSpeedButtonAccessible();

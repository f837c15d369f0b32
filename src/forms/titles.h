#pragma once

// The application title: the main window's caption and the caption of the program's plain
// message boxes.
inline constexpr const char* kApplicationTitle = "Zirvanta 1.02";

// Names the program to the desktop: the application name "zirvanta" (the window class
// "zirvanta", "Zirvanta" on X11), its version and the desktop file zirvanta.desktop. It sets no
// display name, which the platform would append to every window title and message caption.
// Call it once, after the application object is made.
void SetApplicationIdentity();

#pragma once

// The application title: the main window's caption and the caption of the program's plain
// message boxes.
inline constexpr const char* kApplicationTitle = "Zirvanta 1.02";

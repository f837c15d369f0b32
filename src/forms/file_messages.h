#pragma once

#include <string>

#include "files/atomic_write.h"

class QWidget;

// The message boxes of the file routines, the same wherever a fractal, palette or image file is
// read or written: a plain box with an OK button and the application title as its caption.
// Each shows the box modally and returns when the user closed it.

// "The file did not manage to be opened for reading."
void ShowReadFailure(QWidget* parent);

// "The file did not manage to be opened for recording.", with what went wrong (a write that
// stopped short, the system's reason) as the box's informative text.
void ShowWriteFailure(QWidget* parent, const zirvanta::WriteResult& result);

// An image export that failed (memory, disk, file): its message, the first line as the text and
// the rest (the system's reason) as the informative text.
void ShowExportFailure(QWidget* parent, const std::string& message);

// An unknown fractal or palette type: the text and caption given, with an exclamation icon.
void ShowUnknownType(QWidget* parent, const char* text, const char* caption);

// qksyswincapture: the clipboard and the window image. "qkwinCaptureScreen"
// copies a window's image (its picture with the controls over it, the client
// area) to the clipboard as a bitmap; "qkwinSaveScreen" asks for a file name
// and writes the same image as a 24-bit bitmap file with the library's own
// writer (qkbmpsrv), so the file is byte-exact on every machine.
//
// Callable from any thread: the widgets and the clipboard are read on the GUI
// thread (qksyswinGuiCall).
#pragma once

#include "qkbmpsrv.h"
#include "qkwinsrv.h"

// Places image on the clipboard. Returns 0, -2 when there is no clipboard
// (no window system) or the image is empty.
int qksyswinclipboardset(const qkbmpImageInfo& image);

// The window image: the backing image with the window's controls drawn over
// it, at the size of the canvas. Returns 0, -2 when the window has no picture.
int qksyswinwindowimage(qkwinInfo* window, qkbmpImageInfo* image);

// Writes the window image to path. Returns 0, -1 when the file cannot be
// written ("Unable to open: %s" is logged), -2 without a picture.
int qksyswinsavescreenfile(qkwinInfo* window, const char* path);

// A screenshot of what the user sees of the window: the whole top-level window
// (menu, controls, status bar) as the toolkit shows it, written to path as a
// PNG image for documentation and for people checking a headless run. Returns
// 0, -1 when the file cannot be written, -2 when the window is not shown.
int qksyswinsavescreenshot(qkwinInfo* window, const char* path);

// Standard callback: the window image to the clipboard. Returns 0, -2.
int qkwinCaptureScreen(qkwinInfo* window);
// Standard callback: asks for a file name with the save-file dialog, writes
// the window image there and changes back to the home directory. Returns 0
// (also when the dialog is cancelled), -1 or -2 as qksyswinsavescreenfile.
int qkwinSaveScreen(qkwinInfo* window);

// qksyswinthread: the threading rule of the window layer. Every Qt widget
// lives on the GUI thread; a widget operation called from any other thread
// (a worker writing a static text, a child window's thread filling a list)
// runs on the GUI thread as a blocking queued call. The GUI thread never waits
// without pumping events, so such calls are always served.
#pragma once

#include <functional>

// True on the thread that owns the QApplication (or when none exists).
bool qksyswinIsGuiThread();

// Queues fn to run on the GUI thread, after the calls queued before it, and
// returns at once (also on the GUI thread: fn runs when its loop next turns).
// Without a QApplication fn waits until one exists and turns its loop.
void qksyswinGuiPost(std::function<void()> fn);

// Runs fn on the GUI thread and returns when it has run: directly on the GUI
// thread or when no QApplication exists, else as a blocking queued call.
void qksyswinGuiCall(const std::function<void()>& fn);

#pragma once

#include <QApplication>
#include <QCursor>

// Shows the busy pointer over every window of the program for the lifetime of
// the scope, also when the command stops with an error. The window system
// takes it at once, without the event loop running.
class TBusyCursor {
  public:
    TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

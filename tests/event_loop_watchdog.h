#pragma once

#include <QCoreApplication>
#include <QTimer>

// Runs the application's event loop and returns whether it ended by itself;
// after ten seconds a watchdog ends it instead, so a loop that would run on
// fails the test rather than hanging it.
template <typename Application>
bool RunEndsByItself(Application& application, int timeoutMs = 10000) {
    bool gaveUp = false;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        gaveUp = true;
        QCoreApplication::quit();
    });
    watchdog.start(timeoutMs);
    application.Run();
    return !gaveUp;
}

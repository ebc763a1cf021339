#pragma once

#include <QApplication>
#include <cstdio>
#include <memory>

// A picture needs an application object; the command line has none, and
// no display either, so it gets one on the offscreen platform for as long
// as the picture takes. Qt keeps references to argc and argv, and takes the
// options it has read out of them.
class OffscreenApplication {
  public:
    OffscreenApplication() {
        if (QCoreApplication::instance() == nullptr) {
            // Qt's remarks about the missing session (no runtime folder, no
            // display) are no concern of a command-line user; whether the
            // picture was written is reported on its own.
            previousHandler_ = qInstallMessageHandler(QuietUnlessCritical);
            application_ = std::make_unique<QApplication>(argc_, argv_);
        }
    }
    ~OffscreenApplication() {
        application_.reset();
        if (previousHandler_ != nullptr) qInstallMessageHandler(previousHandler_);
    }
    OffscreenApplication(const OffscreenApplication&) = delete;
    OffscreenApplication& operator=(const OffscreenApplication&) = delete;

  private:
    char name_[9] = "tsccurve", option_[10] = "-platform", platform_[10] = "offscreen";
    char* argv_[4] = {name_, option_, platform_, nullptr};
    int argc_ = 3;
    std::unique_ptr<QApplication> application_;
    QtMessageHandler previousHandler_ = nullptr;

    static void QuietUnlessCritical(QtMsgType type, const QMessageLogContext&,
                                    const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg) {
            std::fprintf(stderr, "%s\n", qPrintable(text));
        }
    }
};

#include "command_wiring.h"

#include "application.h"
#include "exception.h"

void RunCommand(const std::function<void()>& command) noexcept {
    // The one boundary between a command and the toolkit's frames: whatever
    // the command throws ends here, shown as well as it can be, and the
    // program carries on.
    try {
        command();
    } catch (const std::exception& error) {
        // The program's own errors and the standard ones (an allocation
        // failure, say) carry a message.
        Application->ShowException(error);
    } catch (...) {
        Application->ShowException(Exception("Unknown error"));
    }
}

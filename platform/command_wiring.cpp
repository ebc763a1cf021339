#include "command_wiring.h"

#include "application.h"
#include "exception.h"

void RunCommand(const std::function<void()>& command) noexcept {
    try {
        command();
    } catch (const Exception& error) {
        Application->ShowException(error);
    } catch (const std::exception& error) {
        // Not one of the program's own errors (an allocation failure, say):
        // shown the same way, as the last resort.
        Application->ShowException(error);
    }
}

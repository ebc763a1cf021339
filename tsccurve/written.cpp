#include <ostream>

#include "subcommands.h"

int Written(std::ostream& out, std::ostream& err, const std::string& name) {
    if (out.flush().good()) return kExitSuccess;
    err << name << ": the output could not be written\n";
    return kExitOutputFailed;
}

#pragma once

#include "exception.h"

// A results file that cannot be created, written or read. The message names
// the file and says why.
class EFileError : public Exception {
  public:
    using Exception::Exception;
};

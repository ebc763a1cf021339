#pragma once

#include <string>
#include <string_view>
#include <vector>

// Runs another program to its end: `input` on its standard input, its
// standard output discarded, its standard error kept. Reads and writes side
// by side, so that neither side can wait for the other forever, and a
// program that stops reading early costs no SIGPIPE.
struct ChildOutcome {
    std::string failure;  // why it could not be run to its end; empty when it was
    int exitCode = -1;    // when it exited
    int signal = 0;       // when a signal ended it
    std::string errors;   // its standard error, the first 64 KiB
};

ChildOutcome RunChild(const std::string& program, const std::vector<std::string>& arguments,
                      std::string_view input);

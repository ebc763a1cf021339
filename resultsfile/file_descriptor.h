#pragma once

#include <unistd.h>

// Closes a file opened with open(2) when the scope ends, also by an error.
struct FileDescriptor {
    explicit FileDescriptor(int opened) : fd(opened) {}
    int fd;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { ::close(fd); }
};

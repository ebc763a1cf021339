#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace {

constexpr std::size_t kMostErrorBytes = 64 * 1024;

class Descriptor {
  public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { Close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    void Close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

  private:
    int fd_;
};

std::string Reason(const char* what, int error) {
    return std::string(what) + ": " + std::strerror(error);
}

// Writes the input and reads the errors until the input is written (or no
// longer read) and the errors end.
void Exchange(Descriptor& in, Descriptor& errors, std::string_view input, std::string& kept) {
    std::size_t written = 0;
    if (input.empty()) in.Close();
    while (in.get() >= 0 || errors.get() >= 0) {
        pollfd fds[2] = {{in.get(), POLLOUT, 0}, {errors.get(), POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[0].revents != 0) {
            const ssize_t n = ::send(in.get(), input.data() + written, input.size() - written,
                                     MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n > 0) written += static_cast<std::size_t>(n);
            if ((n < 0 && errno != EAGAIN && errno != EINTR) || written == input.size()) {
                in.Close();
            }
        }
        if (fds[1].revents != 0) {
            char buffer[4096];
            const ssize_t n = ::read(errors.get(), buffer, sizeof buffer);
            if (n > 0) {
                kept.append(buffer,
                            std::min(static_cast<std::size_t>(n),
                                     kMostErrorBytes - std::min(kMostErrorBytes, kept.size())));
            } else if (n == 0 || errno != EINTR) {
                errors.Close();
            }
        }
    }
}

}  // namespace

ChildOutcome RunChild(const std::string& program, const std::vector<std::string>& arguments,
                      std::string_view input) {
    ChildOutcome outcome;
    int socketEnds[2], pipeEnds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, socketEnds) != 0) {
        outcome.failure = Reason("no socket for its input", errno);
        return outcome;
    }
    Descriptor in(socketEnds[0]), childIn(socketEnds[1]);
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        outcome.failure = Reason("no pipe for its messages", errno);
        return outcome;
    }
    Descriptor errors(pipeEnds[0]), childErrors(pipeEnds[1]);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, childIn.get(), STDIN_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, childErrors.get(), STDERR_FILENO);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned =
        ::posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        outcome.failure = Reason("it could not be started", spawned);
        return outcome;
    }
    childIn.Close();
    childErrors.Close();

    Exchange(in, errors, input, outcome.errors);
    int status = 0;
    pid_t ended = 0;
    while ((ended = ::waitpid(child, &status, 0)) < 0 && errno == EINTR) {
    }
    if (ended < 0) {
        outcome.failure = Reason("its end could not be awaited", errno);
        return outcome;
    }
    if (WIFEXITED(status)) outcome.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) outcome.signal = WTERMSIG(status);
    return outcome;
}

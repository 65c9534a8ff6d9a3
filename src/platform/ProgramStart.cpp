#include "platform/ProgramStart.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tavimo::platform {

namespace {

int readChildError(int fd) {
    int error = 0;
    ssize_t got = 0;
    do
        got = ::read(fd, &error, sizeof error);
    while (got < 0 && errno == EINTR);
    return got == ssize_t(sizeof error) ? error : 0;
}

} // namespace

// QProcess::startDetached only says whether it worked; the user is told the system's error
// number, so the exec error travels back through a close-on-exec pipe: it closes unread when
// exec succeeds. The middle child ends at once, so the program is nobody's child to reap.
int startDetachedProgram(const QString& path) {
    const QByteArray file = QFile::encodeName(path);
    if (file.isEmpty())
        return ENOENT;
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return errno;
    const pid_t middle = ::fork();
    if (middle < 0) {
        const int error = errno;
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        return error;
    }
    if (middle == 0) {
        // Only async-signal-safe calls from here on.
        const pid_t program = ::fork();
        if (program == 0) {
            ::setsid();
            char* const argv[] = {const_cast<char*>(file.constData()), nullptr};
            ::execv(file.constData(), argv);
            const int error = errno;
            [[maybe_unused]] const ssize_t written = ::write(pipeFds[1], &error, sizeof error);
            ::_exit(127);
        }
        if (program < 0) {
            const int error = errno;
            [[maybe_unused]] const ssize_t written = ::write(pipeFds[1], &error, sizeof error);
        }
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    int status = 0;
    while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    const int error = readChildError(pipeFds[0]);
    ::close(pipeFds[0]);
    return error;
}

} // namespace tavimo::platform

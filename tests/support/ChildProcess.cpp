#include "ChildProcess.h"

#ifdef _WIN32
#include <QProcess>
#else
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;
#endif

namespace pelk::test {

#ifdef _WIN32

RChildResult RunChild(const QString &program, const QStringList &arguments, const QByteArray &input,
                      std::chrono::milliseconds timeout)
{
    QProcess p;
    p.start(program, arguments);
    p.write(input);
    p.closeWriteChannel();
    RChildResult r;
    r.finished = p.waitForFinished(int(timeout.count()));
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

#else

namespace {

struct Pipe
{
    int fd[2] = {-1, -1};
    Pipe() { ::pipe2(fd, O_CLOEXEC); }
    ~Pipe() { CloseBoth(); }
    void Close(int end)
    {
        if (fd[end] >= 0)
            ::close(fd[end]);
        fd[end] = -1;
    }
    void CloseBoth()
    {
        Close(0);
        Close(1);
    }
};

} // namespace

RChildResult RunChild(const QString &program, const QStringList &arguments, const QByteArray &input,
                      std::chrono::milliseconds timeout)
{
    RChildResult r;
    Pipe in, out, err;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in.fd[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out.fd[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err.fd[1], 2);
    std::vector<QByteArray> args{program.toLocal8Bit()};
    for (const QString &a : arguments)
        args.push_back(a.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    // A child that ends before taking all its input makes the write fail here instead of
    // ending this process; the child itself gets the default back.
    std::signal(SIGPIPE, SIG_IGN);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    in.Close(0);
    out.Close(1);
    err.Close(1);
    if (spawned != 0) {
        r.err = "cannot start " + args[0];
        return r;
    }
    // Input written and output read side by side, so neither end waits for the other.
    ::fcntl(in.fd[1], F_SETFL, O_NONBLOCK);
    qsizetype written = 0;
    if (input.isEmpty())
        in.Close(1);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (out.fd[0] >= 0 || err.fd[0] >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd fds[3] = {{in.fd[1], POLLOUT, 0}, {out.fd[0], POLLIN, 0}, {err.fd[0], POLLIN, 0}};
        if (::poll(fds, 3, int(left.count())) < 0 && errno != EINTR)
            break;
        if (fds[0].revents) {
            const ssize_t n = ::write(in.fd[1], input.constData() + written, size_t(input.size() - written));
            written += n > 0 ? n : 0;
            if (n < 0 || written == input.size())
                in.Close(1);
        }
        char block[65536];
        for (int i : {1, 2}) {
            if (!fds[i].revents)
                continue;
            Pipe &pipe = i == 1 ? out : err;
            const ssize_t n = ::read(pipe.fd[0], block, sizeof block);
            if (n > 0)
                (i == 1 ? r.out : r.err).append(block, n);
            else
                pipe.Close(0);
        }
    }
    in.Close(1);
    int status = 0;
    if (out.fd[0] >= 0 || err.fd[0] >= 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        return r;
    }
    ::waitpid(pid, &status, 0);
    r.finished = true;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

#endif

} // namespace pelk::test

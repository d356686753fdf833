#include "SimProcess.h"

#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

SimProcess::SimProcess(const std::vector<std::string>& args, const std::vector<std::string>& prefix)
{
    int out[2];
    if (pipe(out) != 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    const std::string sim = VEXILOR_ICOMSIM;
    std::vector<std::string> all = prefix;
    all.push_back(sim);
    all.insert(all.end(), args.begin(), args.end());
    const std::string& program = all.front();
    std::vector<char*> argv;
    for (const std::string& a : all)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const int rc = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) {
        pid_ = -1;
        close(out[0]);
        return;
    }
    // The simulator prints its "listening" line once its socket is bound.
    std::string seen;
    pollfd p{out[0], POLLIN, 0};
    while (seen.find('\n') == std::string::npos && poll(&p, 1, 10000) > 0) {
        char buffer[256];
        const ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        seen.append(buffer, static_cast<std::size_t>(n));
    }
    close(out[0]);
    ready_ = seen.rfind("listening", 0) == 0;
}

SimProcess::~SimProcess()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
}

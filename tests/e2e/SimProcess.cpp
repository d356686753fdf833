#include "SimProcess.h"

#include "RunTool.h"

#include <csignal>
#include <cstring>

#ifdef _WIN32
#include <filesystem>
#else
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace {

std::vector<std::string> commandOf(const std::vector<std::string>& args, const std::vector<std::string>& prefix)
{
    std::vector<std::string> all = prefix;
    all.push_back(VEXILOR_ICOMSIM);
    all.insert(all.end(), args.begin(), args.end());
    return all;
}

}  // namespace

#ifdef _WIN32

SimProcess::SimProcess(const std::vector<std::string>& args, const std::vector<std::string>& prefix)
{
    const std::vector<std::string> all = commandOf(args, prefix);
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!CreatePipe(&read, &write, &inherit, 0))
        return;
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    std::wstring line = commandLine(all);
    const std::wstring application = std::filesystem::path(widen(all.front())).make_preferred().wstring();
    PROCESS_INFORMATION info{};
    const BOOL started = CreateProcessW(application.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &info);
    CloseHandle(write);
    if (!started) {
        CloseHandle(read);
        return;
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    // The simulator prints its "listening" line once its socket is bound; the pipe ends if it exits.
    std::string seen;
    char buffer[256];
    DWORD n = 0;
    while (seen.find('\n') == std::string::npos && ReadFile(read, buffer, sizeof buffer, &n, nullptr) && n > 0)
        seen.append(buffer, n);
    CloseHandle(read);
    ready_ = seen.rfind("listening", 0) == 0;
}

SimProcess::~SimProcess()
{
    if (process_ != nullptr) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, INFINITE);
        CloseHandle(process_);
    }
}

#else

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
    const std::vector<std::string> all = commandOf(args, prefix);
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

#endif

#pragma once

#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/types.h>
#endif

// A vexilor-icomsim child process, ready to answer once constructed, stopped when destroyed.
class SimProcess {
public:
    // prefix runs the simulator through another program (e.g. "ip netns exec NAME").
    explicit SimProcess(const std::vector<std::string>& args, const std::vector<std::string>& prefix = {});
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    bool ready() const { return ready_; }

private:
#ifdef _WIN32
    HANDLE process_ = nullptr;
#else
    pid_t pid_ = -1;
#endif
    bool ready_ = false;
};

#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

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
    pid_t pid_ = -1;
    bool ready_ = false;
};

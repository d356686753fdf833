#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

// A vexilor-icomsim child process, ready to answer once constructed, stopped when destroyed.
class SimProcess {
public:
    explicit SimProcess(const std::vector<std::string>& args);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    bool ready() const { return ready_; }

private:
    pid_t pid_ = -1;
    bool ready_ = false;
};

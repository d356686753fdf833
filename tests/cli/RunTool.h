#pragma once

#include <string>
#include <vector>

// Runs a built command-line tool as a child process and collects what it printed and its exit code,
// so tests exercise the real argument parsing, streams and exit codes.
struct ToolResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

ToolResult runTool(const std::string& program, const std::vector<std::string>& args);

// A fresh directory under the system's temporary directory, removed when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string readWholeFile(const std::string& path);
void writeWholeFile(const std::string& path, const std::string& bytes);

#ifdef _WIN32
// UTF-8 to UTF-16, and a command line that the C runtime splits back into argv.
std::wstring widen(const std::string& utf8);
std::wstring commandLine(const std::vector<std::string>& argv);
#endif

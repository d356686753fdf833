#include "RunTool.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace {

// A UTF-8 path as a path, whatever the narrow code page of the system.
std::filesystem::path utf8Path(const std::string& path)
{
    return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

}  // namespace

#ifdef _WIN32

std::wstring widen(const std::string& utf8)
{
    if (utf8.empty())
        return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring out(std::size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), out.data(), n);
    return out;
}

namespace {

std::wstring quoteArgument(const std::wstring& argument)
{
    // Backslashes double only before a quote, as the C runtime splits a command line.
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        out += c;
        backslashes = 0;
    }
    out.append(backslashes * 2, L'\\');
    out += L'"';
    return out;
}

}  // namespace

std::wstring commandLine(const std::vector<std::string>& argv)
{
    std::wstring line;
    for (const std::string& a : argv) {
        if (!line.empty())
            line += L' ';
        line += quoteArgument(widen(a));
    }
    return line;
}

ToolResult runTool(const std::string& program, const std::vector<std::string>& args)
{
    TempDir dir;
    const std::string outPath = dir.file("out"), errPath = dir.file("err");
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const auto open = [&](const std::string& path, DWORD access, DWORD disposition) {
        return CreateFileW(widen(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    HANDLE in = open("NUL", GENERIC_READ, OPEN_EXISTING);
    HANDLE out = open(outPath, GENERIC_WRITE, CREATE_ALWAYS);
    HANDLE err = open(errPath, GENERIC_WRITE, CREATE_ALWAYS);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    std::wstring line = commandLine(argv);
    const std::wstring application = std::filesystem::path(widen(program)).make_preferred().wstring();
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(application.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &process);
    CloseHandle(in);
    CloseHandle(out);
    CloseHandle(err);
    if (!started)
        throw std::runtime_error("cannot start " + program);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    ToolResult result;
    result.exitCode = int(code);
    result.out = readWholeFile(outPath);
    result.err = readWholeFile(errPath);
    return result;
}

#else

ToolResult runTool(const std::string& program, const std::vector<std::string>& args)
{
    // Stdout and stderr go to temporary files, so a chatty child can never block on a full pipe.
    TempDir dir;
    const std::string outPath = dir.file("out"), errPath = dir.file("err");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        throw std::runtime_error("cannot start " + program);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
    }
    ToolResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = readWholeFile(outPath);
    result.err = readWholeFile(errPath);
    return result;
}

#endif

TempDir::TempDir()
{
#ifdef _WIN32
    // No mkdtemp here: a random name, tried until one is new.
    static std::mt19937_64 rng{std::random_device{}()};
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
        const auto candidate = std::filesystem::temp_directory_path() / ("vexilor-test-" + std::to_string(rng() % 1000000000));
        if (std::filesystem::create_directory(candidate))
            path_ = candidate.generic_string();
    }
    if (path_.empty())
        throw std::runtime_error("no temporary directory could be made");
#else
    std::string pattern = (std::filesystem::temp_directory_path() / "vexilor-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
#endif
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string readWholeFile(const std::string& path)
{
    std::ifstream in(utf8Path(path), std::ios::binary);
    std::ostringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

void writeWholeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(utf8Path(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

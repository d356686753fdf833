#include "Cli.h"

#include "vexilor/Version.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <filesystem>
#include <map>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace vexilor::cli {
namespace {
Runner selected;
text::CodePage chosenCodePage;

std::map<std::string, AddCommands>& groups()
{
    static std::map<std::string, AddCommands> all;
    return all;
}
}  // namespace

CommandGroup::CommandGroup(const char* name, AddCommands add)
{
    groups().emplace(name, add);
}

void onRun(CLI::App* sub, Runner runner)
{
    sub->callback([sub, runner = std::move(runner)] {
        (void)sub;
        selected = runner;
    });
}

bool readFile(const std::string& path, std::string& bytes, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad()) {
        error = "cannot read " + path;
        return false;
    }
    bytes = std::move(buffer).str();
    return true;
}

bool writeFileAtomic(const std::string& path, const std::string& bytes, std::string& error)
{
    namespace fs = std::filesystem;
    const fs::path target(path);
    fs::path temp = target;
    temp += ".vexilor-tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) {
            error = "cannot write " + temp.string() + ": " + std::strerror(errno);
            return false;
        }
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            error = "cannot write " + temp.string();
            std::error_code ignored;
            fs::remove(temp, ignored);
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temp, target, ec);
    if (ec) {
        error = "cannot replace " + path + ": " + ec.message();
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

const text::CodePage& codePage()
{
    return chosenCodePage;
}

int fail(const std::string& message)
{
    std::cerr << "vexilor-cli: " << message << '\n';
    return kExitError;
}

}  // namespace vexilor::cli

int main(int argc, char** argv)
{
    using namespace vexilor::cli;
#ifdef _WIN32
    // Output is bytes as written: a file printed to stdout keeps its exact line ends.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    CLI::App app{"Vexilor command-line tool: restrictions files, configuration files, intercoms."};
    app.require_subcommand(1);
    app.set_version_flag("--version", std::string(vexilor::build::kVersion));
    // Taken before or after the subcommand.
    app.fallthrough();
    unsigned codePageNumber = vexilor::text::systemCodePage();
    app.add_option("--code-page", codePageNumber,
                   "ANSI code page of restrictions files and of 8-bit configuration texts "
                   "(1252, 1250, 1251, 932, 936, 949, 950, ...)")
        ->capture_default_str();
    for (const auto& [name, add] : groups())
        add(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int rc = app.exit(e);
        return rc == 0 ? kExitOk : kExitUsage;
    }
    if (!selected)
        return kExitUsage;
    const std::optional<vexilor::text::CodePage> chosen = vexilor::text::CodePage::make(codePageNumber);
    if (!chosen) {
        std::cerr << "vexilor-cli: code page " << codePageNumber
                  << " cannot be converted on this system\n";
        return kExitUsage;
    }
    chosenCodePage = *chosen;
    return selected();
}

#include "tests/native/corpus/Renders.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

extern char** environ;

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string LastLine(const std::string& path) {
    std::string text = ReadAll(path);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    size_t start = text.find_last_of('\n');
    return start == std::string::npos ? text : text.substr(start + 1);
}

RenderResult Run(const std::string& program, const std::vector<std::string>& args, const std::string& wav) {
    std::error_code ignored;
    fs::remove(wav, ignored);
    std::string log = wav + ".log";
    int status = RunProgram(program, args, log);
    if (status != 0) return {wav, fs::path(program).filename().string() + " exited with " +
                                      std::to_string(status) + ": " + LastLine(log)};
    if (!fs::exists(wav)) return {wav, fs::path(program).filename().string() + " wrote no " + wav};
    return {wav, ""};
}

}  // namespace

int RunProgram(const std::string& program, const std::vector<std::string>& args, const std::string& logPath) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t pid;
    int started = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

RenderResult RenderWithOpenmpt(const std::string& openmpt123, const std::string& module, int filter,
                               const std::string& scratch) {
    fs::path folder = fs::path(scratch) / ("openmpt-filter" + std::to_string(filter));
    fs::create_directories(folder);
    fs::path copy = folder / fs::path(module).filename();
    std::string wav = copy.string() + ".wav";
    fs::path finished = wav + ".done";  // written only once a render has completed
    std::string bytes = ReadAll(module);
    if (fs::exists(finished) && ReadAll(copy.string()) == bytes) return {wav, ""};
    std::error_code ignored;
    fs::remove(finished, ignored);
    std::ofstream(copy, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    RenderResult result = Run(openmpt123,
               {"--render", "--force", "--quiet", "--no-float", "--dither", "0", "--samplerate", "48000",
                "--channels", "2", "--subsong", "0", "--repeat", "0", "--ctl", "play.at_end=stop",
                "--output-type", "wav", "--filter", std::to_string(filter), copy.string()},
               wav);
    if (result.error.empty()) std::ofstream(finished).put('\n');
    return result;
}

RenderResult RenderWithXmrender(const std::string& xmrender, const std::string& module,
                                const std::vector<std::string>& options, const std::string& folder,
                                const std::string& scratch) {
    fs::path dir = fs::path(scratch) / folder;
    fs::create_directories(dir);
    std::string wav = (dir / fs::path(module).filename()).string() + ".wav";
    std::vector<std::string> args = options;
    args.push_back(module);
    args.push_back(wav);
    return Run(xmrender, args, wav);
}

#pragma once
// Renders of corpus files by xmrender and by openmpt123, in a scratch folder
// of the build tree. openmpt123's renders are kept between runs.

#include <string>
#include <vector>

// Runs program with args, its output going to logPath. Returns the exit
// status, or -1 when it could not be started or did not exit normally.
int RunProgram(const std::string& program, const std::vector<std::string>& args, const std::string& logPath);

struct RenderResult {
    std::string wav;    // path of the WAV written
    std::string error;  // empty on success, else what went wrong
};

// openmpt123 at one --filter setting (1 nearest, 2 linear, 4 cubic, 8 sinc).
// It writes FILE.wav beside its input, so the module is copied into
// scratch/openmpt-filterN first; an earlier render of the same bytes is reused.
RenderResult RenderWithOpenmpt(const std::string& openmpt123, const std::string& module, int filter,
                               const std::string& scratch);

// xmrender with the given options, into scratch/<folder>/FILE.wav.
RenderResult RenderWithXmrender(const std::string& xmrender, const std::string& module,
                                const std::vector<std::string>& options, const std::string& folder,
                                const std::string& scratch);

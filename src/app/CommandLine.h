#pragma once
// What the command line asks for. Read before any window or display exists,
// so that `tavrel --version` works over ssh and in package checks.

#include <string>
#include <string_view>
#include <vector>

namespace tavrel {

struct CommandLine {
    enum class Action {
        Run,     // start the program; File may name a recording to open
        Version, // print Text on standard output and exit 0
        Help,    // print Text on standard output and exit 0
        Error    // print Text on standard error and exit 2
    };
    Action What = Action::Run;
    std::string File; // only for Run; empty: start with nothing loaded
    std::string Text; // one line, no line feed
};

// args are the arguments after the program name. Options: --version, --help
// (also -h); "--" ends the options so that a file named "-x.wav" can be given.
// At most one file. The file is not looked at here: opening it is the load
// command's business, with its own messages.
CommandLine ParseCommandLine(const std::vector<std::string_view>& args,
                             std::string_view versionText);

} // namespace tavrel

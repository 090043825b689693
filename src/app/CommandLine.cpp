#include "app/CommandLine.h"

#include <utility>

namespace tavrel {

namespace {

constexpr std::string_view kHelp =
    "使い方 / usage: tavrel [ファイル.wav]  |  tavrel --version  |  tavrel --help";

CommandLine Answer(CommandLine::Action what, std::string text) {
    CommandLine c;
    c.What = what;
    c.Text = std::move(text);
    return c;
}

CommandLine Fail(std::string text) {
    return Answer(CommandLine::Action::Error, std::move(text));
}

} // namespace

CommandLine ParseCommandLine(const std::vector<std::string_view>& args,
                             std::string_view versionText) {
    CommandLine result;
    bool optionsEnded = false;
    bool haveFile = false;
    for (const std::string_view arg : args) {
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg == "--version") {
            return Answer(CommandLine::Action::Version, "Tavrel " + std::string(versionText));
        } else if (!optionsEnded && (arg == "--help" || arg == "-h")) {
            return Answer(CommandLine::Action::Help, std::string(kHelp));
        } else if (!optionsEnded && arg.starts_with('-')) {
            // A lone "-" is refused too: a recording cannot come from a pipe.
            return Fail("tavrel: 知らないオプションです / unknown option: " + std::string(arg) +
                        "  (tavrel --help)");
        } else if (haveFile) {
            return Fail("tavrel: 開けるファイルは一つだけです / only one file at a time: " +
                        std::string(arg));
        } else if (arg.empty()) {
            return Fail("tavrel: ファイル名が空です / empty file name");
        } else {
            result.File = std::string(arg);
            haveFile = true;
        }
    }
    return result;
}

} // namespace tavrel

#include "app/CommandLine.h"

#include <gtest/gtest.h>

using namespace tavrel;
using A = CommandLine::Action;

TEST(CommandLine, EachArgumentListGivesOneAnswer) {
    // Arguments, then what to do, with which file, and how the one line of text begins.
    const std::tuple<std::vector<std::string_view>, A, std::string, std::string> cases[] = {
        {{}, A::Run, "", ""},
        {{"/tmp/録音 1.wav"}, A::Run, "/tmp/録音 1.wav", ""},
        {{"--version"}, A::Version, "", "Tavrel 16.0"},
        {{"-h"}, A::Help, "", "使い方 / usage: tavrel"},
        // The first informative option answers; what follows is not looked at.
        {{"a.wav", "--help", "--bogus"}, A::Help, "", "使い方 / usage: tavrel"},
        {{"--", "-odd.wav"}, A::Run, "-odd.wav", ""},
        {{"--", "--version"}, A::Run, "--version", ""},
        {{"--bogus"}, A::Error, "", "tavrel: 知らないオプションです / unknown option: --bogus"},
        {{"-"}, A::Error, "", "tavrel: 知らないオプションです / unknown option: -"},
        {{"a.wav", "b.wav"}, A::Error, "", "tavrel: 開けるファイルは一つだけです"},
        {{""}, A::Error, "", "tavrel: ファイル名が空です"},
    };
    for (const auto& [args, what, file, text] : cases) {
        const CommandLine got = ParseCommandLine(args, "16.0");
        EXPECT_TRUE(got.What == what && got.File == file && got.Text.starts_with(text) &&
                    got.Text.find('\n') == std::string::npos &&
                    got.Text.empty() == (what == A::Run))
            << (args.empty() ? "" : args.back()) << ": " << got.File << " " << got.Text;
    }
}

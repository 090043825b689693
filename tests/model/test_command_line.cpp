#include "app/CommandLine.h"

#include <gtest/gtest.h>

using namespace tavrel;
using Action = CommandLine::Action;

TEST(CommandLine, EachArgumentListGivesOneAnswer) {
    struct Case {
        std::vector<std::string_view> args;
        Action what;
        std::string file;
        std::string textStart; // the answer's line begins with this
    };
    const Case cases[] = {
        {{}, Action::Run, "", ""},
        {{"vowel.wav"}, Action::Run, "vowel.wav", ""},
        {{"/tmp/録音 1.wav"}, Action::Run, "/tmp/録音 1.wav", ""},
        {{"--version"}, Action::Version, "", "Tavrel 16.0"},
        {{"--help"}, Action::Help, "", "使い方 / usage: tavrel"},
        {{"-h"}, Action::Help, "", "使い方 / usage: tavrel"},
        // The first informative option answers; what follows is not looked at.
        {{"a.wav", "--version", "--bogus"}, Action::Version, "", "Tavrel 16.0"},
        {{"--", "-odd.wav"}, Action::Run, "-odd.wav", ""},
        {{"--", "--version"}, Action::Run, "--version", ""},
        {{"--bogus"},
         Action::Error,
         "",
         "tavrel: 知らないオプションです / unknown option: --bogus"},
        {{"-v"}, Action::Error, "", "tavrel: 知らないオプションです / unknown option: -v"},
        {{"-"}, Action::Error, "", "tavrel: 知らないオプションです / unknown option: -"},
        {{"a.wav", "b.wav"}, Action::Error, "", "tavrel: 開けるファイルは一つだけです"},
        {{""}, Action::Error, "", "tavrel: ファイル名が空です"},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const std::string_view a : c.args)
            shown += "[" + std::string(a) + "] ";
        SCOPED_TRACE(shown);
        const CommandLine got = ParseCommandLine(c.args, "16.0");
        EXPECT_EQ(got.What, c.what);
        EXPECT_EQ(got.File, c.file);
        EXPECT_TRUE(got.Text.starts_with(c.textStart)) << got.Text;
        EXPECT_EQ(got.Text.find('\n'), std::string::npos) << "one line only";
        EXPECT_EQ(got.Text.empty(), c.what == Action::Run);
    }
}

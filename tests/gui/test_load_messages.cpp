// Every refusal of a recording has words of its own; the unknown kind of file
// names the kinds that are read.
#include "app/LoadMessages.h"

#include <gtest/gtest.h>
#include <set>

using namespace tavrel;

TEST(LoadMessages, EveryRefusalWorded) {
    std::set<QString> texts;
    for (int e = int(WavError::CannotOpen); e <= int(WavError::Cancelled); ++e)
        EXPECT_TRUE(texts.insert(LoadErrorMessage(WavError(e))).second) << e; // distinct
    EXPECT_EQ(texts.count(""), 0u);
    EXPECT_TRUE(LoadErrorMessage(WavError::UnrecognisedFormat)
                    .startsWith(QString::fromUtf8("認識できないファイル形式です。\n読めるのは")));
}

#include "ResultCode.h"

#include <gtest/gtest.h>

TEST(ResultCodeMessages, EveryCodeHasItsFixedText) {
    const std::map<int, std::string>& messages = ResultCodeMessages();
    EXPECT_EQ(8u, messages.size());
    EXPECT_EQ("OK", messages.at(Ok));
    EXPECT_EQ("failed", messages.at(Failed));
    EXPECT_EQ("not implementation", messages.at(NotImplementation));
    EXPECT_EQ("memory length too small", messages.at(MemoryLengthTooSmall));
    EXPECT_EQ("can not open file", messages.at(CanNotOpenFile));
    EXPECT_EQ(&messages, &ResultCodeMessages());
}

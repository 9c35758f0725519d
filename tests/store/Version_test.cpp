#include "Version.h"

#include <gtest/gtest.h>

#include <string>

using chunkstore::CompareVersions;
using chunkstore::IsValidVersion;

TEST(Version, OnlyDottedDecimalWithoutLeadingZerosIsAVersion) {
    for (const char* valid : {"0", "1", "1.0", "1.4.12", "10.0.0.999999999", "1.2.3.4.5.6.7.8"}) {
        EXPECT_TRUE(IsValidVersion(valid)) << valid;
    }
    for (const char* invalid : {"", ".", "1.", ".1", "1..2", "01", "1.02", "v1", "1.2-beta", "1,2", " 1", "1 ",
                                "1234567890", "1.2.3.4.5.6.7.8.9", "-1", "+1"}) {
        EXPECT_FALSE(IsValidVersion(invalid)) << invalid;
    }
}

TEST(Version, OrderIsNumericPartByPart) {
    const struct {
        const char* a;
        const char* b;
        int order;
    } kCases[] = {
        {"1.0", "1.0", 0},       {"1.2", "1.2.0", 0},        {"1.2.0.0", "1.2", 0},
        {"1.9", "1.10", -1},     {"2", "1.99.99", 1},        {"1.2", "1.2.1", -1},
        {"0.0.1", "0", 1},       {"999999999", "1000", 1},   {"3.1.4", "3.1.40", -1},
    };
    auto order = [](const char* a, const char* b) { return (CompareVersions(a, b) > 0) - (CompareVersions(a, b) < 0); };
    for (const auto& c : kCases) {
        SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
        EXPECT_EQ(c.order, order(c.a, c.b));
        EXPECT_EQ(-c.order, order(c.b, c.a));
    }
}

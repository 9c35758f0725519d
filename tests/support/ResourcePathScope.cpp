#include "ResourcePathScope.h"

#include "TestEnv.h"
#include "UiResourceLocation.h"

#include <gtest/gtest.h>

using Orvel::UiResourceLocation;

ResourcePathScope::ResourcePathScope(const std::wstring& path) : path_(path) {
    UiResourceLocation::SetResourcePath(path_.c_str());
}

ResourcePathScope::ResourcePathScope(const std::wstring& folderName, const Files& files)
    : ResourcePathScope(testenv::MakeTempSubdir(folderName) + L"\\") {
    for (const auto& file : files) {
        const bool written = testenv::WriteFileBytes(path_ + file.first, testenv::Utf8(file.second));
        EXPECT_TRUE(written) << testenv::Utf8(file.first);
    }
}

ResourcePathScope::~ResourcePathScope() { UiResourceLocation::SetResourcePath(L""); }

// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/blogaddress.h"

#include <gtest/gtest.h>

namespace pellomar {
namespace {

TEST(BlogAddress, FourServicesBuildTheAddressFromTheNameAsTyped) {
    EXPECT_EQ(GeneratedBlogAddress(kBaidu, QStringLiteral("a b")),
              QStringLiteral("http://hi.baidu.com/a b/blog"));
    EXPECT_EQ(GeneratedBlogAddress(kHexun, QStringLiteral("abc")),
              QStringLiteral("http://abc.blog.hexun.com"));
    EXPECT_EQ(GeneratedBlogAddress(kNetEase, QStringLiteral("abc")),
              QStringLiteral("http://abc.blog.163.com/blog/#m=0"));
    EXPECT_EQ(GeneratedBlogAddress(kSohu, QStringLiteral("abc")),
              QStringLiteral("http://abc.blog.sohu.com/entry/"));
    EXPECT_EQ(GeneratedBlogAddress(kBaidu, QString()), QStringLiteral("http://hi.baidu.com//blog"));
}

TEST(BlogAddress, SinaAndUnknownServicesHaveNoGeneratedAddress) {
    EXPECT_FALSE(GeneratedBlogAddress(kSina, QStringLiteral("abc")));
    EXPECT_FALSE(GeneratedBlogAddress(ServiceKind(5), QStringLiteral("abc")));
}

TEST(BlogAddress, OnlySinaNamesAreCleanedAsTheyAreTyped) {
    EXPECT_EQ(TaskNameAsTyped(kSina, QStringLiteral("我的 博客?<b>")),
              QStringLiteral("我的_博客_b"));
    EXPECT_EQ(TaskNameAsTyped(kSohu, QStringLiteral("a b?")), QStringLiteral("a b?"));
}

TEST(BlogAddress, PicturesAreSavedByDefaultForAllButHexun) {
    EXPECT_TRUE(PicturesByDefault(kSina));
    EXPECT_TRUE(PicturesByDefault(kBaidu));
    EXPECT_FALSE(PicturesByDefault(kHexun));
    EXPECT_TRUE(PicturesByDefault(kNetEase));
    EXPECT_TRUE(PicturesByDefault(kSohu));
    EXPECT_FALSE(PicturesByDefault(ServiceKind(7)));
}

} // namespace
} // namespace pellomar

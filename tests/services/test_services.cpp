// SPDX-License-Identifier: GPL-3.0-or-later
#include "services/service.h"

#include <gtest/gtest.h>

using namespace pellomar;

namespace {
QString S(const char16_t* text) {
    return QString::fromUtf16(text);
}
} // namespace

TEST(ArticleAddress, BuildsEachServicesAddressFromTheLinkCell) {
    const QString name = S(u"abc");
    EXPECT_EQ(ArticleAddress(kSina, name, S(u"blog_123.html")),
              S(u"http://blog.sina.com.cn/s/blog_123.html"));
    EXPECT_EQ(ArticleAddress(kBaidu, name, S(u"0123456789abcdef0123456789.html")),
              S(u"http://hi.baidu.com/abc/blog/item/0123456789abcdef0123456789.html"));
    EXPECT_EQ(ArticleAddress(kHexun, name, S(u"777.html")),
              S(u"http://abc.blog.hexun.com/777.html"));
    EXPECT_EQ(ArticleAddress(kNetEase, name, S(u"1234567820114321.html")),
              S(u"http://abc.blog.163.com/blog/static/1234567820114321"));
    EXPECT_EQ(ArticleAddress(kSohu, name, S(u"202840469.html")),
              S(u"http://abc.blog.sohu.com/202840469.html"));
}

TEST(ArticleAddress, InsertsNameAndLinkUnescaped) {
    EXPECT_EQ(ArticleAddress(kHexun, S(u"my blog"), S(u"1 2.html")),
              S(u"http://my blog.blog.hexun.com/1 2.html"));
    EXPECT_EQ(ArticleAddress(kBaidu, S(u"名 字"), S(u"x.html")),
              S(u"http://hi.baidu.com/名 字/blog/item/x.html"));
    // Sina does not use the task name at all.
    EXPECT_EQ(ArticleAddress(kSina, S(u"ignored"), QString()), S(u"http://blog.sina.com.cn/s/"));
}

TEST(ArticleAddress, UnknownServiceAndShortNetEaseLinkGiveNothing) {
    EXPECT_TRUE(ArticleAddress(5, S(u"abc"), S(u"x.html")).isEmpty());
    EXPECT_TRUE(ArticleAddress(255, S(u"abc"), S(u"x.html")).isEmpty());
    EXPECT_TRUE(ArticleAddress(kNetEase, S(u"abc"), S(u"html")).isEmpty());
    EXPECT_TRUE(ArticleAddress(kNetEase, S(u"abc"), QString()).isEmpty());
    EXPECT_EQ(ArticleAddress(kNetEase, S(u"abc"), S(u".html")),
              S(u"http://abc.blog.163.com/blog/static/"));
}

TEST(SiteProfile, HoldsTheMarkersWithRealQuotes) {
    ASSERT_NE(Profile(kNetEase), nullptr);
    EXPECT_EQ(Profile(kNetEase)->BodyStart, S(u"<div class=\"multicntwrap\">"));
    EXPECT_EQ(Profile(kNetEase)->BodyStart.size(), 26);
    EXPECT_EQ(Profile(kSohu)->BodyStart.size(), 23);
    EXPECT_EQ(Profile(kSohu)->BodyEnd,
              S(u"<div id=\"miniAd\" style=\"display:none;padding-top:20px\"></div>"));
    EXPECT_EQ(Profile(kHexun)->BodyStart, S(u"<!--  文章内容:开始  -->"));
    EXPECT_EQ(Profile(kSina)->GoneMarkerB, S(u"http://blog.sina.com.cn/main_v5/ria"));
}

TEST(SiteProfile, CharsetsLabelsAndListMarkers) {
    EXPECT_EQ(Profile(kSina)->Charset, S(u"UTF-8"));
    for (ServiceKind kind : {kBaidu, kHexun, kNetEase, kSohu})
        EXPECT_EQ(Profile(kind)->Charset, S(u"GB2312"));
    EXPECT_EQ(ServiceLabel(kSohu), S(u"搜狐"));
    EXPECT_TRUE(ServiceLabel(5).isEmpty());
    EXPECT_EQ(Profile(5), nullptr);
    // Only the browser-read services have list markers at all.
    EXPECT_FALSE(Profile(kSina)->ListReadyMarker.has_value());
    EXPECT_EQ(Profile(kSohu)->ListReadyMarker, S(u"<DIV class=content-bottom>"));
    EXPECT_EQ(Profile(kNetEase)->ListBusyMarker, S(u"111+++++111"));
}

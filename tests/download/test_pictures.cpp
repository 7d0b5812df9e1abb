// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/appstate.h"
#include "core/filenames.h"
#include "download/articlepage.h"
#include "download/downloadsteps.h"
#include "download/pictures.h"
#include "downloadtesthelpers.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace pellomar;
using namespace pellomar::test;

namespace {

class Pictures : public ::testing::Test {
  protected:
    Pictures() : state(dir.path()) {
        state.serviceKind = kBaidu;
        state.taskName = QStringLiteral("任务");
        state.savePictures = true;
        for (int row = 1; row <= 3; ++row)
            state.table().AddArticle(u"标题"_qs, QStringLiteral("图 片"),
                                     u"item" + QString::number(row) + u".html", u"d"_qs);
        QDir().mkpath(Paths().CategoryFolder(u"图 片"_qs));
    }

    TaskPaths Paths() const { return {state.programFolder(), state.taskName}; }
    QStringList Queue() { return state.statusLog().Lines(); }
    QStringList Log() const { return LogMessages(dir.path()); }

    QTemporaryDir dir;
    AppState state;
};

} // namespace

TEST(PictureTags, EveryGreaterThanEndsALineBeforeMatching) {
    EXPECT_EQ(MatchTags(u"<img .*>"_qs, u"<p><IMG src=\"a\"><img src=\"b\" /></p>"_qs),
              u"<IMG src=\"a\">\r\n<img src=\"b\" />\r\n");
    EXPECT_EQ(MatchTags(u"<img .*>"_qs, u"<img\tsrc=\"a\"><img src=\"b\"\n>"_qs), QString());
    EXPECT_EQ(MatchTags(u"<img .*>"_qs, u"<p>none</p>"_qs), QString());
}

TEST_F(Pictures, SinaRealAddressReplacesTheTransparentPlaceholderAndIsQueued) {
    state.serviceKind = kSina;
    const QString body =
        QStringLiteral("<p><a href=\"x\"><img src=\"http://simg.sinajs.cn/blog7style/images/common/"
                       "sg_trans.gif\" real_src =\"http://s1.sinaimg.cn/middle/4abd5fba&amp;690\" "
                       "title=\"图\" /></a></p>");
    const QString result = LocalisePictures(state, body, 2);
    EXPECT_EQ(result,
              u"<p><a href=\"x\"><img  src=\"http___s1.sinaimg.cn_middle_4abd5fba_amp_690\" "
              u"title=\"图\" /></a></p>");
    EXPECT_EQ(Queue(), QStringList{u"2\r\nhttp://s1.sinaimg.cn/middle/4abd5fba&amp;690"_qs});
    EXPECT_EQ(Log(), QStringList{u"添加到列表:http://s1.sinaimg.cn/middle/4abd5fba&amp;690"_qs});
}

TEST_F(Pictures, UpperCaseTagsAreFoundTabsAndLineBreaksAreNot) {
    const QString body = QStringLiteral("<IMG SRC=\"http://example.com/pic/one.jpg\">"
                                        "<img\tsrc=\"http://example.com/pic/two.jpg\">"
                                        "<img src=\"http://example.com/pic/three.jpg\"\n>");
    const QString result = LocalisePictures(state, body, 1);
    EXPECT_EQ(result, u"<IMG src=\"http___example.com_pic_one.jpg\">"
                      u"<img\tsrc=\"http://example.com/pic/two.jpg\">"
                      u"<img src=\"http://example.com/pic/three.jpg\"\n>");
    EXPECT_EQ(Queue(), QStringList{u"1\r\nhttp://example.com/pic/one.jpg"_qs});
}

TEST_F(Pictures, ATagIsCutAtItsFirstGreaterThan) {
    const QString body = u"<img alt=\"a>b\" src=\"http://example.com/pic/four.jpg\">"_qs;
    EXPECT_EQ(LocalisePictures(state, body, 1), body);
    EXPECT_TRUE(Queue().isEmpty());
    EXPECT_EQ(Log(), QStringList{u"条件限制未添加到列表:未找到-<img alt=\"a>"_qs});
}

TEST_F(Pictures, ShortRelativeAndShareButtonAreNotQueuedButRewritten) {
    const QString body =
        QStringLiteral("<img src=\"http://a.b/c.gi\"><img src=\"/images/relative/pic.gif\">"
                       "<img src=\"http://img.baidu.com/hi/apps/share/share_btn.gif\">"
                       "<img src=\"http://a.b/c.gif\">");
    const QString result = LocalisePictures(state, body, 1);
    EXPECT_EQ(result, u"<img src=\"http___a.b_c.gi\"><img src=\"_images_relative_pic.gif\">"
                      u"<img src=\"http___img.baidu.com_hi_apps_share_share_btn.gif\">"
                      u"<img src=\"http___a.b_c.gif\">");
    // Sixteen characters are enough.
    EXPECT_EQ(Queue(), QStringList{u"1\r\nhttp://a.b/c.gif"_qs});
    const QStringList expected = {u"条件限制未添加到列表:http://a.b/c.gi"_qs,
                                  u"条件限制未添加到列表:/images/relative/pic.gif"_qs,
                                  u"添加到列表:http://a.b/c.gif"_qs};
    EXPECT_EQ(Log(), expected);
}

TEST_F(Pictures, RepeatedAndPrefixAddressesAreQueuedEachTime) {
    const QString body = QStringLiteral("<img src=\"http://example.com/p.jpg\">"
                                        "<img src=\"http://example.com/p.jpg?x=1\">"
                                        "<img src=\"http://example.com/p.jpg\">");
    const QString result = LocalisePictures(state, body, 3);
    // The first address is the beginning of the second, so its rewrite reaches into it.
    EXPECT_EQ(result, u"<img src=\"http___example.com_p.jpg\">"
                      u"<img src=\"http___example.com_p.jpg?x=1\">"
                      u"<img src=\"http___example.com_p.jpg\">");
    const QStringList expected = {u"3\r\nhttp://example.com/p.jpg"_qs,
                                  u"3\r\nhttp://example.com/p.jpg?x=1"_qs,
                                  u"3\r\nhttp://example.com/p.jpg"_qs};
    EXPECT_EQ(Queue(), expected);
}

TEST_F(Pictures, APictureAlreadyOnDiskIsNotQueuedAgain) {
    const QString address = QStringLiteral("http://example.com/pic/exists.jpg");
    WriteBytes(Paths().PictureFile(u"图 片"_qs, address), "GIF89a");
    const QString result = LocalisePictures(state, u"<img src=\"" + address + u"\">", 1);
    EXPECT_EQ(result, u"<img src=\"http___example.com_pic_exists.jpg\">");
    EXPECT_TRUE(Queue().isEmpty());
    EXPECT_EQ(Log(), QStringList{u"条件限制未添加到列表:" + address});
}

TEST_F(Pictures, HexunBodiesOnlyHaveTheirAttributeNormalised) {
    state.serviceKind = kHexun;
    const QString body = u"<IMG SRC=\"http://example.com/pic/one.jpg\"><img src =\"x\">"_qs;
    EXPECT_EQ(LocalisePictures(state, body, 1),
              u"<IMG src=\"http://example.com/pic/one.jpg\"><img src=\"x\">");
    EXPECT_TRUE(Queue().isEmpty());
}

TEST_F(Pictures, PageProcessingLocalisesOnlyWhenPicturesAreSaved) {
    const QString page =
        u"查看文章</span></div></td><p>正文<img src=\"http://example.com/a/b.png\">"
        u"</p>网友评论：</div>"_qs;
    const QString file = Paths().ArticleFile(u"图 片"_qs, u"item1.html"_qs);
    state.savePictures = false;
    ProcessArticlePage(state, page, 1);
    EXPECT_EQ(ReadCp936(file), u"<p>正文<img src=\"http://example.com/a/b.png\"></p>\r\n");
    EXPECT_TRUE(Queue().isEmpty());

    state.savePictures = true;
    ProcessArticlePage(state, page, 1);
    EXPECT_EQ(ReadCp936(file), u"<p>正文<img src=\"http___example.com_a_b.png\"></p>\r\n");
    EXPECT_EQ(Queue(), QStringList{u"1\r\nhttp://example.com/a/b.png"_qs});
}

TEST_F(Pictures, AHundredThousandPicturesAreLocalisedInLinearTime) {
    QString body;
    for (int n = 0; n < 100'000; ++n)
        body +=
            u"<p>文字</p><img src=\"http://example.com/pictures/" + QString::number(n) + u".jpg\">";
    QElapsedTimer clock;
    clock.start();
    const QString result = LocalisePictures(state, body, 1);
    // Quadratic, this took minutes; linear, a few seconds even under a sanitizer.
    EXPECT_LT(clock.elapsed(), 20'000);
    EXPECT_EQ(state.statusLog().Count(), 100'000);
    EXPECT_TRUE(result.endsWith(u"<img src=\"http___example.com_pictures_99999.jpg\">"));
    EXPECT_FALSE(result.contains(u"http://"));
}

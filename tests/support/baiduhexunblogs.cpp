// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/baiduhexunblogs.h"

#include "demo/samplemarkup.h"
#include "platform/textstream.h"
#include "services/blogaddress.h"
#include "services/service.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QHash>

namespace pellomar::test {

namespace {

const QString kBaiduHost = QString::fromLatin1(hosts::kBaiduSpace);
const QString kHexunDomain = QString::fromLatin1(hosts::kHexunDomain);
const QString kHexunCategory = QStringLiteral("默认类别");
constexpr int kPerPage = 10;

// Each title needs the file-name cleaner; 镕 and 喆 are in GBK but not in GB2312.
const QStringList kTitles = {
    QStringLiteral("朱镕基答问: 第%1篇"),
    QStringLiteral("读书/笔记?%1"),
    QStringLiteral("陶喆*新歌 #%1"),
    QStringLiteral("50%的时间;%1"),
};
const QStringList kBaiduCategories = {QStringLiteral("生活随笔"), QStringLiteral("读书/笔记"),
                                      QStringLiteral("镕喆杂谈")};

QString Hex24(const QString& seed) {
    return QString::fromLatin1(
        QCryptographicHash::hash(seed.toUtf8(), QCryptographicHash::Md5).toHex().left(24));
}

// Newest first, seven hours apart.
QString DateOf(int i) {
    const QDateTime newest(QDate(2011, 8, 21), QTime(10, 20));
    return newest.addSecs(-7 * 3600 * qint64(i)).toString(QStringLiteral("yyyy-MM-dd hh:mm"));
}

FixtureBlog MakeBlog(ServiceKind kind, const QString& account, int count) {
    FixtureBlog blog{kind, account, {}};
    for (int i = 0; i < count; ++i) {
        BlogArticle article;
        article.title = kTitles[i % kTitles.size()].arg(i + 1);
        article.date = DateOf(i);
        if (kind == kBaidu) {
            article.category = kBaiduCategories[i % kBaiduCategories.size()];
            article.link = Hex24(account + QString::number(i)) + u".html";
            if (i % 2 == 0)
                article.pictures << u"http://hiphotos.baidu.com/" + account + u"/pic/item/" +
                                        Hex24(article.link) + u".jpg";
        } else {
            article.category = kHexunCategory;
            article.link = QString::number(65000000 + 37 * i) + u"_d.html";
        }
        blog.articles << article;
    }
    return blog;
}

LoopbackServer::Response GbkPage(const QString& html) {
    return {200, "text/html; charset=gb2312", EncodeCp936(html), {}};
}

QString Head(const QString& title) {
    return u"<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
           u"charset=gb2312\"><title>" +
           title + u"</title></head>";
}

// The body between the service's own markers, as the download cuts it out.
QString ArticlePage(ServiceKind kind, const BlogArticle& article) {
    QString body = u"<p>《" + article.title + u"》的正文：镕喆二字在GBK里。</p>";
    for (const QString& picture : article.pictures)
        body += u"<p><img src=\"" + picture + u"\" border=\"0\"></p>";
    const SiteProfile& profile = *Profile(kind);
    return Head(article.title) + u"\n<body>\n<div>" + profile.BodyStart + u"\n" + body + u"\n" +
           profile.BodyEnd + u"</div>\n</body></html>\n";
}

} // namespace

FixtureBlog BaiduBlog(const QString& account, int count) {
    return MakeBlog(kBaidu, account, count);
}

FixtureBlog HexunBlog(const QString& account, int count) {
    return MakeBlog(kHexun, account, count);
}

QList<QStringList> ExpectedRows(const FixtureBlog& blog) {
    QList<QStringList> rows;
    QHash<QString, int> counts;
    for (const BlogArticle& article : blog.articles)
        rows.append({article.title, article.category, article.link, article.date,
                     QString::number(++counts[article.category])});
    return rows;
}

QStringList BaiduArticleLines(const QString& account, const BlogArticle& article) {
    return {u"<div class=\"tit\"><a href=\"/" + account + u"/blog/item/" + article.link +
                u"\" target=\"_blank\">",
            article.title + u"</a></div>", u"<div class=\"date\">" + article.date + u"</div>",
            QStringLiteral("<div class=\"cnt\">摘要……</div>"),
            u"<div class=\"opt\">类别：" + article.category + u"</div>"};
}

// The first-page link is written without quotes, the others with them: the reader finds
// the line by "0>[首页]" and drops a closing quote from every later number.
QString BaiduPagingLine(const QString& account, int lastPage) {
    const QString base = u"/" + account + u"/blog/index/";
    QString line = u"<div class=\"pagerbar\"><a href=" + base + u"0>[首页]</a>";
    for (int page = 1; page <= lastPage; ++page)
        line += u" <a href=\"" + base + QString::number(page) + u"\">" + QString::number(page + 1) +
                u"</a>";
    return line + u" <a href=\"" + base + QString::number(lastPage) + u"\">[尾页]</a></div>";
}

namespace {

// lastPage 0: no paging line.
QString BaiduListPage(const QString& account, const QList<BlogArticle>& articles, int lastPage) {
    QString page = Head(account + u"的空间_百度空间") + u"\n<body>\n<div id=\"m_blog\">";
    for (const BlogArticle& article : articles)
        page += u"\n\t" + BaiduArticleLines(account, article).join(QStringLiteral("\n\t"));
    page += QStringLiteral("\n\t</div>\n");
    if (lastPage > 0)
        page += BaiduPagingLine(account, lastPage) + u'\n';
    return page + u"</body></html>\n";
}

} // namespace

QString HexunItem(const QString& account, const BlogArticle& article) {
    const QString address = u"http://" + account + u'.' + kHexunDomain + u'/' + article.link;
    return u"<div class='ArticleBlock'><div class='ArticleTitle'><span class='ArticleTitleText'>"
           u"<a href='" +
           address + u"'>" + article.title + u"</a></span>" + article.date +
           u"&nbsp;</div><div class='ArticleInfo'><div class='ArticleBlogText'>摘要……<a href='" +
           address + u"'>阅读全文</a></div></div></div>";
}

QString HexunPagingBar(const QString& account, int current, const QList<int>& linked) {
    QString bar = QStringLiteral("<div class='PageSkip'><span class='multipage-current'>") +
                  QString::number(current) + u"</span>";
    for (int page : linked)
        bar += u"<a href='http://" + account + u'.' + kHexunDomain + u"/p" + QString::number(page) +
               u"/default.aspx'>" + QString::number(page) + u"</a>";
    return bar + u"<span class='PageSkip_2'>共" + QString::number(linked.size() + 1) +
           u"页</span></div>";
}

QString HexunListPage(const QList<QString>& items, const QString& bar) {
    QString page = Head(QStringLiteral("和讯博客")) + u"\r\n<body>\r\n<!--  文章列表:开始  -->\r\n";
    for (const QString& item : items)
        page += u'\t' + item + u"\r\n";
    if (!bar.isEmpty())
        page += bar + u"\r\n";
    return page + u"</body></html>\r\n";
}

void ServeBlog(const FixtureBlog& blog, LoopbackServer& server) {
    const qsizetype pages = (blog.articles.size() + kPerPage - 1) / kPerPage;
    quint32 pictureSeed = 7;
    for (int k = 0; k < pages; ++k) {
        const QList<BlogArticle> chunk = blog.articles.mid(k * kPerPage, kPerPage);
        QString address;
        QString page;
        if (blog.kind == kBaidu) {
            address = u"http://" + kBaiduHost + u'/' + blog.account + u"/blog/index/" +
                      QString::number(k);
            page = BaiduListPage(blog.account, chunk, int(pages) - 1);
        } else {
            address = u"http://" + blog.account + u'.' + kHexunDomain + u"/p" +
                      QString::number(k + 1) + u"/default.aspx";
            QList<QString> items;
            QList<int> linked;
            for (const BlogArticle& article : chunk)
                items << HexunItem(blog.account, article);
            for (int other = 1; other <= pages; ++other)
                if (other != k + 1)
                    linked << other;
            page = HexunListPage(items, pages > 1 ? HexunPagingBar(blog.account, k + 1, linked)
                                                  : QString());
        }
        server.SetResponse(address, GbkPage(page));
        if (k == 0)
            server.SetResponse(*GeneratedBlogAddress(blog.kind, blog.account), GbkPage(page));
    }
    for (const BlogArticle& article : blog.articles) {
        server.SetResponse(ArticleAddress(blog.kind, blog.account, article.link),
                           GbkPage(ArticlePage(blog.kind, article)));
        for (const QString& picture : article.pictures)
            server.SetResponse(picture,
                               {200,
                                "image/jpeg",
                                sample::PictureBytes(pictureSeed = pictureSeed * 69069u + 1),
                                {}});
    }
}

} // namespace pellomar::test

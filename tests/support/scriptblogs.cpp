// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/scriptblogs.h"

#include "core/filenames.h"
#include "demo/samplemarkup.h"
#include "platform/textstream.h"
#include "services/blogaddress.h"
#include "services/service.h"

#include <QDateTime>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>

namespace pellomar::test {

namespace {

const QStringList kTitles = {QStringLiteral("朱镕基答问: 第%1篇"), QStringLiteral("读书/笔记?%1"),
                             QStringLiteral("未找到的答案%1"), QStringLiteral("陶喆*新歌 %1")};
const QStringList kCategories = {QStringLiteral("生活随笔"), QStringLiteral("读书笔记"),
                                 QStringLiteral("镕喆杂谈")};

QString Host(const ScriptBlog& blog) {
    return blog.account + u'.' +
           QString::fromLatin1(blog.kind == kSohu ? hosts::kSohuDomain : hosts::kNetEaseDomain);
}

// The address the list links to; NetEase's ends in "/", which the download leaves off.
QString ListedAddress(const ScriptBlog& blog, const ScriptArticle& article) {
    if (blog.kind == kSohu)
        return u"http://" + Host(blog) + u'/' + article.id + u".html";
    return u"http://" + Host(blog) + u"/blog/static/" + article.id + u'/';
}

QString Link(const ScriptBlog& blog, const ScriptArticle& article) {
    return blog.kind == kSohu && article.hidden ? QStringLiteral("000000.html")
                                                : article.id + u".html";
}

// A summary whose paragraphs, one line each, put the category line `line` lines below.
QString Summary(int line) {
    QString summary = QStringLiteral("\n<div>摘要……</div>");
    for (int p = 4; p <= line; ++p)
        summary += QStringLiteral("\n  <p>又一段</p>");
    return summary;
}

// Texts as a JavaScript array that is safe inside a script element.
QString Script(const QStringList& texts) {
    return QString::fromUtf8(
               QJsonDocument(QJsonArray::fromStringList(texts)).toJson(QJsonDocument::Compact))
        .replace(QStringLiteral("</"), QStringLiteral("<\\/"));
}

QString SohuList(const ScriptBlog& blog, int page) {
    QString list;
    for (const ScriptArticle& a : blog.articles.mid((page - 1) * blog.perPage, blog.perPage)) {
        const QString heading = a.hidden ? QStringLiteral("<span>此日志已隐藏</span>")
                                         : QString(u"<a href=\"" + ListedAddress(blog, a) +
                                                   u"\" target=\"_blank\">" + a.title + u"</a>");
        list += u"\n<div class=\"item-title\">\n  <h3>" + a.date + u"&nbsp;" + heading +
                u"</h3>\n</div>" + Summary(a.categoryLine) +
                u"\n<div>类别&nbsp;(<a href=\"http://" + Host(blog) + u"/entry/c" +
                QString::number(kCategories.indexOf(a.category)) + u"/\">" + a.category +
                u"</a>)</div>";
    }
    list += QStringLiteral("\n<div class=\"content-bottom\">");
    for (int n = 1; PageCount(blog) > 1 && n <= PageCount(blog); ++n)
        list += n == page ? QString(u"<span>[" + QString::number(n) + u"]</span> ")
                          : u"<a href=\"javascript:void(0)\" onclick=\"chageEntryPage(" +
                                QString::number(n) + u");return false;\">[" + QString::number(n) +
                                u"]</a> ";
    const QString go = u"location.href = 'http://" + Host(blog) + u"/entry/page-' + n + '/';";
    return u"<div id=\"entries\">正在加载日志数据...</div>\n<script>\nvar list = " +
           Script({list + u"</div>"}) + u";\nfunction chageEntryPage(n) { " +
           (blog.pagingLoads ? go : QString()) + u" }\n" +
           (blog.loadingMs < 0
                ? QString()
                : QString(u"setTimeout(function () { entries.innerHTML = list[0]; }, " +
                          QString::number(blog.loadingMs) + u");")) +
           u"\n</script>";
}

// A click on a number empties the list at once and builds that page a moment later; the
// "clicks" line keeps the numbers clicked.
QString NetEaseList(const ScriptBlog& blog) {
    QString bar = QStringLiteral("\n<div>");
    if (blog.previousButton)
        bar += QStringLiteral("<span class=\"fc03 bgc9 bdc0\">上一页</span>");
    // The onclick stands before the class, so that the number follows "js-bgc9-hover".
    for (int n = 1; n <= PageCount(blog); ++n)
        bar += u"<span onclick=\"go(" + QString::number(n) +
               u")\" class=\"fc03 bgc9 bdc0 js-bgc9-hover\">" + QString::number(n) + u"</span>";
    bar += QStringLiteral("<span class=\"fc03 bgc9 bdc0\">下一页</span></div>");
    QStringList pages;
    for (int page = 1; page <= PageCount(blog); ++page) {
        QString list;
        for (const ScriptArticle& a : blog.articles.mid((page - 1) * blog.perPage, blog.perPage))
            list += u"\n<h3><a href=\"" + ListedAddress(blog, a) + u"\" target=\"_blank\">" +
                    a.title + u"</a><span class=\"fc07\"> </span><a title=\"阅读全文\" href=\"" +
                    ListedAddress(blog, a) +
                    u"\" target=\"_blank\">阅读全文</a></h3>\n<div><span>" + a.date +
                    u"</span> <span class=\"tl\">阅读(7)</span></div>" + Summary(a.categoryLine) +
                    u"\n<div><a href=\"http://" + Host(blog) + u"/blog/#m=0&amp;c=" +
                    QString::number(kCategories.indexOf(a.category)) + u"\">分类：" + a.category +
                    u"</a></div>";
        pages << list + bar;
    }
    const QString delay = QString::number(qMax(0, blog.loadingMs));
    return u"<div id=\"blogList\">加载中</div><div id=\"clicks\"></div>\n<script>\nvar pages = " +
           Script(pages) +
           u";\nfunction go(n) {\n  clicks.textContent = (clicks.textContent + ' ' + n).trim();\n"
           u"  blogList.innerHTML = '加载中';\n  setTimeout(function () { blogList.innerHTML = "
           u"pages[n - 1]; }, " +
           delay + u");\n}\n" +
           (blog.loadingMs < 0
                ? QString()
                : QString(u"setTimeout(function () { blogList.innerHTML = pages[0]; }, " + delay +
                          u");")) +
           u"\n</script>";
}

} // namespace

LoopbackServer::Response GbkPage(const QString& body) {
    return {200,
            "text/html; charset=gbk",
            EncodeCp936(u"<html><head><meta charset=gbk></head><body>\n" + body +
                        u"\n</body></html>\n"),
            {}};
}

QString ScriptListBody(const ScriptBlog& blog, int page) {
    return blog.kind == kSohu ? SohuList(blog, page) : NetEaseList(blog);
}

ScriptBlog MakeScriptBlog(ServiceKind kind, const QString& account, int count, int perPage) {
    ScriptBlog blog{kind, account, {}, perPage};
    const QDateTime newest(QDate(2011, 8, 21), QTime(10, 20));
    for (int i = 0; i < count; ++i) {
        const QDateTime when = newest.addSecs(-7 * 3600 * qint64(i));
        ScriptArticle a;
        a.title = kTitles[i % kTitles.size()].arg(i + 1);
        a.category = kCategories[i % kCategories.size()];
        a.date = when.toString(kind == kSohu ? u"yyyy-MM-dd"_qs : u"yyyy-MM-dd hh:mm"_qs);
        a.id = kind == kSohu
                   ? QString::number(202840469 + 37 * i)
                   : QString(u"3029649" + when.toString(u"yyyyMMddhh") + QString::number(1000 + i));
        if (i % 2 == 0)
            a.picture = u"http://photo.pic.sohu.com/images/" + account + u'/' + a.id + u".jpg";
        blog.articles << a;
    }
    return blog;
}

int PageCount(const ScriptBlog& blog) {
    return qMax(1, int((blog.articles.size() + blog.perPage - 1) / blog.perPage));
}

QString ListPageAddress(const ScriptBlog& blog, int page) {
    if (page == 1)
        return *GeneratedBlogAddress(blog.kind, blog.account);
    return u"http://" + Host(blog) + u"/entry/page-" + QString::number(page) + u'/';
}

QList<QStringList> ExpectedScriptRows(const ScriptBlog& blog) {
    QList<QStringList> rows;
    QHash<QString, int> counts;
    for (const ScriptArticle& a : blog.articles) {
        const bool sohu = blog.kind == kSohu;
        const QString category = sohu && a.categoryLine >= 12 ? u"默认分类"_qs : a.category;
        rows.append({sohu && a.hidden ? u"隐藏日志不能下载"_qs : SafeFileName(a.title), category,
                     Link(blog, a), sohu && a.hidden ? u"0000-00-00"_qs : a.date,
                     QString::number(++counts[category])});
    }
    return rows;
}

void ServeScriptBlog(const ScriptBlog& blog, LoopbackServer& server) {
    for (int page = 1; page <= (blog.kind == kSohu ? PageCount(blog) : 1); ++page)
        server.SetResponse(ListPageAddress(blog, page), GbkPage(ScriptListBody(blog, page)));
    const SiteProfile& profile = *Profile(blog.kind);
    quint32 seed = 11;
    for (const ScriptArticle& a : blog.articles) {
        QString body = u"<h3>" + a.title + u"</h3>\n" + profile.BodyStart + u"\n<p>《" + a.title +
                       u"》的正文：镕喆二字在GBK里。</p>";
        if (!a.picture.isEmpty()) {
            body += u"<p><img src=\"" + a.picture + u"\" border=\"0\"></p>";
            server.SetResponse(a.picture, {200, "image/bmp", sample::PictureBytes(seed++), {}});
        }
        server.SetResponse(ArticleAddress(blog.kind, blog.account, Link(blog, a)),
                           GbkPage(body + u'\n' + profile.BodyEnd));
    }
}

} // namespace pellomar::test

// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/sinatoday.h"

#include "demo/samplemarkup.h"

#include <QDeadlineTimer>
#include <QRegularExpression>

namespace pellomar::test {

namespace {

const QByteArray kSinaReferer = "https://blog.sina.com.cn/";

bool IsListPage(const QString& url) {
    return url.contains(u"/s/articlelist_") || url.contains(u"/s/favourites_");
}

QString Https(const QString& address) {
    return address.startsWith(u"http://") ? u"https://" + address.mid(7) : address;
}

} // namespace

QString TodayMarkup(QString html) {
    // Links and menus protocol-relative, pictures https, titles only in the link's text.
    html.replace(QStringLiteral("\"http://blog.sina.com.cn"),
                 QStringLiteral("\"//blog.sina.com.cn"));
    html.replace(QStringLiteral("\"http://simg.sinajs.cn"), QStringLiteral("\"//simg.sinajs.cn"));
    static const QRegularExpression picture(QStringLiteral(R"((real_src ?=")http://)"));
    html.replace(picture, QStringLiteral("\\1https://"));
    static const QRegularExpression title(QStringLiteral(R"(<a title="[^"]*" target="_blank")"));
    html.replace(title, QStringLiteral("<a title=\"\" target=\"_blank\""));
    return html;
}

void SinaTodayServer::Set(const QString& address, Response response) {
    if (!m_https) {
        SetResponse(address, response);
        return;
    }
    SetResponse(Https(address), response);
    Response moved;
    moved.status = 301;
    moved.headers = {{"Location", Https(address).toUtf8()}};
    SetResponse(address, moved);
}

void SinaTodayServer::Serve(const sample::SampleBlog& blog, bool https) {
    m_blog = blog;
    m_https = https;
    const QMap<QString, Response> pages = sample::SamplePages(blog);
    for (auto it = pages.cbegin(); it != pages.cend(); ++it) {
        Response response = it.value();
        if (response.contentType.startsWith("text/html"))
            response.body = TodayMarkup(QString::fromUtf8(response.body)).toUtf8();
        Set(it.key(), response);
    }
}

LoopbackServer::Response SinaTodayServer::WallPage(const QString& text) const {
    const QString column = u"<div class=\"SG_conn\"><p>" + text + u"</p></div>";
    return sample::HtmlResponse(
        TodayMarkup(sample::RenderArticleFrame(m_blog, QStringLiteral("新浪博客"), column)));
}

void SinaTodayServer::ServeWall(const sample::SampleArticle& article, const QString& text) {
    Set(sample::ArticlePageAddress(article), WallPage(text));
}

void SinaTodayServer::LiftWall(const sample::SampleArticle& article) {
    const QString address = sample::ArticlePageAddress(article);
    Response page = sample::SamplePages(m_blog).value(address);
    page.body = TodayMarkup(QString::fromUtf8(page.body)).toUtf8();
    Set(address, page);
}

void SinaTodayServer::ServePlaceholderPicture(const QString& address, bool placeholder) {
    const QString key = Key(m_https ? Https(address) : address);
    if (placeholder)
        m_placeholders.insert(key);
    else
        m_placeholders.remove(key);
}

void SinaTodayServer::Throttle(Pages pages, int limit, int windowMs) {
    RateLimit& rate = pages == Pages::Lists ? m_lists : m_articles;
    rate.limit = limit;
    rate.windowMs = windowMs;
}

LoopbackServer::Reply SinaTodayServer::Respond(const Request& request) {
    const QString url = request.url;
    if (url.contains(u".sinaimg.cn/") &&
        (request.headers.value("referer") != kSinaReferer || m_placeholders.contains(Key(url)))) {
        Response page;
        page.contentType = "text/html; charset=utf-8";
        page.body = "<html><body>\xe5\x9b\xbe\xe7\x89\x87\xe5\xa4\x96\xe9\x93\xbe</body></html>";
        return Reply::Answer(page);
    }
    if (!m_login.isEmpty() && url.contains(u"blog.sina.com.cn/s/") &&
        !request.headers.value("cookie").contains(m_login))
        return Reply::Answer(WallPage(QStringLiteral("系统维护中，博文仅作者可见")));
    // Redirects to the https twin are not counted.
    if (url.startsWith(u"https://") == m_https && url.contains(u"blog.sina.com.cn/s/")) {
        RateLimit& rate = IsListPage(url) ? m_lists : m_articles;
        const qint64 now = QDeadlineTimer::current().deadline();
        rate.times.append(now);
        while (!rate.times.isEmpty() && rate.times.first() <= now - rate.windowMs)
            rate.times.removeFirst();
        rate.peak = std::max(rate.peak, int(rate.times.size()));
        if (rate.limit > 0 && rate.times.size() > rate.limit) {
            ++rate.refused;
            Response teapot;
            teapot.status = 418;
            teapot.contentType = "text/html";
            teapot.body = "<html><body>418</body></html>";
            return Reply::Answer(teapot);
        }
    }
    return FixtureServer::Respond(request);
}

} // namespace pellomar::test

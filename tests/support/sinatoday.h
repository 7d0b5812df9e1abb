// SPDX-License-Identifier: GPL-3.0-or-later
// The sample blog as Sina serves it today: the service's own addresses protocol-relative
// or https in menus, lists, links and pictures; list titles left empty, the link showing
// the title (long ones cut with an ellipsis, as the saved 2018 list page shows); picture
// hosts that answer a request without Sina's Referer with a page; list pages answered 418
// past a number per minute. Walls are laid over single articles.
#pragma once

#include "demo/sampleblog.h"
#include "support/fixtureserver.h"

#include <QDateTime>
#include <QList>
#include <QSet>

namespace pellomar::test {

// A 2011 page in today's markup.
QString TodayMarkup(QString html);

class SinaTodayServer : public FixtureServer {
  public:
    // Serves the blog in today's markup; with https, under https:// addresses, and every
    // http:// address answers 301 with its https twin, as the service does.
    void Serve(const sample::SampleBlog& blog, bool https = false);
    // The article's address answers with a page holding the wall's text and no article.
    void ServeWall(const sample::SampleArticle& article, const QString& text);
    // The article as Serve had it.
    void LiftWall(const sample::SampleArticle& article);
    // Every page of the blog host answers with the owner-only wall unless the request
    // carries this cookie ("name=value").
    void RequireLogin(const QByteArray& cookie) { m_login = cookie; }
    // The picture answers 200 with an HTML page whatever the Referer (or no longer).
    void ServePlaceholderPicture(const QString& address, bool placeholder = true);
    // More than `limit` requests for list pages (or article pages) within the window
    // answer 418.
    enum class Pages { Lists, Articles };
    void Throttle(Pages pages, int limit, int windowMs);
    // Requests of those pages answered 418, and the most received within one window.
    int Throttled(Pages pages) const { return Limit(pages).refused; }
    int PeakRate(Pages pages) const { return Limit(pages).peak; }

  protected:
    Reply Respond(const Request& request) override;

  private:
    struct RateLimit {
        int limit = 0;
        int windowMs = 60'000;
        QList<qint64> times;
        int refused = 0;
        int peak = 0;
    };
    const RateLimit& Limit(Pages pages) const {
        return pages == Pages::Lists ? m_lists : m_articles;
    }
    void Set(const QString& address, Response response);
    Response WallPage(const QString& text) const;

    sample::SampleBlog m_blog;
    QByteArray m_login;
    bool m_https = false;
    QSet<QString> m_placeholders;
    RateLimit m_lists;
    RateLimit m_articles;
};

} // namespace pellomar::test

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
    // The picture answers 200 with an HTML page whatever the Referer (or no longer).
    void ServePlaceholderPicture(const QString& address, bool placeholder = true);
    // More than `limit` list-page requests within the window answer 418.
    void ThrottleLists(int limit, int windowMs);
    // List-page requests that were answered 418.
    int Throttled() const { return m_throttled; }
    // The most list-page requests received within any one window.
    int PeakListRate() const { return m_peakListRate; }

  protected:
    Reply Respond(const Request& request) override;

  private:
    void Set(const QString& address, Response response);

    sample::SampleBlog m_blog;
    bool m_https = false;
    QSet<QString> m_placeholders;
    int m_listLimit = 0;
    int m_windowMs = 60'000;
    QList<qint64> m_listTimes;
    int m_throttled = 0;
    int m_peakListRate = 0;
};

} // namespace pellomar::test

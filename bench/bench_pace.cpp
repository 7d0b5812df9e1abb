// SPDX-License-Identifier: GPL-3.0-or-later
// The pace Pellomar asks Sina at, against a fixture that throttles as the service does:
// list pages answered 418 past 28 a minute, article pages past ARTICLE_LIMIT a minute.
// Runs in real time (minutes): discovery of a blog with many list pages at the default
// pace, then the download of a smaller blog's articles, which meets the article limit.
//
//   bench_pace [LIST_ARTICLES DOWNLOAD_ARTICLES ARTICLE_LIMIT]   (1500 300 120)
#include "demo/sampleblog.h"
#include "discovery/discovery.h"
#include "download/downloader.h"
#include "download/engine.h"
#include "support/sinatoday.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

using namespace pellomar;
using Pages = pellomar::test::SinaTodayServer::Pages;

namespace {

constexpr int kMinuteMs = 60'000;

struct Fixture {
    QTemporaryDir dir;
    test::SinaTodayServer server;
    sample::SampleBlog blog;
    Engine engine{dir.path()};
    QElapsedTimer clock;
};

QCoro::Task<bool> SetUp(Fixture& f, int articles, int articleLimit) {
    sample::SampleOptions options;
    options.articleCount = articles;
    options.categoryCount = 8;
    options.picturesPerArticle = 0;
    options.favouriteCount = 0;
    f.blog = sample::GenerateSampleBlog(options);
    if (!f.server.Listen())
        co_return false;
    f.server.Serve(f.blog);
    f.server.Throttle(Pages::Lists, 28, kMinuteMs);
    f.server.Throttle(Pages::Articles, articleLimit, kMinuteMs);
    AppState& state = f.engine.state();
    co_await state.StartUp();
    state.network().SetHttpProxy(QStringLiteral("127.0.0.1"), f.server.Port());
    // The pauses as the user sees them, when each began.
    QObject::connect(&state, &AppState::captionChanged, &state, [&f](const QString& text) {
        static QString last;
        if (text.contains(u"秒后继续") && !last.contains(u"秒后继续"))
            std::fprintf(stderr, "%7.1f s  %s\n", f.clock.elapsed() / 1000.0, qPrintable(text));
        last = text;
    });
    f.clock.start();
    co_return true;
}

void Report(const char* what, Fixture& f, int count, Pages pages) {
    const qint64 ms = std::max<qint64>(f.clock.elapsed(), 1);
    std::printf("%-9s %5d pages in %6.1f s: %6.1f a minute; pauses %d, answers 418: %d, most "
                "in one minute: %d\n",
                what, count, ms / 1000.0, count * 60'000.0 / ms,
                f.engine.state().network().pacer().PauseCount(), f.server.Throttled(pages),
                f.server.PeakRate(pages));
    std::fflush(stdout);
}

QCoro::Task<> Main(QStringList arguments) {
    const int listArticles = arguments.value(1, QStringLiteral("1500")).toInt();
    const int downloadArticles = arguments.value(2, QStringLiteral("300")).toInt();
    const int articleLimit = arguments.value(3, QStringLiteral("120")).toInt();

    Fixture lists;
    if (!co_await SetUp(lists, listArticles, articleLimit)) {
        QCoreApplication::exit(1);
        co_return;
    }
    const Outcome found = co_await Start(lists.engine.state(), kSina, QStringLiteral("bench"),
                                         sample::FirstPageAddress(lists.blog));
    Report("lists", lists, lists.engine.state().statusLog().Count(), Pages::Lists);

    Fixture articles;
    if (!co_await SetUp(articles, downloadArticles, articleLimit)) {
        QCoreApplication::exit(1);
        co_return;
    }
    AppState& state = articles.engine.state();
    const Outcome small = co_await Start(state, kSina, QStringLiteral("bench"),
                                         sample::FirstPageAddress(articles.blog));
    articles.clock.restart();
    const Outcome downloaded = co_await WaitForPictures(state, co_await DownloadArticles(state));
    Report("articles", articles, downloaded.articlesSaved, Pages::Articles);

    const bool ok = found.ok && found.articles == listArticles && small.ok && downloaded.ok;
    if (!ok)
        std::printf("not all found or saved: %d rows, %s\n", found.articles,
                    qPrintable(downloaded.problem));
    QCoreApplication::exit(ok ? 0 : 1);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    auto task = Main(QCoreApplication::arguments());
    return QCoreApplication::exec();
}

// SPDX-License-Identifier: GPL-3.0-or-later
// The pace Pellomar asks Sina at, against a fixture that throttles as the service does:
// list pages answered 418 past 28 a minute, article pages past ARTICLE_LIMIT a minute.
// Runs in real time (minutes): discovery of a blog with many list pages at the default
// pace, then the download of its articles.
//
//   bench_pace [ARTICLES ARTICLE_LIMIT]   (1000 articles, 120 article pages a minute)
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

void Report(const char* what, int count, const char* unit, qint64 ms, int pauses, int refused,
            int peak) {
    std::printf("%-10s %5d %s in %6.1f s: %5.1f a minute; pauses %d, answers 418: %d, most in "
                "one minute: %d\n",
                what, count, unit, ms / 1000.0, count * 60'000.0 / std::max<qint64>(ms, 1), pauses,
                refused, peak);
    std::fflush(stdout);
}

QCoro::Task<> Main(QStringList arguments) {
    const int articles = arguments.value(1, QStringLiteral("1000")).toInt();
    const int articleLimit = arguments.value(2, QStringLiteral("120")).toInt();
    QTemporaryDir dir;
    sample::SampleOptions options;
    options.articleCount = articles;
    options.categoryCount = 8;
    options.picturesPerArticle = 0;
    options.favouriteCount = 0;
    const sample::SampleBlog blog = sample::GenerateSampleBlog(options);
    test::SinaTodayServer server;
    if (!server.Listen()) {
        QCoreApplication::exit(1);
        co_return;
    }
    server.Serve(blog);
    server.Throttle(Pages::Lists, 28, kMinuteMs);
    server.Throttle(Pages::Articles, articleLimit, kMinuteMs);

    Engine engine(dir.path());
    AppState& state = engine.state();
    co_await state.StartUp();
    state.network().SetHttpProxy(QStringLiteral("127.0.0.1"), server.Port());
    Pacer& pacer = state.network().pacer();
    QElapsedTimer since;
    since.start();
    // The pauses as the user sees them, with the time they began.
    QObject::connect(&state, &AppState::captionChanged, &state, [&since](const QString& text) {
        if (text.contains(u"秒后继续") && !text.contains(u"，1秒"))
            std::fprintf(stderr, "%7.1f s  %s\n", since.elapsed() / 1000.0, qPrintable(text));
    });

    QElapsedTimer clock;
    clock.start();
    const Outcome found =
        co_await Start(state, kSina, QStringLiteral("bench"), sample::FirstPageAddress(blog));
    const int listPages = state.statusLog().Count();
    Report("lists", listPages, "pages", clock.elapsed(), pacer.PauseCount(),
           server.Throttled(Pages::Lists), server.PeakRate(Pages::Lists));
    const int pausesBefore = pacer.PauseCount();

    clock.restart();
    const Outcome downloaded = co_await WaitForPictures(state, co_await DownloadArticles(state));
    Report("articles", downloaded.articlesSaved, "pages", clock.elapsed(),
           pacer.PauseCount() - pausesBefore, server.Throttled(Pages::Articles),
           server.PeakRate(Pages::Articles));
    const bool ok = found.articles == articles && downloaded.ok;
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

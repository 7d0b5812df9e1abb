// SPDX-License-Identifier: GPL-3.0-or-later
// Discovery's processor time per article on a generated Sina blog of 1,000 and of 16,000
// articles, served from the loopback server without latency. The cost per article should
// stay flat as the blog grows.
//
//   bench_discovery [SMALL LARGE]   the two sizes (1000 16000)
#include "demo/sampleblog.h"
#include "discovery/discovery.h"
#include "download/engine.h"
#include "support/fixtureserver.h"
#include "support/processclock.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdio>

using namespace pellomar;
using pellomar::test::CpuSeconds;

namespace {

// Processor milliseconds per article found; negative when discovery did not find them all.
QCoro::Task<double> Measure(int articles) {
    QTemporaryDir dir;
    sample::SampleOptions options;
    options.articleCount = articles;
    options.categoryCount = 8;
    options.picturesPerArticle = 0;
    options.favouriteCount = 0;
    const sample::SampleBlog blog = sample::GenerateSampleBlog(options);
    test::FixtureServer server;
    if (!server.Listen())
        co_return -1.0;
    sample::ServeSampleBlog(blog, server);

    Engine engine(dir.path());
    AppState& state = engine.state();
    co_await state.StartUp();
    state.network().SetHttpProxy(QStringLiteral("127.0.0.1"), server.Port());
    // Processor time is measured here; bench_pace measures the pace.
    state.network().pacer().SetLimit(0);

    const double cpuBefore = CpuSeconds();
    const Outcome found =
        co_await Start(state, kSina, QStringLiteral("bench"), sample::FirstPageAddress(blog));
    const double cpu = CpuSeconds() - cpuBefore;
    const double perArticle = cpu * 1000 / std::max(found.articles, 1);
    std::printf("%6d articles: %d rows, CPU %.2f s, %.3f ms per article\n", articles,
                found.articles, cpu, perArticle);
    std::fflush(stdout);
    co_return found.articles >= articles ? perArticle : -1.0;
}

QCoro::Task<> Main(QStringList arguments) {
    const double small = co_await Measure(arguments.value(1, QStringLiteral("1000")).toInt());
    const double large = co_await Measure(arguments.value(2, QStringLiteral("16000")).toInt());
    if (small > 0 && large > 0)
        std::printf("cost per article, large / small: x%.2f\n", large / small);
    QCoreApplication::exit(small > 0 && large > 0 ? 0 : 1);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    auto task = Main(QCoreApplication::arguments());
    return QCoreApplication::exec();
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Download throughput, CPU and memory against a generated Sina blog served from the
// loopback fixture server with a fixed latency per request.
//
//   bench_download            all three runs below, the largest last
//   bench_download articles   1,000 articles at 100 ms, pictures off
//   bench_download pictures   1,000 articles with 2 pictures each at 50 ms
//   bench_download large [N]  N (20,000) articles at 0 ms, for peak memory
#include "demo/sampleblog.h"
#include "demo/samplemarkup.h"
#include "download/downloader.h"
#include "download/downloadsteps.h"
#include "download/engine.h"
#include "platform/eventloop.h"
#include "support/fixtureserver.h"
#include "support/processclock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

using namespace pellomar;
using pellomar::test::CpuSeconds;
using pellomar::test::PeakRssMb;

namespace {

// Renders each article page when it is asked for, so that a large blog costs the process
// no memory of its own and the peak memory is the download's.
class OnDemandBlog : public LoopbackServer {
  public:
    explicit OnDemandBlog(const sample::SampleBlog& blog) : m_blog(blog) {
        for (int i = 0; i < int(blog.articles.size()); ++i)
            m_articles.insert(Key(sample::ArticlePageAddress(blog.articles[i])), i);
    }

  protected:
    Reply Respond(const Request& request) override {
        const auto it = m_articles.constFind(request.url);
        if (it == m_articles.cend())
            return TableReply(request);
        Response response;
        response.contentType = "text/html; charset=utf-8";
        response.body = sample::RenderArticlePage(m_blog, m_blog.articles[*it]).toUtf8();
        return Reply::Answer(response);
    }

  private:
    const sample::SampleBlog& m_blog;
    QHash<QString, int> m_articles;
};

struct Run {
    int articles = 0;
    int picturesPerArticle = 0;
    int latencyMs = 0;
};

QCoro::Task<bool> Measure(const Run& run) {
    QTemporaryDir dir;
    sample::SampleOptions options;
    options.articleCount = run.articles;
    options.categoryCount = 8;
    options.picturesPerArticle = run.picturesPerArticle;
    options.favouriteCount = 0;
    const sample::SampleBlog blog = sample::GenerateSampleBlog(options);
    // Latency needs the fixture server, which holds the whole blog; a large blog without
    // latency and pictures is rendered page by page instead.
    const bool onDemand = run.latencyMs == 0 && run.picturesPerArticle == 0;
    test::FixtureServer fixture;
    OnDemandBlog renderer(blog);
    LoopbackServer& server = onDemand ? static_cast<LoopbackServer&>(renderer) : fixture;
    if (!server.Listen()) {
        std::printf("cannot listen on 127.0.0.1\n");
        co_return false;
    }
    if (!onDemand) {
        sample::ServeSampleBlog(blog, fixture);
        fixture.SetLatency(run.latencyMs);
    }

    Engine engine(dir.path());
    AppState& state = engine.state();
    co_await state.StartUp();
    state.network().SetHttpProxy(QStringLiteral("127.0.0.1"), server.Port());
    state.serviceKind = kSina;
    state.taskName = QStringLiteral("bench");
    state.savePictures = run.picturesPerArticle > 0;
    for (const sample::SampleArticle& article : blog.articles)
        state.table().AddArticle(article.title, article.category, article.link, article.date);
    const double rssBefore = PeakRssMb();

    const double cpuBefore = CpuSeconds();
    const long long wakeupsBefore = EventPulse::Instance().Wakeups();
    QElapsedTimer clock;
    clock.start();
    const Outcome articles = co_await DownloadArticles(state);
    const double articlesWall = clock.elapsed() / 1000.0;
    co_await WaitForPictures(state, articles);
    const double wall = clock.elapsed() / 1000.0;
    const double cpu = CpuSeconds() - cpuBefore;

    int done = 0;
    for (int row = 1; row <= state.table().ArticleCount(); ++row)
        done += state.table().Cell(row, ArticleTable::Mark) == kMarkDone;
    const int pictures = run.articles * run.picturesPerArticle;
    std::printf("%d articles, %d pictures, %d ms latency: %d/%d articles done\n", run.articles,
                pictures, run.latencyMs, done, run.articles);
    std::printf("  wall %.2f s (articles and index pages %.2f s)\n", wall, articlesWall);
    std::printf("  article bound (n x latency / 5 slots): %.2f s\n",
                run.articles * run.latencyMs / 1000.0 / 5);
    if (pictures > 0)
        std::printf("  picture bound (5 per 100 ms tick): %.2f s\n", pictures / 5 * 0.1);
    std::printf("  CPU %.2f s: %.3f CPU s per wall s; %lld loop wake-ups\n", cpu, cpu / wall,
                EventPulse::Instance().Wakeups() - wakeupsBefore);
    std::printf("  peak RSS %.1f MB (%.1f MB before the download, blog served)\n", PeakRssMb(),
                rssBefore);
    std::fflush(stdout);
    co_return done == run.articles;
}

QCoro::Task<> Main(QStringList arguments) {
    const QString which = arguments.value(1, QStringLiteral("all"));
    bool ok = true;
    if (which == u"all" || which == u"articles")
        ok = co_await Measure({1000, 0, 100}) && ok;
    if (which == u"all" || which == u"pictures")
        ok = co_await Measure({1000, 2, 50}) && ok;
    if (which == u"all" || which == u"large")
        ok = co_await Measure({arguments.value(2, QStringLiteral("20000")).toInt(), 0, 0}) && ok;
    QCoreApplication::exit(ok ? 0 : 1);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    auto task = Main(QCoreApplication::arguments());
    return QCoreApplication::exec();
}

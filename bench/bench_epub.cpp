// SPDX-License-Identifier: GPL-3.0-or-later
// The time and size of the EPUB of a 1,000-article task folder: pages of about 2,000
// characters in ten categories, a 160 x 120 photo-like picture in every second article; and
// of the full-text index of its CHM, and of its Markdown site.
#include "core/appstate.h"
#include "core/filenames.h"
#include "packaging/bmppicture.h"
#include "packaging/chmsearch.h"
#include "packaging/epubexport.h"
#include "packaging/markdownexport.h"
#include "platform/textstream.h"
#include "support/processclock.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstdio>

using namespace pellomar;
using pellomar::test::CpuSeconds;

namespace {

// Noise, which compresses about as little as a photo.
QByteArray NoisePicture(QRandomGenerator& random) {
    constexpr int kWidth = 160, kHeight = 120;
    QByteArray bmp(54, '\0');
    bmp[0] = 'B';
    bmp[1] = 'M';
    qToLittleEndian<quint32>(54, bmp.data() + 10);
    qToLittleEndian<quint32>(40, bmp.data() + 14);
    qToLittleEndian<qint32>(kWidth, bmp.data() + 18);
    qToLittleEndian<qint32>(kHeight, bmp.data() + 22);
    qToLittleEndian<quint16>(1, bmp.data() + 26);
    qToLittleEndian<quint16>(24, bmp.data() + 28);
    for (int i = 0; i < kWidth * kHeight * 3; ++i)
        bmp += char(random.bounded(256));
    return BmpAsPng(bmp);
}

bool Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int articles = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 1000;
    QTemporaryDir dir;
    AppState state(dir.path());
    state.taskName = QStringLiteral("基准博客");
    const TaskPaths paths{dir.path(), state.taskName};
    QRandomGenerator random(20110821);
    const QString sentence = QStringLiteral("傍晚沿着河边走了很久，想起了许多已经模糊的事情。");
    for (int i = 0; i < articles; ++i) {
        const QString category = u"分类" + QString::number(i % 10);
        const QString link = QStringLiteral("blog_%1.html").arg(i, 6, 10, QChar(u'0'));
        state.table().AddArticle(u"文章" + QString::number(i), category, link,
                                 QStringLiteral("2011-08-21 06:06"));
        QDir().mkpath(paths.CategoryFolder(category));
        QString body = QStringLiteral("<div class=articalContent>");
        for (int p = 0; p < 20; ++p)
            body += u"<p>" + sentence.repeated(4) + u"</p>\r\n";
        if (i % 2 == 0) {
            const QString picture = QStringLiteral("http://s1.sinaimg.cn/middle/%1&690").arg(i);
            Write(paths.PictureFile(category, picture), NoisePicture(random));
            body += u"<p><img src=\"" + TaskPaths::PictureName(picture) + u"\"></p>";
        }
        Write(paths.ArticleFile(category, link), EncodeCp936(body + u"</div>"));
    }

    // The longest stretch between two captions: the container's compressing and its final
    // copy happen in such stretches, where the window cannot repaint.
    QElapsedTimer clock;
    qint64 lastCaption = 0;
    qint64 longestGap = 0;
    QObject::connect(&state, &AppState::captionChanged, &state, [&](const QString&) {
        longestGap = std::max(longestGap, clock.elapsed() - lastCaption);
        lastCaption = clock.elapsed();
    });
    auto run = [&]() -> QCoro::Task<> {
        const double cpuBefore = CpuSeconds();
        clock.start();
        const Outcome made = co_await ExportEpub(state);
        const double wall = clock.elapsed() / 1000.0;
        std::printf("epub of %d articles, %d pictures: %s, %.1f MB, %.2f s wall, %.2f s CPU, "
                    "longest without a caption %lld ms\n",
                    made.articlesSaved, made.picturesSaved, made.ok ? "made" : "FAILED",
                    QFileInfo(made.path).size() / 1e6, wall, CpuSeconds() - cpuBefore, longestGap);

        const double indexCpuBefore = CpuSeconds();
        clock.restart();
        lastCaption = longestGap = 0;
        const QByteArray index = co_await BuildSearchIndex(state);
        std::printf("CHM search index: %.1f MB, %.2f s wall, %.2f s CPU, longest without a "
                    "caption %lld ms\n",
                    index.size() / 1e6, clock.elapsed() / 1000.0, CpuSeconds() - indexCpuBefore,
                    longestGap);

        const double siteCpuBefore = CpuSeconds();
        clock.restart();
        lastCaption = longestGap = 0;
        const Outcome site = co_await ExportMarkdown(state);
        const double siteWall = clock.elapsed() / 1000.0;
        qint64 siteBytes = 0;
        for (QDirIterator it(site.path, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
            siteBytes += it.nextFileInfo().size();
        std::printf("Markdown site of %d articles, %d pictures: %s, %.1f MB, %.2f s wall, %.2f s "
                    "CPU, longest without a caption %lld ms\n",
                    site.articlesSaved, site.picturesSaved, site.ok ? "made" : "FAILED",
                    siteBytes / 1e6, siteWall, CpuSeconds() - siteCpuBefore, longestGap);
        QCoreApplication::exit(made.ok && !index.isEmpty() && site.ok ? 0 : 1);
    };
    auto task = run();
    return QCoreApplication::exec();
}

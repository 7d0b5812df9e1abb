// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/epubexport.h"

#include "core/appstate.h"
#include "core/filenames.h"
#include "packaging/epubbook.h"
#include "packaging/epubcontainer.h"
#include "packaging/savedpages.h"
#include "packaging/xhtmlpage.h"
#include "platform/eventloop.h"

#include <QFileInfo>

namespace pellomar {

namespace {

const QString kFolder = QStringLiteral("EPUB/");

} // namespace

QCoro::Task<Outcome> ExportEpub(AppState& state) {
    const auto fail = [&state](const QString& problem) {
        state.SetCaption(u"生成EPUB失败：" + problem);
        return Outcome::Failure(u"生成EPUB失败：" + problem);
    };
    const TaskPaths paths = state.Paths();
    // Absolute, as the pages' folders it is compared with.
    const QString taskFolder = QFileInfo(paths.TaskFolder()).absoluteFilePath();
    const QString epubName = state.taskName + u".epub";
    if (const QString problem = ExportProblem(paths, epubName); !problem.isEmpty())
        co_return fail(problem);

    EpubBook book(state.taskName, state.blogAddress, state.table(), paths);
    const int total = int(book.Chapters().size());
    if (total == 0)
        co_return fail(QStringLiteral("没有已下载的文章"));

    const QString epubPath = state.programFolder() + u'/' + epubName;
    const ButtonStates saved = state.Buttons();
    state.SetButtons(buttons::kBusy);
    state.SetCaption(QStringLiteral("正在生成EPUB..."));
    co_await YieldOnce{};

    EpubContainer container(epubPath);
    container.Add(QStringLiteral("META-INF/container.xml"), EpubContainerXml());
    container.Add(kFolder + u"book.css", EpubStyleSheet());
    qsizetype picturesAdded = 0;
    for (int i = 0; i < total; ++i) {
        if (i % 20 == 19) {
            container.Flush();
            co_await YieldOnce{};
        }
        state.SetCaption(u"生成EPUB：" + QString::number(i + 1) + u'/' + QString::number(total));
        state.SetProgress({Progress::Epub, i, total});
        const EpubChapter& chapter = book.Chapters()[i];
        const QString pageFolder = QFileInfo(chapter.pagePath).absolutePath();
        PageReferences references;
        references.picture = [&](const QString& src) {
            const QString path = LocalTarget(src, pageFolder, taskFolder);
            return path.isEmpty() ? QString() : book.AddPicture(path);
        };
        references.link = [&](const QString& href) {
            const QString path = LocalTarget(href, pageFolder, taskFolder);
            return path.isEmpty() ? QString() : book.ChapterOf(path);
        };
        const QString html = ReadSavedPage(chapter.pagePath);
        container.Add(kFolder + chapter.href,
                      book.ChapterDocument(chapter, [&](QXmlStreamWriter& out) {
                          WriteXhtmlBody(out, html, references);
                      }));
        for (; picturesAdded < book.Pictures().size(); ++picturesAdded) {
            const EpubPicture& picture = book.Pictures()[picturesAdded];
            if (picture.asPng.isEmpty())
                container.AddFile(kFolder + picture.href, picture.path);
            else
                container.Add(kFolder + picture.href, picture.asPng);
        }
    }
    state.SetProgress({Progress::Epub, total, total});
    container.Add(kFolder + u"nav.xhtml", book.NavDocument());
    container.Add(kFolder + u"package.opf", book.PackageDocument(QDateTime::currentDateTimeUtc()));
    if (!container.Close()) {
        state.SetButtons(saved);
        co_return fail(u"无法写入" + container.Error());
    }

    state.SetCaption(u"生成EPUB成功！保存为" + QDir::toNativeSeparators(epubPath));
    state.SetButtons(saved);
    Outcome made;
    made.ok = true;
    made.articles = state.table().ArticleCount();
    made.articlesSaved = total;
    made.picturesSaved = int(book.Pictures().size());
    made.path = epubPath;
    co_return made;
}

} // namespace pellomar

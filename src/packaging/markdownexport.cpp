// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/markdownexport.h"

#include "core/appstate.h"
#include "core/filenames.h"
#include "packaging/epubbook.h"
#include "packaging/hugosite.h"
#include "packaging/markdownpage.h"
#include "packaging/savedpages.h"
#include "platform/eventloop.h"
#include "platform/textstream.h"
#include "services/service.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace pellomar {

namespace {

// A bundle's folder name from the article's link: what Hugo keeps in an address as it
// stands (it lowers letters itself), unique in the site.
QString BundleName(const QString& link, QSet<QString>& taken) {
    static const QRegularExpression other(QStringLiteral("[^a-z0-9_-]"));
    QString stem = link.contains(u'.') ? link.section(u'.', 0, -2) : link;
    stem = stem.toLower().replace(other, QStringLiteral("_"));
    if (stem.isEmpty())
        stem = QStringLiteral("article");
    QString name = stem;
    for (int n = 2; taken.contains(name); ++n)
        name = stem + u'-' + QString::number(n);
    taken.insert(name);
    return name;
}

// Writes the files of a site being built; remembers the first write that failed.
class SiteFolder {
  public:
    explicit SiteFolder(const QString& root) : m_root(root) {}

    bool Write(const QString& path, const QByteArray& bytes) {
        if (!MakeParent(path))
            return false;
        if (const WriteResult written = WriteFileAtomically(m_root + u'/' + path, bytes); !written)
            m_problem = written.error;
        return m_problem.isEmpty();
    }

    bool Copy(const QString& path, const QString& from) {
        if (!MakeParent(path))
            return false;
        QFile source(from);
        if (!source.copy(m_root + u'/' + path))
            m_problem = m_root + u'/' + path + u"：" + source.errorString();
        return m_problem.isEmpty();
    }

    const QString& Problem() const { return m_problem; }

  private:
    bool MakeParent(const QString& path) {
        const QString folder = QFileInfo(m_root + u'/' + path).absolutePath();
        if (m_problem.isEmpty() && !QDir().mkpath(folder))
            m_problem = u"无法建立文件夹" + folder;
        return m_problem.isEmpty();
    }

    QString m_root;
    QString m_problem;
};

// Takes the pictures an article shows into its bundle, each file once, by its order.
class BundlePictures {
  public:
    BundlePictures(SiteFolder& site, const QString& bundle) : m_site(site), m_bundle(bundle) {}

    QString Add(const QString& path) {
        if (const auto known = m_names.constFind(path); known != m_names.cend())
            return *known;
        QString name;
        QByteArray asPng;
        if (const QString type = ShownPictureType(path, &asPng); !type.isEmpty()) {
            name = u'p' + QString::number(m_count + 1) + u'.' + PictureExtension(type);
            const QString target = m_bundle + u'/' + name;
            if (asPng.isEmpty() ? m_site.Copy(target, path) : m_site.Write(target, asPng))
                ++m_count;
            else
                name.clear();
        }
        m_names.insert(path, name);
        return name;
    }

    int Count() const { return m_count; }

  private:
    SiteFolder& m_site;
    QString m_bundle;
    QHash<QString, QString> m_names;
    int m_count = 0;
};

// The new site in the old one's place; the old one back when that fails.
QString SwapIn(const QString& built, const QString& target) {
    const QString old = target + QStringLiteral(".old");
    QDir(old).removeRecursively();
    const bool hadOld = QFileInfo::exists(target);
    if (hadOld && !QDir().rename(target, old))
        return u"无法替换" + target;
    if (!QDir().rename(built, target)) {
        if (hadOld)
            QDir().rename(old, target);
        return u"无法替换" + target;
    }
    QDir(old).removeRecursively();
    return {};
}

} // namespace

QCoro::Task<Outcome> ExportMarkdown(AppState& state) {
    const auto fail = [&state](const QString& problem) {
        state.SetCaption(u"生成Markdown失败：" + problem);
        return Outcome::Failure(u"生成Markdown失败：" + problem);
    };
    const TaskPaths paths = state.Paths();
    const QString taskFolder = QFileInfo(paths.TaskFolder()).absoluteFilePath();
    const QString siteName = state.taskName + u"MD";
    if (const QString problem = ExportProblem(paths, siteName + u".part"); !problem.isEmpty())
        co_return fail(problem);
    const QList<SavedArticle> articles = SavedArticles(state.table(), paths);
    const int total = int(articles.size());
    if (total == 0)
        co_return fail(QStringLiteral("没有已下载的文章"));

    const QString sitePath = state.programFolder() + u'/' + siteName;
    const QString partPath = sitePath + QStringLiteral(".part");
    QDir(partPath).removeRecursively();
    const ButtonStates saved = state.Buttons();
    state.SetButtons(buttons::kBusy);
    state.SetCaption(QStringLiteral("正在生成Markdown..."));
    co_await YieldOnce{};

    QHash<QString, QString> bundleOfPage;
    QStringList bundles;
    QSet<QString> taken;
    for (const SavedArticle& article : articles) {
        bundles << BundleName(state.table().Cell(article.row, ArticleTable::Link), taken);
        bundleOfPage.insert(QFileInfo(article.pagePath).absoluteFilePath(), bundles.back());
    }

    SiteFolder site(partPath);
    for (const SiteFile& file : HugoSiteFiles(state.taskName))
        site.Write(file.path, file.bytes);
    QStringList unread;
    int pictures = 0;
    for (int i = 0; i < total && site.Problem().isEmpty(); ++i) {
        if (i % 20 == 19)
            co_await YieldOnce{};
        state.SetCaption(u"生成Markdown：" + QString::number(i + 1) + u'/' +
                         QString::number(total));
        state.SetProgress({Progress::Markdown, i, total});
        const SavedArticle& article = articles[i];
        bool read = false;
        const QString html = ReadSavedPage(article.pagePath, &read);
        if (!read) {
            unread << article.pagePath;
            continue;
        }
        const QString bundle = u"content/posts/" + bundles[i];
        const QString pageFolder = QFileInfo(article.pagePath).absolutePath();
        BundlePictures shown(site, bundle);
        PageReferences references;
        references.picture = [&](const QString& src) {
            const QString path = LocalTarget(src, pageFolder, taskFolder);
            return path.isEmpty() ? QString() : shown.Add(path);
        };
        references.link = [&](const QString& href) {
            const QString other = bundleOfPage.value(LocalTarget(href, pageFolder, taskFolder));
            return other.isEmpty() ? QString() : u"../" + other + u"/index.html";
        };
        const QString body = MarkdownBody(html, references);
        const QString front = FrontMatter(
            {article.title, article.date, article.category, ArticleAddress(state, article.row)});
        site.Write(bundle + u"/index.md", (front + u'\n' + body).toUtf8());
        pictures += shown.Count();
    }

    state.SetProgress({Progress::Markdown, total, total});
    QString problem = site.Problem();
    if (problem.isEmpty() && !unread.isEmpty())
        problem = u"无法读取" + QString::number(unread.size()) + u"篇文章：" +
                  unread.join(QStringLiteral("、"));
    if (problem.isEmpty())
        problem = SwapIn(partPath, sitePath);
    state.SetButtons(saved);
    if (!problem.isEmpty()) {
        QDir(partPath).removeRecursively();
        Outcome failed = fail(problem);
        failed.articles = state.table().ArticleCount();
        failed.articlesFailed = int(unread.size());
        co_return failed;
    }
    state.SetCaption(u"生成Markdown成功！" + QDir::toNativeSeparators(sitePath));
    Outcome made;
    made.ok = true;
    made.articles = state.table().ArticleCount();
    made.articlesSaved = total;
    made.picturesSaved = pictures;
    made.path = sitePath;
    co_return made;
}

} // namespace pellomar

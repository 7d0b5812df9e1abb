// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/textexport.h"

#include "core/appstate.h"
#include "core/filenames.h"
#include "core/textfunctions.h"
#include "platform/eventloop.h"
#include "platform/textstream.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace pellomar {

namespace {

// The page's bytes, 1-based as the filter counts them; a byte beyond the end matches nothing.
class PageBytes {
  public:
    explicit PageBytes(const QByteArray& bytes) : m_bytes(bytes) {}

    qsizetype Size() const { return m_bytes.size(); }
    char At(qsizetype i) const { return m_bytes.at(i - 1); }

    // Whether b(i+1)..b(i+k), letters upper-cased, spell the (upper-case) word.
    bool Follows(qsizetype i, const char* word) const {
        const qsizetype k = qsizetype(qstrlen(word));
        if (i + k > Size())
            return false;
        for (qsizetype j = 0; j < k; ++j) {
            char c = At(i + 1 + j);
            if (c >= 'a' && c <= 'z')
                c = char(c - 'a' + 'A');
            if (c != word[j])
                return false;
        }
        return true;
    }

  private:
    const QByteArray& m_bytes;
};

QByteArray FilterPage(const QByteArray& bytes) {
    const PageBytes b(bytes);
    const qsizetype n = b.Size();
    QByteArray out;
    out.reserve(n);
    bool inText = false;
    bool inScript = false;
    for (qsizetype i = 1; i <= n; ++i) {
        const char c = b.At(i);
        if (c == '<') {
            if (i + 8 < n && b.Follows(i, "/SCRIPT>"))
                inScript = false;
            if (i + 6 < n) {
                if (b.Follows(i, "/HEAD>")) {
                    out.clear();
                    i += 6;
                }
                if (b.Follows(i, "/STYLE"))
                    inScript = false;
                if (b.Follows(i, "SCRIPT"))
                    inScript = true;
            }
            if (i + 3 < n && (b.Follows(i, "/P>") || b.Follows(i, "BR>"))) {
                out += "\r\n";
                i += 3;
                inText = true;
            } else {
                inText = false;
            }
            if (i + 5 < n && b.Follows(i, "STYLE")) {
                inText = false;
                inScript = true;
            }
        } else if (c == '>') {
            inText = true;
        } else if (c == '\r') {
            if (i + 1 <= n && b.At(i + 1) == '\n')
                ++i;
        } else if (inText && !inScript) {
            out += c;
        }
    }
    return out;
}

// True when a text of the empty-named category, kept in the export folder, would be a
// category's folder or combined file ("all" + category + ".txt").
bool TakenInExportFolder(const ArticleTable& table, const QString& textName) {
    if (table.IsCategoryFileName(textName))
        return true;
    const QString folded = textName.toCaseFolded();
    if (!folded.startsWith(u"all") || !folded.endsWith(u".txt"))
        return false;
    const QString category = folded.mid(3).chopped(4);
    return category.isEmpty() || table.IsCategoryFileName(category);
}

} // namespace

QString HtmlToText(const QString& pagePath, const QString& textPath) {
    QFile page(pagePath);
    if (!page.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = page.readAll();
    if (page.error() != QFileDevice::NoError)
        return {};
    const QByteArray kept = FilterPage(bytes);
    if (kept.isEmpty())
        return {};
    QString text = DecodeBytes(kept, QStringLiteral("GB2312"));
    text.remove(QStringLiteral("&nbsp;"));
    text = DecodeCharRefs(text);
    if (!textPath.isEmpty() && !WriteTextFile(textPath, text + kCrLf))
        return {};
    return text;
}

QCoro::Task<Outcome> ExportText(AppState& state, TextEncoding encoding) {
    // "转TXT" is outside the button states: a second press must not interleave its appends
    // with the first.
    if (state.textExportRunning)
        co_return Outcome::Failure(QStringLiteral("转换TXT正在进行"));
    const auto fail = [&state](const QString& problem) {
        state.SetCaption(u"转换TXT失败：" + problem);
        return Outcome::Failure(u"转换TXT失败：" + problem);
    };

    // Nothing to convert must not leave an empty folder that looks like an export.
    if (state.table().ArticleCount() == 0)
        co_return fail(QStringLiteral("没有任务，请先新建或导入任务"));
    const auto encoded = [encoding](const QString& text) {
        if (encoding == TextEncoding::Gbk)
            return EncodeCp936(text);
        QString lines = text;
        lines.replace(kCrLf, QStringLiteral("\n"));
        return lines.toUtf8();
    };

    const TaskPaths paths = state.Paths();
    const QString exportName = state.taskName + u"TXT";
    if (paths.TaskFolder().isEmpty() || !IsSafePathComponent(exportName))
        co_return fail(u"任务名不能用作文件名：" + state.taskName);
    QDir exportFolder(state.programFolder() + u'/' + exportName);
    if (!exportFolder.exists() && !QDir().mkdir(exportFolder.path()))
        co_return fail(u"无法建立文件夹" + exportFolder.path());
    for (const QString& name : exportFolder.entryList({QStringLiteral("*.txt")}, QDir::Files))
        exportFolder.remove(name);

    state.textExportRunning = true;
    const ButtonStates saved = state.Buttons();
    state.SetButtons(buttons::kBusy);

    const ArticleTable& table = state.table();
    const int total = table.RowCount() - 2;
    int count = 0;
    QString problem;
    for (int i = 1; i <= total; ++i) {
        if (i % 50 == 0)
            co_await YieldOnce{};
        state.SetCaption(u"转换TXT：" + QString::number(i) + u'/' + QString::number(total));
        state.SetProgress({Progress::Text, i, total});
        const int row = total - i + 1;
        const QString category = table.Cell(row, ArticleTable::Category);
        const QString cat = table.CategoryFileName(category);
        // A category that cannot be a folder name gets no files; the export goes on. The
        // empty-named one keeps its texts in the export folder, as its pages are kept.
        if (!cat.isEmpty() && !IsSafePathComponent(cat))
            continue;
        const QString categoryFolder =
            cat.isEmpty() ? exportFolder.path() : exportFolder.filePath(cat);
        if (!QFileInfo::exists(categoryFolder))
            QDir().mkdir(categoryFolder);

        const QString pagePath = paths.ArticleFile(category, table.Cell(row, ArticleTable::Link));
        if (pagePath.isEmpty() || !QFileInfo(pagePath).isFile())
            continue;
        const QString textName = SafeFileName(table.Cell(row, ArticleTable::Title)) + u".txt";
        const QString textPath = IsSafePathComponent(textName) &&
                                         !(cat.isEmpty() && TakenInExportFolder(table, textName))
                                     ? categoryFolder + u'/' + textName
                                     : QString();
        const QString text = HtmlToText(pagePath, QString());
        // A page with nothing left gets no text file, as before.
        if (!text.isNull() && !textPath.isEmpty())
            if (WriteResult written = WriteFileAtomically(textPath, encoded(text + kCrLf));
                !written) {
                problem = written.error;
                break;
            }
        ++count;
        const QString combinedName = u"all" + cat + u".txt";
        if (!IsSafePathComponent(combinedName))
            continue;
        if (WriteResult appended =
                AppendToFile(exportFolder.filePath(combinedName),
                             encoded(u"----------------   " + textName + u"   ----------------" +
                                     kCrLf + text + kCrLf));
            !appended) {
            problem = appended.error;
            break;
        }
    }
    state.SetButtons(saved);
    state.textExportRunning = false;
    // A full disk or a folder that cannot be written: the export is not done.
    if (!problem.isEmpty()) {
        Outcome failed = fail(problem);
        failed.articles = total;
        failed.articlesSaved = count;
        co_return failed;
    }
    state.SetCaption(u"转换TXT完成,一共" + QString::number(count) + u"个");
    Outcome outcome;
    outcome.ok = true;
    outcome.articles = total;
    outcome.articlesSaved = count;
    outcome.path = exportFolder.path();
    co_return outcome;
}

} // namespace pellomar

// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/taskfile.h"

#include "core/appstate.h"
#include "core/filenames.h"
#include "core/textfunctions.h"
#include "platform/eventloop.h"
#include "platform/textstream.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <array>
#include <optional>

namespace pellomar {

namespace {

const QString kBlockEnd = QStringLiteral("\r\n\r\n");
// Far beyond any real task (a line of a few dozen bytes per value, eight per article).
constexpr qint64 kMaxTaskFileBytes = 64 * 1024 * 1024;
constexpr int kStoredColumns = 6;

QString ColumnName(int column) {
    static const std::array<QString, kStoredColumns> names = {
        QStringLiteral("序号"), QStringLiteral("标题"), QStringLiteral("分类"),
        QStringLiteral("链接"), QStringLiteral("日期"), QStringLiteral("页数")};
    return names[column];
}

// Why a value cannot be stored, or nothing when it can: an empty value or a line break
// would shift the lines of every block after it, and a character code page 936 lacks would
// come back as "?".
std::optional<QString> Unstorable(const QString& value) {
    if (value.isEmpty())
        return QStringLiteral("是空的");
    if (value.contains(u'\r') || value.contains(u'\n'))
        return QStringLiteral("含有换行");
    if (!FitsCp936(value))
        return QStringLiteral("含有GBK编码不能保存的字符");
    return std::nullopt;
}

struct StoredArticle {
    QString title;
    QString category;
    QString link;
    QString date;
};

struct StoredTask {
    QString address;
    ServiceKind service = 0;
    QString name;
    bool savePictures = false;
    QList<StoredArticle> articles;
};

std::optional<bool> ReadFlag(const QString& text) {
    if (text.compare(u"True", Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(u"False", Qt::CaseInsensitive) == 0)
        return false;
    return std::nullopt;
}

std::optional<ServiceKind> ReadService(const QString& text) {
    const QString digits = text.trimmed();
    if (digits.isEmpty() || digits.size() > 3)
        return std::nullopt;
    for (const QChar c : digits)
        if (c < u'0' || c > u'9')
            return std::nullopt;
    // Numbers of no service still load (an edited file): such a task finds nothing to fetch.
    const int value = digits.toInt();
    if (value > 255)
        return std::nullopt;
    return ServiceKind(value);
}

// The rows the table would refuse are refused before anything is loaded.
std::optional<QString> CategoryLimits(const QList<StoredArticle>& articles) {
    QHash<QString, int> counts;
    for (const StoredArticle& article : articles) {
        int& count = counts[article.category];
        if (++count > ArticleTable::kMaxPerCategory)
            return QStringLiteral("分类“%1”的文章超过%2篇")
                .arg(article.category)
                .arg(ArticleTable::kMaxPerCategory);
    }
    if (counts.size() > CategoryList::kSlots)
        return QStringLiteral("分类超过%1个").arg(CategoryList::kSlots);
    return std::nullopt;
}

// Reads and checks the whole file; the reason it cannot be imported, or nothing.
std::optional<QString> ReadTaskFile(const QString& path, StoredTask& task) {
    const QFileInfo info(path);
    if (!info.isFile())
        return QStringLiteral("找不到文件");
    if (info.size() > kMaxTaskFileBytes)
        return QStringLiteral("文件太大（超过64MB），不是任务文件");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("无法读取文件");
    // Read as it comes, not into a buffer the size of the limit: a task file of a few
    // kilobytes must not cost 64 MB.
    QByteArray bytes;
    while (bytes.size() <= kMaxTaskFileBytes) {
        const QByteArray chunk = file.read(64 * 1024);
        if (chunk.isEmpty())
            break;
        bytes += chunk;
    }
    if (file.error() != QFileDevice::NoError)
        return QStringLiteral("无法读取文件");
    if (bytes.size() > kMaxTaskFileBytes)
        return QStringLiteral("文件太大（超过64MB），不是任务文件");
    if (bytes.isEmpty())
        return QStringLiteral("文件是空的");

    QString text = DecodeBytes(bytes, QStringLiteral("GB2312"));
    if (text.contains(QChar(QChar::ReplacementCharacter)) || !FitsCp936(text))
        return QStringLiteral("文件含有不是GBK（GB2312）编码的字节");
    if (!text.contains(kCrLf) && text.contains(u'\n'))
        return QStringLiteral("文件的行尾不是CR LF");

    // The blank lines after the last article are the end of the file, not another block; a
    // file that lost them (an editor trims them) still keeps its last article.
    while (text.endsWith(kCrLf))
        text.chop(kCrLf.size());
    const QStringList blocks = text.split(kBlockEnd);

    const QStringList header = blocks.first().split(kCrLf);
    // Lines beyond the five are not read, as in every block.
    if (header.size() < 5 || !header[0].isEmpty())
        return QStringLiteral("文件开头应是一个空行，然后是地址、博客类型、名称和图片标记各一行");
    task.address = header[1];
    task.name = header[3];
    const std::optional<ServiceKind> service = ReadService(header[2]);
    if (!service)
        return QStringLiteral("博客类型应是0到255的数字，而不是“%1”").arg(header[2]);
    task.service = *service;
    const std::optional<bool> flag = ReadFlag(header[4]);
    if (!flag)
        return QStringLiteral("图片标记应是True或False，而不是“%1”").arg(header[4]);
    task.savePictures = *flag;
    if (!IsSafePathComponent(task.name))
        return QStringLiteral("任务名称不能用作文件夹名：") + task.name;

    for (qsizetype i = 1; i < blocks.size(); ++i) {
        // An empty line left from the separator, then the six stored columns.
        const QStringList pieces = blocks[i].split(kCrLf);
        if (pieces.size() < kStoredColumns + 1 || !pieces[0].isEmpty())
            return QStringLiteral("第%1篇文章应有%2行（序号、标题、分类、链接、日期、页数），"
                                  "实有%3行")
                .arg(i)
                .arg(kStoredColumns)
                .arg(pieces.size() - 1);
        task.articles.append({pieces[2], pieces[3], pieces[4], pieces[5]});
    }
    return CategoryLimits(task.articles);
}

Outcome Refuse(AppState& state, const QString& text) {
    state.SetCaption(text);
    state.ShowMessage(text);
    return Outcome::Failure(text);
}

} // namespace

QString TaskFilePath(const AppState& state) {
    return state.programFolder() + u'/' + state.taskName + u".ini";
}

Outcome ExportTask(AppState& state) {
    const auto refuse = [&state](const QString& reason) {
        state.SetCaption(QStringLiteral("导出失败：") + reason);
        return Outcome::Failure(QStringLiteral("导出失败：") + reason);
    };
    if (!IsSafePathComponent(state.taskName + u".ini"))
        return refuse(QStringLiteral("任务名称不能用作文件名：") + state.taskName);

    const QString flag = state.savePictures ? QStringLiteral("True") : QStringLiteral("False");
    const std::array<std::pair<QString, QString>, 2> header = {
        {{QStringLiteral("地址"), state.blogAddress}, {QStringLiteral("名称"), state.taskName}}};
    for (const auto& [what, value] : header)
        if (const auto problem = Unstorable(value))
            return refuse(QStringLiteral("任务的") + what + *problem);

    const ArticleTable& table = state.table();
    QString text = kCrLf + state.blogAddress + kCrLf + QString::number(state.serviceKind) + kCrLf +
                   state.taskName + kCrLf + flag + kCrLf + kCrLf + kCrLf;
    // One row that cannot be stored as it is must not cost the whole list: a line break
    // becomes a blank, a character outside the code page its "?", and only a row with an
    // empty value (which would shift every block after it) is left out. Each is named.
    QStringList notes;
    for (int row = 1; row <= table.RowCount() - 2; ++row) {
        const QString which = QStringLiteral("第%1篇文章的").arg(row);
        QString block;
        bool leftOut = false;
        for (int column = 0; column < kStoredColumns && !leftOut; ++column) {
            QString value = table.Cell(row, column);
            if (value.isEmpty()) {
                notes.append(which + ColumnName(column) + QStringLiteral("是空的，未导出这篇"));
                leftOut = true;
                continue;
            }
            if (value.contains(u'\r') || value.contains(u'\n')) {
                notes.append(which + ColumnName(column) + QStringLiteral("含有换行，已换成空格"));
                value.replace(kCrLf, QStringLiteral(" "));
                value.replace(u'\r', u' ');
                value.replace(u'\n', u' ');
            }
            if (!FitsCp936(value))
                notes.append(which + ColumnName(column) +
                             QStringLiteral("含有GBK编码不能保存的字符，已写作“?”"));
            block += value + kCrLf;
        }
        if (!leftOut)
            text += block + kCrLf + kCrLf;
    }

    const QString path = TaskFilePath(state);
    if (const WriteResult written = WriteFileAtomically(path, EncodeCp936(text)); !written)
        return refuse(QStringLiteral("无法写入文件：") + written.error);
    QString caption = state.taskName + u".ini 导出成功! 放在程序目录";
    if (!notes.isEmpty())
        caption += QStringLiteral("（%1处不能照原样保存）").arg(notes.size());
    state.SetCaption(caption);
    Outcome outcome;
    outcome.ok = true;
    outcome.notes = notes;
    outcome.articles = table.ArticleCount();
    outcome.path = path;
    return outcome;
}

QCoro::Task<Outcome> ImportTask(AppState& state, QString path) {
    StoredTask task;
    if (const auto problem = ReadTaskFile(path, task))
        co_return Refuse(state,
                         u"导入失败：" + *problem + u"（" + QDir::toNativeSeparators(path) + u"）");

    // A discovery still waiting for a page must not add to the imported task.
    ++state.discoveryRun;
    // Nothing else may start while the yields below let clicks through.
    state.SetButtons(buttons::kBusy);
    state.table().Reset();
    state.savePictures = task.savePictures;
    state.taskName = task.name;
    state.serviceKind = task.service;
    state.blogAddress = task.address;

    const qsizetype last = task.articles.size() + 1;
    for (qsizetype i = 1; i < last; ++i) {
        if (i % 100 == 0)
            co_await YieldOnce{};
        state.SetCaption(QStringLiteral("导入任务：%1/%2").arg(i + 1).arg(last));
        state.SetProgress({Progress::Import, int(i), int(task.articles.size())});
        const StoredArticle& article = task.articles[i - 1];
        state.table().AddArticle(article.title, article.category, article.link, article.date);
    }

    state.SetCaption(u"导入" + ServiceLabel(state.serviceKind) + u": " + state.taskName +
                     u" 成功! 请按下载开始");
    state.SetButtons(buttons::kImported);
    Outcome outcome;
    outcome.ok = true;
    outcome.articles = state.table().ArticleCount();
    outcome.path = path;
    co_return outcome;
}

} // namespace pellomar

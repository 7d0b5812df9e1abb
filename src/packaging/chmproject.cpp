// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/chmproject.h"

#include "core/articletable.h"
#include "core/filenames.h"
#include "core/textfunctions.h"
#include "platform/textstream.h"

#include <QDir>
#include <QHash>
#include <QStringList>

namespace pellomar {

namespace {

constexpr int kNameLength = 30;

// Whole-number division with a half going to the even neighbour.
qint64 DivideHalfEven(qint64 dividend, qint64 divisor) {
    qint64 quotient = dividend / divisor;
    const qint64 twiceRest = 2 * (dividend % divisor);
    if (twiceRest > divisor || (twiceRest == divisor && quotient % 2 != 0))
        ++quotient;
    return quotient;
}

class ContentsWriter {
  public:
    explicit ContentsWriter(ContentsFor reader) : m_reader(reader) {}

    QChar Separator() const { return m_reader == ContentsFor::Project ? u'\\' : u'/'; }

    // A name inside a value attribute.
    QString Name(const QString& text) const {
        if (m_reader == ContentsFor::Project)
            return text;
        QString name = text;
        name.replace(u'"', QStringLiteral("&quot;"));
        name.replace(u'#', QStringLiteral("&quot;"));
        return name;
    }

    // Names went in escaped for the compiler, so only the template's own "#" signs remain.
    void Line(const QString& templ) { m_text += Quoted(templ) + kCrLf; }

    QString Text() const { return m_text; }

  private:
    ContentsFor m_reader;
    QString m_text;
};

} // namespace

QString FirstCharacters(const QString& text, int n) {
    qsizetype length = std::min<qsizetype>(text.size(), n);
    if (length > 0 && length < text.size() && text.at(length - 1).isHighSurrogate())
        --length;
    return text.left(length);
}

QString ProjectFileText(const QString& taskName, const ArticleTable& table) {
    QStringList lines = {
        QStringLiteral("[Options]"),
        QStringLiteral("Compatibility = 1.1 Or later"),
        u"Compiled file = ..\\" + taskName + u".chm",
        QStringLiteral("Contents file = blog.hhc"),
        QStringLiteral("Default window = main"),
        QStringLiteral("Display compile progress=Yes"),
        QStringLiteral("Language=0x804"),
        u"Title = \"" + taskName + u'"',
        QString(),
        QStringLiteral("[WINDOWS]"),
        Quoted(QStringLiteral(
            "main=,#blog.hhc#,,#index.html#,#index.html#,,,,,0x2021,,0x104e,,,,,,,,0")),
        QStringLiteral("[Files]"),
    };
    for (int row = 1; row <= table.RowCount() - 2; ++row)
        lines << CategoryRelativePath(
            table.CategoryFileName(table.Cell(row, ArticleTable::Category)),
            table.Cell(row, ArticleTable::Link), u'\\');
    lines << QStringLiteral("[INFOTYPES]") << QString();
    return lines.join(kCrLf) + kCrLf;
}

QList<QList<int>> ContentsRows(const ArticleTable& table) {
    const CategoryList& categories = table.Categories();
    QHash<QString, int> slotOf;
    for (int slot = 0; slot < categories.Size(); ++slot)
        slotOf.insert(categories.names[slot], slot);
    QList<QList<int>> rows(categories.Size());
    for (int row = table.RowCount() - 2; row >= 1; --row) {
        const auto slot = slotOf.constFind(table.Cell(row, ArticleTable::Category));
        if (slot != slotOf.cend())
            rows[*slot].append(row);
    }
    return rows;
}

QString ContentsFileText(const ArticleTable& table, ContentsFor reader) {
    ContentsWriter out(reader);
    out.Line(QStringLiteral(
        "<!DOCTYPE HTML PUBLIC #-//IETF//DTD HTML//EN#><HTML><HEAD><meta name=#GENERATOR# "
        "content=#kavroPellomar#><!-- Sitemap 1.0 --></HEAD><BODY><OBJECT type=#text/site "
        "properties#>    <param name=#ImageType# value=#Folder#></OBJECT><UL>"));
    const CategoryList& categories = table.Categories();
    const QList<QList<int>> rows = ContentsRows(table);
    for (int slot = 0; slot < categories.Size(); ++slot) {
        const QString& category = categories.names[slot];
        const QString cat = table.CategoryFileName(category);
        out.Line(u"<LI> <OBJECT type=#Text/sitemap#> <param name=#Name# value=#" +
                 out.Name(FirstCharacters(category, kNameLength)) + u'(' +
                 QString::number(categories.counts[slot]) + u")#> <param name=#Local# value=#" +
                 cat + u".htm#></OBJECT>");
        int k = 0;
        for (const int row : rows[slot]) {
            ++k;
            out.Line(
                u"<UL><LI> <OBJECT type=#Text/sitemap#> <param name=#Name# value=#" +
                QString::number(k) + u'.' +
                out.Name(FirstCharacters(table.Cell(row, ArticleTable::Title), kNameLength)) +
                u"#> <param name=#Local# value=#" +
                CategoryRelativePath(cat, table.Cell(row, ArticleTable::Link), out.Separator()) +
                u"#></OBJECT></UL>");
        }
    }
    out.Line(u"</UL></BODY></HTML>" + kCrLf);
    return out.Text();
}

QByteArray ProjectFileBytes(const QString& taskName, const ArticleTable& table) {
    return EncodeCp936(ProjectFileText(taskName, table));
}

QByteArray ContentsFileBytes(const ArticleTable& table) {
    return EncodeCp936(ContentsFileText(table));
}

WriteResult WriteChmProject(const QString& taskFolder, const QString& taskName,
                            const ArticleTable& table) {
    const QDir folder(taskFolder);
    WriteResult result =
        WriteFileAtomically(folder.filePath(kProjectFileName), ProjectFileBytes(taskName, table));
    if (result)
        result = WriteFileAtomically(folder.filePath(kContentsFileName), ContentsFileBytes(table));
    return result;
}

QString PackingProgressText(qint32 counter, int rowCount, const QString& perPageText) {
    const QString done = QString::number(DivideHalfEven(counter, 2));
    bool ok = false;
    const qint64 perPage = perPageText.trimmed().toLongLong(&ok);
    if (!ok || perPage <= 0)
        return u"打包第" + done + u"个";
    const qint64 total = rowCount + DivideHalfEven(rowCount, perPage);
    return u"打包第" + done + u'/' + QString::number(total) + u"个";
}

} // namespace pellomar

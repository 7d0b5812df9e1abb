// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/filenames.h"

#include <QCryptographicHash>

#include "core/articletable.h"

#include <array>
#include <utility>

namespace pellomar {

QString SafeFileName(const QString& text) {
    // The order matters: "&nbsp;" must go whole before "&" and ";" are replaced.
    static const std::array<std::pair<QString, QString>, 15> steps = {{
        {QStringLiteral("&nbsp;"), QString()},
        {QStringLiteral("?"), QStringLiteral("_")},
        {QStringLiteral("/"), QStringLiteral("_")},
        {QStringLiteral("\\"), QStringLiteral("_")},
        {QStringLiteral(":"), QStringLiteral("_")},
        {QStringLiteral("&"), QStringLiteral("_")},
        {QStringLiteral("+"), QStringLiteral("_")},
        {QStringLiteral("#"), QStringLiteral("_")},
        {QStringLiteral(";"), QStringLiteral("_")},
        {QStringLiteral(" "), QStringLiteral("_")},
        {QStringLiteral("*"), QStringLiteral("_")},
        {QStringLiteral("%"), QString()},
        {QStringLiteral("<"), QString()},
        {QStringLiteral(">"), QString()},
        {QStringLiteral("\""), QString()},
    }};
    QString name = text;
    for (const auto& [find, replacement] : steps)
        name.replace(find, replacement);
    return name;
}

bool IsSafePathComponent(const QString& name) {
    constexpr qsizetype kMaxNameBytes = 255;
    if (name.isEmpty() || name == u"." || name == u"..")
        return false;
    if (name.contains(u'/') || name.contains(u'\\') || name.contains(QChar(u'\0')))
        return false;
    return name.toUtf8().size() <= kMaxNameBytes;
}

namespace {

QString Join(const QString& folder, const QString& name) {
    if (folder.isEmpty() || !IsSafePathComponent(name))
        return {};
    return folder + u'/' + name;
}

} // namespace

namespace {

QString WithoutTrailingDigits(QString name) {
    while (!name.isEmpty() && name.back().isDigit())
        name.chop(1);
    return name;
}

// What may follow a category's name in its file names: nothing (its list) or a page
// number, which never begins with 0.
bool PageSuffix(QStringView text) {
    if (text.isEmpty())
        return true;
    if (text.front() == u'0')
        return false;
    for (const QChar c : text)
        if (!c.isDigit())
            return false;
    return true;
}

// A category named b makes the folder b and the files b + ".htm" (its list) and b + page
// number + ".htm". True when some name of `a` is also a name of `b`.
bool Meet(const QString& a, const QString& b) {
    const auto extends = [](const QString& longer, const QString& shorter) {
        return longer.startsWith(shorter) && PageSuffix(QStringView(longer).mid(shorter.size()));
    };
    const auto fileOf = [&extends](const QString& name, const QString& category) {
        return name.endsWith(u".htm") && extends(name.chopped(4), category);
    };
    return extends(a, b) || extends(b, a) || fileOf(a, b) || fileOf(b, a);
}

// Names that can meet share this: the name without ".htm" and trailing digits.
QString Stem(QString name) {
    if (name.endsWith(u".htm"))
        name.chop(4);
    return WithoutTrailingDigits(name);
}

} // namespace

QHash<QString, QString> CategoryFileNames(const QStringList& categories) {
    // The task folder's own files take their names first.
    QMultiHash<QString, QString> byStem;
    // The CHM's search index lies at its top beside them.
    for (const QString& own :
         {QStringLiteral("index.html"), QStringLiteral("all.htm"), QStringLiteral("blog.hhp"),
          QStringLiteral("blog.hhc"), QStringLiteral("$FIftiMain")})
        byStem.insert(Stem(own), own);
    QHash<QString, QString> names;
    for (const QString& category : categories) {
        if (names.contains(category))
            continue;
        const QString base = SafeFileName(category);
        QString name = base;
        for (int n = 2;; ++n) {
            bool meets = false;
            for (const QString& other : byStem.values(Stem(name)))
                meets = meets || Meet(name, other);
            if (!meets)
                break;
            name = base + u'_' + QString::number(n);
        }
        byStem.insert(Stem(name), name);
        names.insert(category, name);
    }
    return names;
}

QString CategoryRelativePath(const QString& categoryName, const QString& name, QChar separator) {
    return categoryName.isEmpty() ? name : categoryName + separator + name;
}

QString TaskPaths::CategoryName(const QString& category) const {
    return table ? table->CategoryFileName(category) : SafeFileName(category);
}

QString TaskPaths::TaskFolder() const {
    return Join(programFolder, taskName);
}

QString TaskPaths::CategoryFolder(const QString& category) const {
    const QString name = CategoryName(category);
    return name.isEmpty() ? TaskFolder() : Join(TaskFolder(), name);
}

QString TaskPaths::ArticleFile(const QString& category, const QString& link) const {
    if (CategoryName(category).isEmpty() && TakenInTaskFolder(link))
        return {};
    return Join(CategoryFolder(category), link);
}

QString TaskPaths::PictureName(const QString& address) {
    constexpr qsizetype kMaxPictureName = 100;
    const QString name = SafeFileName(address);
    if (name.size() <= kMaxPictureName)
        return name;
    // Addresses that agree in their first characters must not share one file: a longer one
    // keeps fewer of them and ends in a hash of the whole address.
    const QString hash = QString::fromLatin1(
        QCryptographicHash::hash(address.toUtf8(), QCryptographicHash::Sha1).toHex().left(8));
    qsizetype length = kMaxPictureName - hash.size() - 1;
    // Never keep half of a surrogate pair: the name must stay valid text on disk.
    if (name.at(length - 1).isHighSurrogate())
        --length;
    return name.left(length) + u'_' + hash;
}

QString TaskPaths::PictureFile(const QString& category, const QString& address) const {
    return ArticleFile(category, PictureName(address));
}

QString TaskPaths::InTaskFolder(const QString& name) const {
    return Join(TaskFolder(), name);
}

bool TaskPaths::TakenInTaskFolder(const QString& name) const {
    const QString folded = name.toCaseFolded();
    // The packers' files: the CHM project, contents, index and the compiler's output.
    for (const QString& ending : {QStringLiteral(".hhp"), QStringLiteral(".hhc"),
                                  QStringLiteral(".hhk"), QStringLiteral(".chm")})
        if (folded.endsWith(ending))
            return true;
    if (folded == u"index.html" || folded == u"all.htm")
        return true;
    // The empty name stands for the category asking, whose list and pages lie here too.
    const auto isCategory = [this](const QString& candidate) {
        return candidate.isEmpty() || (table && table->IsCategoryFileName(candidate));
    };
    if (isCategory(folded))
        return true;
    if (!folded.endsWith(u".htm"))
        return false;
    // c.htm is the list of c; c + page number + ".htm" one of its pages.
    const QString stem = folded.chopped(4);
    if (isCategory(stem))
        return true;
    for (qsizetype cut = stem.size(); cut > 0 && stem.at(cut - 1).isDigit(); --cut)
        if (stem.at(cut - 1) != u'0' && isCategory(stem.left(cut - 1)))
            return true;
    return false;
}

} // namespace pellomar

// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/filenames.h"

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

QString TaskPaths::TaskFolder() const {
    return Join(programFolder, taskName);
}

QString TaskPaths::CategoryFolder(const QString& category) const {
    return Join(TaskFolder(), SafeFileName(category));
}

QString TaskPaths::ArticleFile(const QString& category, const QString& link) const {
    return Join(CategoryFolder(category), link);
}

QString TaskPaths::PictureName(const QString& address) {
    constexpr qsizetype kMaxPictureName = 100;
    const QString name = SafeFileName(address);
    qsizetype length = std::min(name.size(), kMaxPictureName);
    // Never keep half of a surrogate pair: the name must stay valid text on disk.
    if (length < name.size() && name.at(length - 1).isHighSurrogate())
        --length;
    return name.left(length);
}

QString TaskPaths::PictureFile(const QString& category, const QString& address) const {
    return Join(CategoryFolder(category), PictureName(address));
}

QString TaskPaths::InTaskFolder(const QString& name) const {
    return Join(TaskFolder(), name);
}

} // namespace pellomar

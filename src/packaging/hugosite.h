// SPDX-License-Identifier: GPL-3.0-or-later
// The Hugo site around the Markdown export: its configuration and small layouts of our own
// (no theme to fetch), and the YAML front matter of an article, which Hexo reads as well.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace pellomar {

struct SiteFile {
    QString path; // inside the site folder, "/" between the parts
    QByteArray bytes;
};

// hugo.toml (the title, Chinese, relative links, inline HTML passed on) and the layouts:
// the home page listing categories and articles, the category pages, the article page.
QList<SiteFile> HugoSiteFiles(const QString& title);

struct ArticleFrontMatter {
    QString title;
    QString date; // as the table holds it
    QString category;
    QString source; // the article's original address
};

// "---" lines around title, date (ISO 8601 at +08:00; left out when the table's date is
// unreadable), categories (its SiteCategory; none for the unnamed category) and source.
QString FrontMatter(const ArticleFrontMatter& article);

// The table's date as ISO 8601 in China's time; empty when it holds no date.
QString IsoDate(const QString& tableDate);

// The category as Hugo's term: a "/" would make folders of it and leading dots lead out of
// them (".." stops the build), so both become their full-width forms.
QString SiteCategory(const QString& category);

// A YAML double-quoted scalar, safe whatever the text holds.
QString YamlString(const QString& text);

} // namespace pellomar

// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/hugosite.h"

#include <QDate>
#include <QRegularExpression>
#include <QTime>

namespace pellomar {

namespace {

// TOML's basic strings share YAML's double-quoted escapes for what a title can hold.
QString QuotedString(const QString& text) {
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (c == u'"' || c == u'\\')
            out += u'\\' + QString(c);
        else if (u < 0x20 || u == 0x7F || u == 0x85 || u == 0x2028 || u == 0x2029)
            out += QStringLiteral("\\u%1").arg(u, 4, 16, QChar(u'0'));
        else
            out += c;
    }
    return out + u'"';
}

const char kConfig[] = R"(baseURL = "/"
languageCode = "zh-cn"
hasCJKLanguage = true
# Every link relative, and every page an index.html: the built site opens from disk.
relativeURLs = true
titleCaseStyle = "none"
pluralizeListTitles = false
disableKinds = ["RSS", "sitemap", "robotsTXT", "404"]

[taxonomies]
category = "categories"

[markup.goldmark.renderer]
unsafe = true

[markup.goldmark.extensions]
definitionList = false
footnote = false
linkify = false
typographer = false
)";

const char kBaseOf[] = R"(<!DOCTYPE html>
<html lang="zh-cn">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>{{ if not .IsHome }}{{ .Title }} - {{ end }}{{ site.Title }}</title>
<style>
body { max-width: 46em; margin: 1em auto; padding: 0 1em; line-height: 1.7; color: #222;
       font-family: "Noto Sans CJK SC", "Microsoft YaHei", sans-serif; }
nav { border-bottom: 1px solid #ccc; padding-bottom: 0.4em; }
.meta { color: #666; font-size: 0.9em; }
.meta a { margin-right: 0.6em; }
article img { max-width: 100%; height: auto; }
article table { border-collapse: collapse; }
article td, article th { border: 1px solid #999; padding: 0.2em 0.5em; }
blockquote { border-left: 3px solid #ccc; margin-left: 0; padding-left: 1em; color: #555; }
</style>
</head>
<body>
<nav><a href="{{ site.Home.RelPermalink }}index.html">{{ site.Title }}</a></nav>
{{ block "main" . }}{{ end }}
</body>
</html>
)";

const char kArticleItem[] =
    R"(<li><a href="{{ .RelPermalink }}index.html">{{ .Title }}</a>{{ if not .Date.IsZero }} <span class="meta">{{ .Date.Format "2006-01-02" }}</span>{{ end }}</li>
)";

const char kHome[] = R"({{ define "main" }}
<h1>{{ site.Title }}</h1>
{{ range site.Taxonomies.categories.Alphabetical }}
<h2><a href="{{ .Page.RelPermalink }}index.html">{{ .Page.Title }}</a>（{{ .Count }}）</h2>
<ul>{{ range .Pages }}{{ partial "item.html" . }}{{ end }}</ul>
{{ end }}
{{ with where site.RegularPages "Params.categories" "==" nil }}
<h2>未分类（{{ len . }}）</h2>
<ul>{{ range . }}{{ partial "item.html" . }}{{ end }}</ul>
{{ end }}
{{ end }}
)";

const char kList[] = R"({{ define "main" }}
<h1>{{ .Title }}</h1>
<ul>{{ range .Pages }}{{ partial "item.html" . }}{{ end }}</ul>
{{ end }}
)";

const char kSingle[] = R"({{ define "main" }}
<article>
<h1>{{ .Title }}</h1>
<p class="meta">{{ if not .Date.IsZero }}<span>{{ .Date.Format "2006-01-02" }}{{ if or .Date.Hour .Date.Minute }} {{ .Date.Format "15:04" }}{{ end }}</span> {{ end }}{{ range .GetTerms "categories" }}<a href="{{ .RelPermalink }}index.html">{{ .LinkTitle }}</a>{{ end }}{{ with .Params.source }}<a href="{{ . }}">原文</a>{{ end }}</p>
{{ .Content }}
</article>
{{ end }}
)";

} // namespace

QList<SiteFile> HugoSiteFiles(const QString& title) {
    return {
        {QStringLiteral("hugo.toml"),
         (u"title = " + QuotedString(title) + u'\n').toUtf8() + QByteArray(kConfig)},
        {QStringLiteral("layouts/_default/baseof.html"), QByteArray(kBaseOf)},
        {QStringLiteral("layouts/partials/item.html"), QByteArray(kArticleItem)},
        {QStringLiteral("layouts/index.html"), QByteArray(kHome)},
        {QStringLiteral("layouts/_default/list.html"), QByteArray(kList)},
        {QStringLiteral("layouts/_default/single.html"), QByteArray(kSingle)},
    };
}

QString IsoDate(const QString& tableDate) {
    static const QRegularExpression pattern(
        QStringLiteral("(\\d{4})\\D{1,2}(\\d{1,2})\\D{1,2}(\\d{1,2})"
                       "(?:\\D+(\\d{1,2})[:：](\\d{1,2})(?:[:：](\\d{1,2}))?)?"));
    const auto match = pattern.match(tableDate);
    if (!match.hasMatch())
        return {};
    const QDate date(match.captured(1).toInt(), match.captured(2).toInt(),
                     match.captured(3).toInt());
    const QTime time(match.captured(4).toInt(), match.captured(5).toInt(),
                     match.captured(6).toInt());
    if (!date.isValid() || !time.isValid())
        return {};
    return date.toString(Qt::ISODate) + u'T' + time.toString(Qt::ISODate) +
           QStringLiteral("+08:00");
}

QString YamlString(const QString& text) {
    return QuotedString(text);
}

QString SiteCategory(const QString& category) {
    QString name = category.trimmed();
    name.replace(u'/', u'／').replace(u'\\', u'＼');
    for (qsizetype i = 0; i < name.size() && name[i] == u'.'; ++i)
        name[i] = u'．';
    return name;
}

QString FrontMatter(const ArticleFrontMatter& article) {
    QString out = u"---\ntitle: " + YamlString(article.title) + u'\n';
    if (const QString date = IsoDate(article.date); !date.isEmpty())
        out += u"date: " + date + u'\n';
    if (const QString category = SiteCategory(article.category); !category.isEmpty())
        out += u"categories:\n  - " + YamlString(category) + u'\n';
    if (!article.source.isEmpty())
        out += u"source: " + YamlString(article.source) + u'\n';
    return out + QStringLiteral("---\n");
}

} // namespace pellomar

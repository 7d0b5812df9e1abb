// SPDX-License-Identifier: GPL-3.0-or-later
// Sohu and NetEase blogs for the tests, in code page 936. A list page loads without its
// list, which a page script builds a moment later, so only the browser can read it. Sohu
// pages by chageEntryPage(n) links that load a new document, NetEase by "fc03 bgc9 bdc0"
// buttons that rebuild the list in place. Article pages carry the services' body markers.
#pragma once

#include "core/servicekind.h"
#include "demo/loopbackserver.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace pellomar::test {

struct ScriptArticle {
    QString title, category, date, id, picture;
    bool hidden = false; // Sohu: listed without a link
    // Lines between the title line and the category line in the browser's markup (3 or more).
    int categoryLine = 3;
};

struct ScriptBlog {
    ServiceKind kind = kSohu;
    QString account;
    QList<ScriptArticle> articles; // in list order
    int perPage = 4;
    int loadingMs = 300;        // until the script builds the list; -1: never
    bool pagingLoads = true;    // Sohu: chageEntryPage(n) loads page n (else does nothing)
    bool previousButton = true; // NetEase: the paging bar's "上一页"
};

// Titles the file-name cleaner changes, with characters only GBK holds and one holding
// "未找到"; three categories; a picture in every other article.
ScriptBlog MakeScriptBlog(ServiceKind kind, const QString& account, int count, int perPage = 4);
int PageCount(const ScriptBlog& blog);
// Page 1 is the blog address a task starts from.
QString ListPageAddress(const ScriptBlog& blog, int page);
// Title, category, link, date and number within the category of each row discovery gives.
QList<QStringList> ExpectedScriptRows(const ScriptBlog& blog);
void ServeScriptBlog(const ScriptBlog& blog, LoopbackServer& server);
// The body of list page `page` as ServeScriptBlog serves it, and a body served as the
// services serve their pages.
QString ScriptListBody(const ScriptBlog& blog, int page);
LoopbackServer::Response GbkPage(const QString& body);

} // namespace pellomar::test

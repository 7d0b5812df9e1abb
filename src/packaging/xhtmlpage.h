// SPDX-License-Identifier: GPL-3.0-or-later
// An article page, tag soup as the services served it, as well-formed XHTML that an e-reader
// accepts: libxml2's HTML parser reads it, and only elements and attributes with a place in
// an EPUB's XHTML come out, their nesting mended where HTML allows what XHTML does not.
#pragma once

#include <QString>
#include <functional>
#include <memory>

class QXmlStreamWriter;
struct _xmlDoc;

namespace pellomar {

struct PageReferences {
    // Where a picture's src leads inside the book; empty drops the picture.
    std::function<QString(const QString& src)> picture;
    // Where a link's href leads inside the book; empty keeps the text without the link.
    std::function<QString(const QString& href)> link;
};

// Writes the contents of the page's body as flow content into the open element of `out`.
// Scripts, styles, frames, forms' controls, event attributes and every reference the
// callbacks do not place are dropped.
void WriteXhtmlBody(QXmlStreamWriter& out, const QString& html, const PageReferences& references);

using HtmlDocument = std::unique_ptr<_xmlDoc, void (*)(_xmlDoc*)>;

// A page already decoded, read leniently by libxml2's HTML parser (no network, no second
// decoding by a charset its meta tags name); null when libxml2 gives up.
HtmlDocument ParseHtml(const QString& html);

// A reference that leaves the disk: one with a scheme (http:, file:, data:, ...) or starting
// with "//".
bool IsRemoteReference(const QString& reference);

} // namespace pellomar

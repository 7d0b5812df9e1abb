// SPDX-License-Identifier: GPL-3.0-or-later
// An article page, tag soup as the services served it, as well-formed XHTML that an e-reader
// accepts: libxml2's HTML parser reads it, and only elements and attributes with a place in
// an EPUB's XHTML come out, their nesting mended where HTML allows what XHTML does not.
#pragma once

#include "packaging/htmlnodes.h"

#include <QString>
#include <functional>

class QXmlStreamWriter;

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

// Writes one element of a parsed page, with what it holds, as `WriteXhtmlBody` would: for
// what another format cannot say and keeps as HTML.
void WriteXhtmlElement(QXmlStreamWriter& out, const _xmlNode* element,
                       const PageReferences& references);

} // namespace pellomar

// SPDX-License-Identifier: GPL-3.0-or-later
// An article page as CommonMark for static-site generators: libxml2's HTML parser reads the
// page; paragraphs, line breaks, headings, emphasis, links, pictures, lists, quotes and
// preformatted text become Markdown; tables and what Markdown cannot say stay HTML, written
// as the EPUB writes it.
#pragma once

#include "packaging/xhtmlpage.h"

#include <QString>

namespace pellomar {

// The page's body as Markdown, blocks apart by blank lines and ending in a line end (empty
// for a page without text). Text is escaped so that it reads back as it stands, template
// braces of Hugo and Hexo included; what `WriteXhtmlBody` drops is dropped here too.
QString MarkdownBody(const QString& html, const PageReferences& references);

} // namespace pellomar

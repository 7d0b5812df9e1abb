// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a saved page, tag soup as the services served it, through libxml2's HTML parser:
// what the exports that rewrite pages (EPUB, Markdown) agree on about its elements.
#pragma once

#include <QHash>
#include <QString>
#include <memory>

struct _xmlDoc;
struct _xmlNode;

namespace pellomar {

using HtmlDocument = std::unique_ptr<_xmlDoc, void (*)(_xmlDoc*)>;

// A page already decoded, read leniently by libxml2's HTML parser (no network, no second
// decoding by a charset its meta tags name, no depth limit); null when libxml2 gives up.
HtmlDocument ParseHtml(const QString& html);

// The page's body element; null when it has none.
const _xmlNode* FindBody(const _xmlNode* node);

// A reference that leaves the disk: one with a scheme (http:, file:, data:, ...) or starting
// with "//".
bool IsRemoteReference(const QString& reference);

// The element's name in lower case, old names (font, center, strike, ...) under the one
// they have today.
QString ElementName(const _xmlNode* node);
// The attribute's value, letter case of its name aside; empty when it is missing.
QString AttributeOf(const _xmlNode* node, const char* name);
// A text node of spaces, tabs and line ends only.
bool IsBlankText(const _xmlNode* text);

// Elements gone with everything inside them: scripts, styles, frames, forms' controls,
// media, the head.
bool IsDroppedElement(const QString& name);
bool IsPhrasingElement(const QString& name);
// Blocks whose content is phrasing only: p, h1-h6, pre.
bool IsPhrasingBlock(const QString& name);
bool IsBlockElement(const QString& name);
// Whether a block stands somewhere inside the element, dropped elements aside. `known`
// keeps the answers for deep pages, where asking at every level would take quadratic time.
bool HasBlock(const _xmlNode* node, QHash<const _xmlNode*, bool>* known = nullptr);

} // namespace pellomar

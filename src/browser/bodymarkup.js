// SPDX-License-Identifier: GPL-3.0-or-later
// Body.OuterHtml as the old embedded browser wrote it; the list readers cut at markers
// in that style, and Chromium's own outerHTML looks different:
// - tag names in upper case; attributes in source order, their names in lower case;
// - a value that is one plain word is written bare (class=item-title, title=阅读全文);
//   any other value, the empty one included, is quoted ("http://x/1.html", "a b", "");
// - a line break before the start tag of every block element, none anywhere else;
// - void elements (BR, IMG, INPUT, ...) without an end tag;
// - & < > and the no-break space written as entities (in values & and " as well);
// - whitespace-only text between elements dropped, other text trimmed and its runs of
//   white space made one blank, so the markup is the same however the source was laid
//   out (PRE and TEXTAREA keep theirs; SCRIPT and STYLE are written as they stand);
// - lines separated by CR LF.
// A body whose markup would pass 16 million characters reads as empty: no list page comes
// near that, and a hostile one must not make us carry hundreds of megabytes.
(function () {
    const block = new Set(['ADDRESS', 'ARTICLE', 'ASIDE', 'BLOCKQUOTE', 'CAPTION', 'CENTER',
        'DD', 'DIR', 'DIV', 'DL', 'DT', 'FIELDSET', 'FIGCAPTION', 'FIGURE', 'FOOTER', 'FORM',
        'H1', 'H2', 'H3', 'H4', 'H5', 'H6', 'HEADER', 'HR', 'LI', 'MAIN', 'MENU', 'NAV', 'OL',
        'P', 'PRE', 'SECTION', 'TABLE', 'TBODY', 'TD', 'TFOOT', 'TH', 'THEAD', 'TR', 'UL']);
    const empty = new Set(['AREA', 'BASE', 'BR', 'COL', 'EMBED', 'HR', 'IMG', 'INPUT',
        'LINK', 'META', 'PARAM', 'SOURCE', 'TRACK', 'WBR']);
    const verbatim = new Set(['SCRIPT', 'STYLE']);
    const preformatted = new Set(['PRE', 'TEXTAREA']);
    // \s would take the no-break space too, which pages use as a character of their own.
    const plainWord = /^[^ \t\n\f\r"'`=<>\/:\u00a0]+$/;
    const out = [];
    const limit = 16 * 1024 * 1024;
    let size = 0;
    const tooLarge = {};

    function put(piece) {
        size += piece.length;
        if (size > limit)
            throw tooLarge;
        out.push(piece);
    }

    function escapeText(text) {
        return text.replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;')
            .replace(/\u00a0/g, '&nbsp;');
    }

    function escapeValue(value) {
        return value.replace(/&/g, '&amp;').replace(/"/g, '&quot;').replace(/\u00a0/g, '&nbsp;');
    }

    function attribute(a) {
        const value = escapeValue(a.value);
        return ' ' + a.name + '=' + (plainWord.test(a.value) ? value : '"' + value + '"');
    }

    function text(data, keepSpace) {
        if (!keepSpace)
            data = data.replace(/[ \t\n\f\r]+/g, ' ').replace(/^ | $/g, '');
        if (data)
            put(escapeText(data));
    }

    function children(parent, keepSpace) {
        for (let node = parent.firstChild; node; node = node.nextSibling) {
            if (node.nodeType === Node.ELEMENT_NODE)
                element(node, keepSpace);
            else if (node.nodeType === Node.TEXT_NODE)
                text(node.data, keepSpace);
            else if (node.nodeType === Node.COMMENT_NODE)
                put('<!--' + node.data + '-->');
        }
    }

    function element(e, keepSpace) {
        const tag = e.tagName.toUpperCase();
        if (block.has(tag) && out.length)
            put('\n');
        put('<' + tag + Array.from(e.attributes, attribute).join('') + '>');
        if (empty.has(tag))
            return;
        if (verbatim.has(tag))
            put(e.textContent);
        else
            children(tag === 'TEMPLATE' ? e.content : e, keepSpace || preformatted.has(tag));
        put('</' + tag + '>');
    }

    if (!document.body)
        return '';
    try {
        element(document.body, false);
    } catch (error) {
        if (error === tooLarge)
            return '';
        throw error;
    }
    return out.join('').replace(/\r?\n/g, '\r\n');
})

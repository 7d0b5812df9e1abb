// SPDX-License-Identifier: GPL-3.0-or-later
// The elements of `all` (every element, in document order) named tagName, or all of them
// when it is empty, as rows [index in `all`, tag name, class, onclick, innerText].
(function (tagName) {
    const all = document.getElementsByTagName('*');
    const rows = [];
    for (let i = 0; i < all.length; ++i) {
        const e = all[i];
        const tag = e.tagName.toUpperCase();
        if (tagName && tag !== tagName)
            continue;
        const text = typeof e.innerText === 'string' ? e.innerText : e.textContent;
        rows.push([i, tag, e.getAttribute('class') || '', e.getAttribute('onclick') || '',
            text || '']);
    }
    return rows;
})

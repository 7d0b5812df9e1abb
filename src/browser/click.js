// SPDX-License-Identifier: GPL-3.0-or-later
// Clicks element index of `all` when it is still the element named tagName there.
(function (index, tagName) {
    const e = document.getElementsByTagName('*')[index];
    if (!e || e.tagName.toUpperCase() !== tagName)
        return false;
    if (typeof e.click === 'function')
        e.click();
    else
        e.dispatchEvent(new MouseEvent('click', {bubbles: true, cancelable: true}));
    return true;
})

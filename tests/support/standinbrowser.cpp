// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/standinbrowser.h"

#include "core/servicekind.h"

namespace pellomar::test {

QString StandInListMarkup(ServiceKind kind, const QString& account, int count) {
    QString markup = QStringLiteral("<DIV id=list>");
    for (int i = 1; i <= count; ++i) {
        const QString n = QString::number(1000 + i);
        if (kind == kSohu) {
            markup += u"\r\n<DIV class=item-title>\r\n<H3>2011-08-21&nbsp;<A href=\"http://" +
                      account + u".blog.sohu.com/" + n + u".html\" target=_blank>" + account + n +
                      u"</A></H3>";
        } else {
            const QString address = u"http://" + account + u".blog.163.com/blog/static/" + n + u'/';
            markup += u"\r\n<H3><A href=\"" + address + u"\" target=_blank>" + account + n +
                      u"</A><SPAN class=fc07> </SPAN><A title=阅读全文 href=\"" + address +
                      u"\" target=_blank>阅读全文</A></H3>\r\n<DIV><SPAN>2011-08-21 "
                      u"10:20</SPAN><SPAN class=tl>阅读(7)</SPAN></DIV>";
        }
    }
    if (kind == kSohu)
        return markup + u"\r\n<DIV class=content-bottom></DIV></DIV>";
    return markup +
           u"\r\n<DIV><SPAN class=\"fc03 bgc9 bdc0\">上一页</SPAN><SPAN class=\"fc03 bgc9 "
           u"bdc0 js-bgc9-hover\">1</SPAN><SPAN class=\"fc03 bgc9 bdc0 "
           u"js-bgc9-hover\">2</SPAN><SPAN class=\"fc03 bgc9 bdc0\">下一页</SPAN></DIV></DIV>";
}

} // namespace pellomar::test

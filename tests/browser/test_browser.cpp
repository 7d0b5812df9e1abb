// SPDX-License-Identifier: GPL-3.0-or-later
#include "browsertest.h"
#include "platform/textstream.h"

#include <QCoro/QCoroTimer>
#include <cstdio>

namespace pellomar::test {
namespace {

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;

using BrowserStart = BrowserTest;
using BodyMarkup = BrowserTest;
using ScriptBuiltPage = BrowserTest;
using ElementWalk = BrowserTest;
using TimeLimits = BrowserTest;
using SilentMode = BrowserTest;

// First in the file, so that a run of the whole file measures Chromium's own start too.
TEST_F(BrowserStart, BlankPageLoadsAndIsReportedComplete) {
    browser->Navigate(QStringLiteral("about:blank"));
    EXPECT_TRUE(browser->Busy());
    ASSERT_TRUE(RunTask(qCoro(browser.get(), &BrowserView::documentComplete, 30s)).value_or(false));
    EXPECT_FALSE(browser->Busy());
    std::printf("started and loaded about:blank in %lld ms\n", sinceConstruction.elapsed());
}

// A Sohu list item and a NetEase one, in GBK, laid out with line breaks and indents.
const char kReaderMarkers[] = R"(<html><body>
  <div class="content-bottom">
    <div class="item-title">
      <h3>2008-05-01&nbsp; <a href="http://x.blog.sohu.com/123.html" target="_blank">标题</a></h3>
    </div>
  </div>
  <div><a href="#" target="_blank">网易标题</a> <span class="fc03">x</span>
    <a title="阅读全文" href="http://x.blog.163.com/blog/static/1234/" target="_blank">阅读全文</a></div>
  <div><span>2009-01-02</span>
       <span class="tl">12:00</span></div>
</body></html>)";

TEST_F(BodyMarkup, WritesTheMarkersTheReadersCutAt) {
    ASSERT_TRUE(Load(QStringLiteral("http://markers.test/list.html"),
                     EncodeCp936(QString::fromUtf8(kReaderMarkers)), "text/html; charset=gb2312"));
    const QString markup = Markup();
    for (const char* marker :
         {"<DIV class=content-bottom>", "\r\n<DIV class=item-title>\r\n<H3>2008-05-01&nbsp;<A ",
          "<A href=\"http://x.blog.sohu.com/123.html\" target=_blank>标题</A>",
          "target=_blank>网易标题</A><SPAN class=fc03>",
          "title=阅读全文 href=\"http://x.blog.163.com/blog/static/1234/\" target=_blank>",
          "<SPAN>2009-01-02</SPAN><SPAN class=tl>"})
        EXPECT_TRUE(markup.contains(QString::fromUtf8(marker))) << marker << "\n"
                                                                << markup.toStdString();
}

TEST_F(BodyMarkup, IsTheSameHoweverTheSourceIsLaidOut) {
    const QByteArray compact =
        R"(<body class="a b"><div id=x><p>1 &lt; 2 &amp;&nbsp;<br>two<img src="/p.gif" alt=""></p><ul><li>one</li></ul><pre> a
 b</pre></div></body>)";
    const QByteArray spread = R"(<body class="a b">
  <div id=x> <p>
      1  &lt;   2 &amp;&nbsp;<br>
      two  <img src="/p.gif" alt="">  </p>
    <ul> <li>one</li>
    </ul><pre> a
 b</pre>
  </div>
</body>)";
    const QString expected = QStringLiteral("<BODY class=\"a b\">\r\n<DIV id=x>\r\n<P>1 &lt; 2 "
                                            "&amp;&nbsp;<BR>two<IMG src=\"/p.gif\" alt=\"\"></P>"
                                            "\r\n<UL>\r\n<LI>one</LI></UL>\r\n<PRE> a\r\n b</PRE>"
                                            "</DIV></BODY>");
    ASSERT_TRUE(Load(QStringLiteral("http://layout.test/compact.html"), compact));
    EXPECT_EQ(Markup(), expected);
    ASSERT_TRUE(Load(QStringLiteral("http://layout.test/spread.html"), spread));
    EXPECT_EQ(Markup(), expected);
}

// The list appears some time after the load, as on the services' own pages.
const char kLateList[] = R"(<body><div id=list>正在加载日志数据</div><script>
setTimeout(function () {
  document.getElementById('list').innerHTML = '<div class="item-title">built</div>';
}, 500);
</script></body>)";

QCoro::Task<QString> MarkupOnceBuilt(WebBrowserView& browser) {
    QString markup;
    for (int tick = 0; tick < 50 && !markup.contains(u"<DIV class=item-title>"); ++tick) {
        co_await QCoro::sleepFor(100ms);
        markup = co_await browser.BodyOuterHtml();
    }
    co_return markup;
}

TEST_F(ScriptBuiltPage, IsReadAsItsScriptsLeftIt) {
    const QString address = QStringLiteral("http://late.test/list.html");
    ASSERT_TRUE(Load(address, kLateList));
    EXPECT_EQ(browserServer->RequestCount(address), 1)
        << "the page came through the loopback proxy";
    EXPECT_TRUE(Markup().contains(QStringLiteral("正在加载日志数据")));
    const QString built = RunTask(MarkupOnceBuilt(*browser));
    EXPECT_TRUE(built.contains(QStringLiteral("<DIV class=item-title>built</DIV>")))
        << built.toStdString();
    EXPECT_FALSE(built.contains(QStringLiteral("正在加载日志数据")));
}

// Each onclick writes its name into the page, where the markup shows which one ran.
const char kPagingBar[] = R"(<body><div id=clicked></div>
<span class="other" onclick="clicked.textContent='other'">2</span>
<span class="fc03 bgc9 bdc0" onclick="clicked.textContent='one'">1</span>
<span class="fc03 bgc9 bdc0 js-bgc9-hover" onclick="clicked.textContent='first two'">2</span>
<span class="fc03 bgc9 bdc0" onclick="clicked.textContent='second two'">2</span>
</body>)";

TEST_F(ElementWalk, ClickRunsTheOnclickOfTheFirstMatchInDocumentOrder) {
    ASSERT_TRUE(Load(QStringLiteral("http://walk.test/bar.html"), kPagingBar));
    const QList<BrowserElement> spans = RunTask(browser->Elements(QStringLiteral("span")));
    ASSERT_EQ(spans.size(), 4);
    const BrowserElement& one = spans[1];
    EXPECT_EQ(
        QStringList({one.tagName, one.className, one.onclick, one.innerText}),
        QStringList({u"SPAN"_s, u"fc03 bgc9 bdc0"_s, u"clicked.textContent='one'"_s, u"1"_s}));

    const bool clicked = RunTask(browser->ClickFirst(QStringLiteral("SPAN"), [](const auto& e) {
        return e.className.contains(u"fc03 bgc9 bdc0") && e.innerText == u"2";
    }));
    EXPECT_TRUE(clicked);
    EXPECT_TRUE(Markup().contains(QStringLiteral("<DIV id=clicked>first two</DIV>")));
}

TEST_F(TimeLimits, LoadThatNeverEndsIsStoppedAtTheLimit) {
    browserServer->Stall(QStringLiteral("http://stall.test/list.html"));
    browser->SetTimeLimits(1'000, WebBrowserView::kScriptTimeoutMs);
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(Load(QStringLiteral("http://stall.test/list.html"), {}));
    EXPECT_GE(clock.elapsed(), 900) << "a coarse timer may run 5 % early";
    EXPECT_LT(clock.elapsed(), 3'000);
    EXPECT_FALSE(browser->Busy());
}

TEST_F(TimeLimits, PageWhoseScriptNeverEndsReadsAsEmptyAtTheLimit) {
    browser->SetTimeLimits(1'000, 1'000);
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(Load(QStringLiteral("http://loop.test/list.html"),
                      "<body><div>before</div><script>for (;;) {}</script></body>"));
    EXPECT_EQ(Markup(), QString());
    EXPECT_LT(clock.elapsed(), 4'000);
}

TEST_F(SilentMode, DialogsDoNotHoldThePage) {
    ASSERT_TRUE(Load(QStringLiteral("http://dialogs.test/list.html"), R"(<body><script>
alert('a');
document.write('<div class=after>' + confirm('b') + ' ' + prompt('c', 'd') + '</div>');
</script></body>)"));
    EXPECT_TRUE(Markup().contains(QStringLiteral("<DIV class=after>false null</DIV>")));
}

} // namespace
} // namespace pellomar::test

// SPDX-License-Identifier: GPL-3.0-or-later
// The templates are cut down from pages the service delivered; the lines the list readers
// and the article processing look at keep their exact shape (line breaks included, since
// the readers match line by line).
#include "demo/samplemarkup.h"

#include "services/service.h"

#include <QList>
#include <utility>

namespace pellomar::sample {

namespace {

using Fields = QList<std::pair<const char*, QString>>;

QString Fill(const char* pattern, const Fields& fields) {
    QString text = QString::fromUtf8(pattern);
    for (const auto& [name, value] : fields)
        text.replace(QString::fromLatin1(name), value);
    return text;
}

QString Host() {
    return QString::fromLatin1(hosts::kSinaBlog);
}

QString TransparentGif() {
    return u"http://" + QString::fromLatin1(hosts::kSinaStatic) +
           u"/blog7style/images/common/sg_trans.gif";
}

QString Uid(const SampleBlog& blog) {
    return QString::number(blog.uid);
}

QString CategoryAddress(const SampleBlog& blog, int id) {
    return u"http://" + Host() + u"/s/articlelist_" + Uid(blog) + u'_' + QString::number(id) +
           u"_1.html";
}

constexpr char kHead[] =
    R"(<!DOCTYPE html PUBLIC "-//W3C//DTD XHTML 1.0 Transitional//EN" "http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd">
<html xmlns="http://www.w3.org/1999/xhtml">
<head>
<meta http-equiv="Content-Type" content="text/html; charset=utf-8" />
<title>@PAGETITLE@_@NICK@_新浪博客</title>
<meta name="keywords" content="@PAGETITLE@_@NICK@_新浪博客,@NICK@" />
<meta http-equiv="X-UA-Compatible" content="IE=EmulateIE7" />
<link rel="alternate" type="application/rss+xml" href="http://blog.sina.com.cn/rss/@UID@.xml" title="RSS" />
<link href="http://simg.sinajs.cn/blog7style/css/conf/blog/@CSS@.css" type="text/css" rel="stylesheet" /><style id="tplstyle" type="text/css">@charset "utf-8";@import url("http://simg.sinajs.cn/blog7newtpl/css/8/8_32/t.css");
</style>
</head>
<body>
<!--$sinatopbar-->
<div style="z-index:512;" class="sinatopbar">
			<div class="topbar_main">
				<a id="login_bar_logo_link_350" href="http://blog.sina.com.cn" target="_blank"><img class="topbar_logo" src="http://simg.sinajs.cn/blog7style/images/common/topbar/topbar_logo.gif" width="100" alt="新浪博客"/></a>
			</div>
		</div>
<!--$end sinatopbar-->

<div class="sinabloga" id="sinabloga">
	<div id="sinablogb" class="sinablogb">
 <div id="sinablogHead" class="sinabloghead">
   <div id="headarea" class="headarea">
      <div id="blogTitle" class="blogtoparea">
      <h1 id="blogname" class="blogtitle"><a href="http://blog.sina.com.cn/u/@UID@"><span id="blognamespan">@BLOGTITLE@</span></a></h1>
      <div id="bloglink" class="bloglink"><a href="http://blog.sina.com.cn/u/@UID@">http://blog.sina.com.cn/u/@UID@</a></div>
      </div>
      <div class="blognav" id="blognav">
			  <div id="blognavBg" class="blognavBg"></div> <div class="blognavInfo"> 
		<span><a   href="http://blog.sina.com.cn/u/@UID@">首页</a></span>
      <span><a class="on" href="http://blog.sina.com.cn/s/articlelist_@UID@_0_1.html">博文目录</a></span>
      <span class="last"><a  href="http://blog.sina.com.cn/s/profile_@UID@.html">关于我</a></span></div>
      </div>
    </div>
    </div>
    <!--主题内容开始 -->
    <div class="sinablogbody" id="sinablogbody">
)";

constexpr char kFooter[] = R"(    </div>
   <!--主题内容结束 -->

    <div class="sinablogfooter" id="sinablogfooter"  style="position:relative;">
      <p class="SG_linka"><a href="http://control.blog.sina.com.cn/admin/advice/advice_list.php" target="_blank">新浪BLOG意见反馈留言板</a>　电话：4006900000 提示音后按1键（按当地市话标准计费）　欢迎批评指正</p>
      <p class="SG_linka"><a href="http://corp.sina.com.cn/chn/" target="_blank">新浪简介</a> | <a href="http://corp.sina.com.cn/eng/" target="_blank">About Sina</a> | <a href="http://www.sina.com.cn/contactus.html" target="_blank">联系我们</a></p>
      <p class="copyright SG_linka"> Copyright &copy; 1996 - 2011 SINA Corporation,  All Rights Reserved</p>
      <p class="SG_linka"> 新浪公司 <a href="http://www.sina.com.cn/intro/copyright.shtml" target="_blank">版权所有</a></p>
    </div>
  </div>
</div>
</body>
<script type="text/javascript">
var scope = {
	$uid : "@UID@",
	$PRODUCT_NAME : "blog7",
	$pageid : "@PAGEID@",
	formatInfo:1};
</script>
<script type="text/javascript" src="http://sjs.sinajs.cn/blog7common/js/boot.js"></script>
</html>
)";

// One menu entry; a shown count of -1 leaves out the "<em>" part.
constexpr char kMenuLink[] =
    R"(<li  ><div class="menuCell_main"><span class="SG_dot"><a href="@HREF@"  >@NAME@</a><em>(@COUNT@)</em></span></div> <div class="menuCell_bot"></div></li>)";
constexpr char kMenuCurrentReal[] =
    R"(<li class="current"><div class="menuCell_main"><span class="SG_dot"><strong>@NAME@</strong><em>(@COUNT@)</em></span></div>         <div class="menuCell_bot"></div> </li>)";
constexpr char kMenuCurrentClean[] =
    R"(<li class="current"><div class="menuCell_main"><span class="SG_dot"><strong>@NAME@</strong><em>(@COUNT@)</em></span></div> <div class="menuCell_bot"></div></li>)";

constexpr char kMenuModule[] = R"(	<!--第一列start-->
    <div id="column_1" class="SG_colW21 SG_colFirst"><div id="module_7" class="SG_conn">
  <div class="SG_connHead">
  <span comp_title="博文" class="title">博文</span>
  <span class="edit">
	   </span> 
  </div>
  <div class="SG_connBody">
  			<div class="menuList blog_classList">			
				<ul>@MENU@</ul>  
			  
			  <div class="SG_j_line"></div>
			  			  <ul>
			  			@FAVOURITES@			  
			  </ul>
			</div>
	  </div>
  <div class="SG_connFoot"></div>
</div><div class="SG_conn" id="module_931">
            <div class="SG_connHead">
            <span class="title" comp_title="归档">归档</span>
            <span class="edit"></span>
            </div>
            <div class="SG_connBody">
            	<div class="menuList blog_classList"><ul id="menuList blog_classList"><div><center>内容读取中…</center></div></ul></div>
            </div>
            <div class="SG_connFoot"></div>
 </div>
</div>
	<!--第一列end-->
)";

constexpr char kListTop[] = R"(	<!--第二列start-->
	<div id="column_2" class="SG_colW73"><div id="module_928" class="SG_conn">
            <div class="SG_connHead">
            <span comp_title="@HEADING@<em>(@COUNT@)</em>" class="title">@HEADING@<em>(@COUNT@)</em></span>
                        <span class="edit"> </span>
            </div>
            <div class="SG_connBody">
            	<div class="article_blk">
								<div class="articleList">
			<!-- 列表 START -->
)";

constexpr char kArticleCell[] =
    R"(								<div class="articleCell SG_j_linedot1">
						<p class="atc_main SG_dot">
							<span class="atc_ic_f"></span>
							<span class="atc_title">
															<a title="@TITLE@" target="_blank" href="http://blog.sina.com.cn/s/@LINK@">@SHORT@</a></span> 
														<span class="atc_ic_b">@PICICON@</span>
						</p>
						<p class="atc_info">
													<span class="atc_data" id="count_@ID@"></span>
													<span class="atc_tm SG_txtc">@DATE@</span>
							<span class="atc_set">
																			</span>
						</p>
					</div>
)";

constexpr char kFavouriteCell[] =
    R"(								<li class="SG_j_linedot1">
								<div class="text"><a title="@TITLE@" target="_blank" href="http://blog.sina.com.cn/s/@LINK@">@SHORT@</a></div>
								<div class="SG_txtc">作者：@OWNER@</div>
								<div class="time SG_txtc">@DATE@</div></li>
)";

constexpr char kListBottom[] = R"(						<!-- 列表END -->
			</div>
@PAGER@				</div>
				<div class="SG_connFoot"></div>
            </div>       
          </div></div>
	<!--第二列end-->
)";

constexpr char kArticleTop[] = R"(	<!--第二列start-->
	<div id="column_2" class="SG_colW73">	
<div id="module_920" class="SG_conn">
	<div class="SG_connHead">
	    <span comp_title="正文" class="title">正文</span>
	</div>
    <div class="SG_connBody">
<!--博文正文 begin -->
	<div id="articlebody" class="artical">
		<div class="articalTitle"> 
			<h2 id="t_@ID@" class="titName SG_txta">@TITLE@</h2>
			@IMG2@
					<span class="time SG_txtc">(@DATE@:@SECONDS@)</span><div class="turnBoxzz"><a href="javascript:;" class="SG_aBtn SG_aBtn_ico SG_turn"  action-type="reblog" action-data="{srcBlog:1, blogId:'@ID@'}"><cite><img class="SG_icon SG_icon111" src="http://simg.sinajs.cn/blog7style/images/common/sg_trans.gif" width="15" height="15" align="absmiddle">转载<em class="arrow">▼</em></cite></a></div>		</div>
		<div class="articalTag" id="sina_keyword_ad_area">
			<table>
				<tr>
					<td class="blog_tag">
					<script>
					var $tag='杂谈';
					var $r_quote_bligid='@ID@';
					</script>
											<span class="SG_txtb">标签：</span>
																				<h3><a href="http://uni.sina.com.cn/c.php?t=blog&k=%D4%D3%CC%B8&ts=bpost&stype=tag" target="_blank">杂谈</a></h3>
																</td>
					<td class="blog_class">
@CLASS@										</td>
				</tr>
			</table>
		</div>
						<!-- 正文开始 -->
		<div id="sina_keyword_ad_area2" class="articalContent  ">
			@BODY@							
		</div>
						<!-- 正文结束 -->
		<div class="shareUp">
			<div class="clearit"></div>
		</div>
		<div class="articalInfo">
				阅读<span id="r_@ID@" class="SG_txtb"></span><em class="SG_txtb">┊</em> 
				<a href="#comment">评论</a> <span id="c_@ID@" class="SG_txtb"></span><em class="SG_txtb">┊</em><a href="http://blog.sina.com.cn/main_v5/ria/print.html?blog_id=blog_@ID@" target="_blank">打印</a>
		</div>
		<div class="articalfrontback SG_j_linedot1 clearfix" id="new_nextprev_@ID@">
@NEIGHBOURS@		</div>
	</div>
<!--博文正文 end -->
    </div>
    <div class="SG_connFoot"></div>
</div>
</div>
	<!--第二列end-->
)";

constexpr char kProfileModule[] = R"(	<!--第一列start-->
    <div id="column_1" class="SG_colW21 SG_colFirst"><div class="SG_conn" id="module_901">
    <div class="SG_connHead">
            <span class="title" comp_title="个人资料">个人资料</span>
    </div>
    <div class="SG_connBody">
        <div class="info">
			<div class="info_img" id="comp_901_head"><img src="http://simg.sinajs.cn/blog7style/images/common/sg_trans.gif" real_src ="http://portrait8.sinaimg.cn/@UID@/blog/180" id="comp_901_head_image" width="180" height="180" alt="@NICK@" title="@NICK@" /></div>
		        <span class="SG_txtb"><strong id="ownernick">@NICK@</strong></span>
        </div>
    </div>
    <div class="SG_connFoot"></div>
</div>
</div>
	<!--第一列end-->
)";

constexpr char kPager[] = R"(						<div class="SG_page">
						<ul class="SG_pages">
							@ITEMS@&nbsp&nbsp<span style='color:#888888;'>共@COUNT@页</span>						</ul>
					</div>
)";

QString ShortTitle(const QString& title) {
    // The list shows long titles cut, with an ellipsis; the title attribute keeps them.
    constexpr int kShown = 16;
    if (title.size() <= kShown)
        return EscapeHtml(title);
    return EscapeHtml(title.left(kShown - 1)) + u'…';
}

QString MenuEntry(const char* pattern, const QString& href, const QString& name, int count) {
    return Fill(pattern, {{"@HREF@", href}, {"@NAME@", name}, {"@COUNT@", QString::number(count)}});
}

QString Menu(const SampleBlog& blog, const ListPageView& view) {
    const char* current = blog.menuShape == MenuShape::Real ? kMenuCurrentReal : kMenuCurrentClean;
    const bool allCurrent = view.kind == ListPageView::Kind::AllArticles;
    QString menu = MenuEntry(allCurrent ? current : kMenuLink, CategoryAddress(blog, 0),
                             QStringLiteral("全部博文"), int(blog.articles.size()));
    for (const SampleCategory& category : blog.categories) {
        const bool isCurrent = view.kind == ListPageView::Kind::Category && view.category &&
                               view.category->id == category.id;
        menu += MenuEntry(isCurrent ? current : kMenuLink, CategoryAddress(blog, category.id),
                          EscapeHtml(category.name), view.categoryCounts.value(category.id));
    }
    return menu;
}

QString Pager(const QString& pageOneAddress, int page, int pageCount) {
    if (pageCount <= 1)
        return {};
    const QString stem = pageOneAddress.left(pageOneAddress.size() - 6);
    auto address = [&](int k) -> QString { return stem + QString::number(k) + u".html"; };
    QString items;
    if (page > 1)
        items += u"<li class=\"SG_pgprev\"><a href=\"" + address(page - 1) +
                 u"\" title=\"跳转至第 " + QString::number(page - 1) +
                 u" 页\">&lt;&nbsp;上一页</a></li>";
    for (int k = 1; k <= pageCount; ++k) {
        if (k == page)
            items += u"<li class=\"SG_pgon\" title=\"当前所在页\">" + QString::number(k) + u"</li>";
        else
            items += u"<li><a href=\"" + address(k) + u"\" title=\"跳转至第 " + QString::number(k) +
                     u" 页\">" + QString::number(k) + u"</a></li>";
    }
    if (page < pageCount)
        items += u"<li class=\"SG_pgnext\"><a href=\"" + address(page + 1) +
                 u"\" title=\"跳转至第 " + QString::number(page + 1) +
                 u" 页\">下一页&nbsp;&gt;</a></li>";
    return Fill(kPager, {{"@ITEMS@", items}, {"@COUNT@", QString::number(pageCount)}});
}

QString PageHead(const SampleBlog& blog, const QString& pageTitle, const char* css) {
    return Fill(kHead, {{"@PAGETITLE@", pageTitle},
                        {"@NICK@", EscapeHtml(blog.nick)},
                        {"@UID@", Uid(blog)},
                        {"@BLOGTITLE@", EscapeHtml(blog.title)},
                        {"@CSS@", QString::fromLatin1(css)}});
}

QString PageFoot(const SampleBlog& blog, const char* pageId) {
    return Fill(kFooter, {{"@UID@", Uid(blog)}, {"@PAGEID@", QString::fromLatin1(pageId)}});
}

} // namespace

QString EscapeHtml(const QString& text) {
    QString out = text.toHtmlEscaped();
    out.replace(u' ', QStringLiteral("&nbsp;"));
    return out;
}

QString RenderListPage(const SampleBlog& blog, const ListPageView& view) {
    QString heading;
    int count = 0;
    QString pageOne;
    switch (view.kind) {
    case ListPageView::Kind::AllArticles:
        heading = QStringLiteral("全部博文");
        count = int(blog.articles.size());
        pageOne = FirstPageAddress(blog);
        break;
    case ListPageView::Kind::Category:
        heading = EscapeHtml(view.category->name);
        count = view.categoryCounts.value(view.category->id);
        pageOne = CategoryPageAddress(blog, *view.category, 1);
        break;
    case ListPageView::Kind::Favourites:
        heading = QStringLiteral("博文收藏");
        count = int(blog.favourites.size());
        pageOne = FavouritesPageAddress(blog, 1);
        break;
    }

    const bool favouritesCurrent = view.kind == ListPageView::Kind::Favourites;
    const QString favouritesEntry = MenuEntry(
        favouritesCurrent
            ? (blog.menuShape == MenuShape::Real ? kMenuCurrentReal : kMenuCurrentClean)
            : kMenuLink,
        FavouritesPageAddress(blog, 1), QStringLiteral("博文收藏"), int(blog.favourites.size()));

    QString cells;
    for (const SampleArticle& entry : view.entries) {
        if (favouritesCurrent) {
            cells += Fill(kFavouriteCell, {{"@TITLE@", EscapeHtml(entry.title)},
                                           {"@LINK@", entry.link},
                                           {"@SHORT@", ShortTitle(entry.title)},
                                           {"@OWNER@", u"博主" + entry.id.left(4)},
                                           {"@DATE@", entry.date}});
            continue;
        }
        const QString icon = entry.pictures.isEmpty()
                                 ? QString()
                                 : u"<img class=\"SG_icon SG_icon18\" src=\"" + TransparentGif() +
                                       u"\" width=\"15\" height=\"15\" title=\"此博文包含图片\" "
                                       u"align=\"absmiddle\" />";
        cells += Fill(kArticleCell, {{"@TITLE@", EscapeHtml(entry.title)},
                                     {"@LINK@", entry.link},
                                     {"@SHORT@", ShortTitle(entry.title)},
                                     {"@PICICON@", icon},
                                     {"@ID@", entry.id},
                                     {"@DATE@", entry.date}});
    }

    return PageHead(blog, QStringLiteral("博文"), "articlelist") +
           Fill(kMenuModule, {{"@MENU@", Menu(blog, view)}, {"@FAVOURITES@", favouritesEntry}}) +
           Fill(kListTop, {{"@HEADING@", heading}, {"@COUNT@", QString::number(count)}}) + cells +
           Fill(kListBottom, {{"@PAGER@", Pager(pageOne, view.page, view.pageCount)}}) +
           PageFoot(blog, favouritesCurrent ? "favourites" : "articlelist");
}

QString RenderArticlePage(const SampleBlog& blog, const SampleArticle& article) {
    QString classCell;
    for (const SampleCategory& category : blog.categories) {
        if (category.name != article.category)
            continue;
        classCell = u"										"
                    u"	<span class=\"SG_txtb\">分类：</span>\n"
                    u"						<a target=\"_blank\" href=\"" +
                    CategoryAddress(blog, category.id) + u"\">" + EscapeHtml(category.name) +
                    u"</a>\n";
    }
    const QString img2 =
        article.pictures.isEmpty()
            ? QString()
            : u"<span class=\"img2\"><img width=\"15\" height=\"15\" align=\"absmiddle\" "
              u"title=\"此博文包含图片\" src=\"" +
                  TransparentGif() + u"\" class=\"SG_icon SG_icon18\"/></span>";

    QString neighbours;
    qsizetype index = -1;
    for (qsizetype i = 0; i < blog.articles.size() && index < 0; ++i)
        if (blog.articles[i].link == article.link)
            index = i;
    if (index > 0)
        neighbours += u"							<div><span "
                      u"class=\"SG_txtb\">前一篇：</span><a href=\"http://" +
                      Host() + u"/s/" + blog.articles[index - 1].link + u"\">" +
                      EscapeHtml(blog.articles[index - 1].title) + u"</a></div>\n";
    if (index >= 0 && index + 1 < blog.articles.size())
        neighbours += u"							<div><span "
                      u"class=\"SG_txtb\">后一篇：</span><a href=\"http://" +
                      Host() + u"/s/" + blog.articles[index + 1].link + u"\">" +
                      EscapeHtml(blog.articles[index + 1].title) + u"</a></div>\n";

    const QString seconds =
        QString::number(article.id.back().unicode() % 60).rightJustified(2, u'0');
    QString date = article.date;
    if (date.startsWith(u'('))
        date = date.mid(1, date.size() - 2);
    return RenderArticleFrame(
        blog, EscapeHtml(article.title),
        Fill(kProfileModule, {{"@UID@", Uid(blog)}, {"@NICK@", EscapeHtml(blog.nick)}}) +
            Fill(kArticleTop, {{"@ID@", article.id},
                               {"@TITLE@", EscapeHtml(article.title)},
                               {"@IMG2@", img2},
                               {"@DATE@", date},
                               {"@SECONDS@", seconds},
                               {"@CLASS@", classCell},
                               {"@NEIGHBOURS@", neighbours},
                               {"@BODY@", article.body}}));
}

QString RenderArticleFrame(const SampleBlog& blog, const QString& pageTitle,
                           const QString& columns) {
    return PageHead(blog, pageTitle, "article") + columns + PageFoot(blog, "article");
}

QByteArray PictureBytes(quint32 seed) {
    // A two-colour bitmap of diagonal stripes: big enough to see on a page, about 2 KB, and
    // a format every browser and CHM viewer shows.
    constexpr int kWidth = 160;
    constexpr int kHeight = 100;
    constexpr int kRowBytes = kWidth / 8; // already a multiple of 4
    constexpr int kOffset = 14 + 40 + 8;
    QByteArray bmp;
    const auto put16 = [&bmp](quint32 v) {
        bmp.append(char(v & 0xff)).append(char(v >> 8 & 0xff));
    };
    const auto put32 = [&put16](quint32 v) {
        put16(v & 0xffff);
        put16(v >> 16);
    };
    bmp.append("BM");
    put32(kOffset + kRowBytes * kHeight);
    put32(0);
    put32(kOffset);
    put32(40); // the info header: bottom-up rows, 1 bit per pixel, no compression
    put32(kWidth);
    put32(kHeight);
    put16(1);
    put16(1);
    put32(0);
    put32(kRowBytes * kHeight);
    put32(2835);
    put32(2835);
    put32(2);
    put32(2);
    // Colour 0: light paper; colour 1: the picture's own, kept dark enough to show.
    bmp.append("\xf4\xf1\xea\x00", 4);
    bmp.append(char(seed & 0x7f)).append(char(seed >> 8 & 0x7f)).append(char(seed >> 16 & 0x7f));
    bmp.append('\0');
    const int phase = int(seed >> 24) % 16;
    for (int y = 0; y < kHeight; ++y) {
        for (int byte = 0; byte < kRowBytes; ++byte) {
            quint8 bits = 0;
            for (int bit = 0; bit < 8; ++bit)
                if ((byte * 8 + bit + y + phase) / 16 % 2)
                    bits |= quint8(0x80 >> bit);
            bmp.append(char(bits));
        }
    }
    return bmp;
}

} // namespace pellomar::sample

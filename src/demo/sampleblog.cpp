// SPDX-License-Identifier: GPL-3.0-or-later
#include "demo/sampleblog.h"

#include "demo/samplemarkup.h"
#include "services/service.h"

#include <QDateTime>
#include <QSet>
#include <array>

namespace pellomar::sample {

namespace {

// splitmix64: small, and the same on every platform and Qt version.
class Random {
  public:
    explicit Random(quint64 seed) : m_state(seed) {}
    quint64 Next() {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int Below(int n) { return n <= 0 ? 0 : int(Next() % quint64(n)); }

  private:
    quint64 m_state;
};

constexpr std::array kPlaces{"春日", "午后", "旧城", "雨夜", "山中", "江南", "故乡",
                             "海边", "冬至", "晨光", "秋窗", "小院", "长街", "书房",
                             "月下", "归途", "北国", "茶馆", "渡口", "夏夜"};
constexpr std::array kKinds{"随笔", "杂记", "小记", "札记", "感怀", "偶得",
                            "漫谈", "日记", "散记", "闲话", "见闻", "拾遗"};
constexpr std::array kTails{"写给多年以后的自己", "一个人的慢时光", "那些回不去的日子",
                            "关于远方的几句闲话"};
constexpr std::array kCategoryNames{"读书笔记", "旅行游记", "摄影",     "美食", "电影",
                                    "音乐",     "工作",     "生活点滴", "杂谈", "技术",
                                    "诗词",     "家人",     "往事",     "心情", "转载"};
constexpr std::array kNicks{"青衫客", "半亩方塘", "听雨轩主", "南山石", "木子李"};
constexpr std::array kSentences{"今天的天气很好，窗外的梧桐叶子在风里轻轻地摇。",
                                "翻出一本旧书，扉页上还留着当年写下的几行字。",
                                "傍晚沿着河边走了很久，想起了许多已经模糊的事情。",
                                "朋友说，日子过得快，是因为心里装的东西太多。",
                                "泡一壶茶，听一段老歌，什么也不想，就很好。",
                                "有些路只能一个人走，有些话只能说给自己听。",
                                "街角那家面馆还在，味道却和记忆里不太一样了。",
                                "记下这些零碎的念头，免得以后连它们也忘了。",
                                "雨下了一整夜，早上起来，院子里的花开了两朵。",
                                "火车经过一片麦田，阳光落在上面，金黄一片。"};

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QString UidHex(quint32 uid) {
    return QString::number(uid, 16).rightJustified(8, u'0');
}

QString Base36(quint64 value, int width) {
    return QString::number(value, 36).rightJustified(width, u'0').right(width);
}

QString PictureTag(const QString& articleId, const QString& title, const QString& address,
                   const QString& original, bool blankBeforeEquals) {
    const QString alt = EscapeHtml(title);
    return u"<p><a href=\"http://photo.blog.sina.com.cn/showpic.html#blogid=" + articleId +
           u"&url=" + original + u"\" TARGET=\"_blank\"><img src=\"http://" +
           QString::fromLatin1(hosts::kSinaStatic) + u"/blog7style/images/common/sg_trans.gif\" " +
           (blankBeforeEquals ? u"real_src =\"" : u"real_src=\"") + address + u"\"  ALT=\"" + alt +
           u"\"  TITLE=\"" + alt + u"\" /></A><br />\n<br /></P>\n";
}

// One article (of this blog or, for favourites, of another): id, title, body, pictures.
SampleArticle MakeArticle(Random& random, quint32 ownerUid, quint64 serial, int titleIndex,
                          int pictureCount, int& pictureCounter) {
    SampleArticle article;
    article.id = UidHex(ownerUid) + u"0100" + Base36(serial, 4);
    article.link = u"blog_" + article.id + u".html";

    const int combos = int(kPlaces.size() * kKinds.size());
    const int slot = (titleIndex * 7 + 3) % combos; // 7 is prime to 240: every pair once
    QString title = Text(kPlaces[slot % kPlaces.size()]) + Text(kKinds[slot / kPlaces.size()]);
    if (titleIndex >= combos)
        title += u"（" + QString::number(titleIndex / combos + 1) + u"）";
    if (titleIndex % 5 == 4)
        title += u"——" + Text(kTails[random.Below(int(kTails.size()))]);
    if (titleIndex % 9 == 8)
        title.prepend(QStringLiteral("[转载]"));
    article.title = title;

    QString body;
    const int paragraphs = 2 + random.Below(3);
    for (int p = 0; p < std::max(paragraphs, pictureCount); ++p) {
        if (p < paragraphs) {
            body += QStringLiteral("<p>");
            const int sentences = 1 + random.Below(3);
            for (int s = 0; s < sentences; ++s)
                body += Text(kSentences[random.Below(int(kSentences.size()))]);
            body += QStringLiteral("</P>\n");
        }
        if (p < pictureCount) {
            ++pictureCounter;
            const QString host =
                u"http://s" + QString::number(1 + random.Below(16)) + u".sinaimg.cn/";
            const quint64 key = (quint64(pictureCounter) << 32) | (random.Next() & 0xffffffffu);
            const QString name = UidHex(ownerUid) + u'g' +
                                 QString::number(key, 16).rightJustified(12, u'0').right(12);
            const QString address = host + u"middle/" + name + u"&amp;690";
            article.pictures.append(address);
            body += PictureTag(article.id, title, address, host + u"orignal/" + name,
                               pictureCounter % 2 == 1);
        }
    }
    body += QStringLiteral("<p>&nbsp;<wbr></P>");
    article.body = body;
    return article;
}

QList<QList<SampleArticle>> Chunk(const QList<SampleArticle>& list) {
    QList<QList<SampleArticle>> pages;
    for (qsizetype i = 0; i < list.size(); i += kArticlesPerListPage)
        pages.append(list.mid(i, kArticlesPerListPage));
    if (pages.isEmpty())
        pages.append(QList<SampleArticle>());
    return pages;
}

QString ListAddress(const SampleBlog& blog, int categoryId, int page) {
    return u"http://" + QString::fromLatin1(hosts::kSinaBlog) + u"/s/articlelist_" +
           QString::number(blog.uid) + u'_' + QString::number(categoryId) + u'_' +
           QString::number(page) + u".html";
}

} // namespace

LoopbackServer::Response HtmlResponse(const QString& html) {
    LoopbackServer::Response response;
    response.contentType = "text/html; charset=utf-8";
    response.body = html.toUtf8();
    return response;
}

SampleBlog GenerateSampleBlog(const SampleOptions& options) {
    Random random(options.seed);
    SampleBlog blog;
    blog.uid = options.uid != 0 ? options.uid : quint32(1'000'000'000 + random.Below(900'000'000));
    blog.nick = Text(kNicks[random.Below(int(kNicks.size()))]);
    blog.title = blog.nick + u"的博客";
    blog.menuShape = options.menuShape;

    const int categoryTotal =
        std::max(0, options.categoryCount) + std::max(0, options.emptyCategoryCount);
    const int nameOffset = random.Below(int(kCategoryNames.size()));
    for (int c = 0; c < categoryTotal; ++c) {
        QString name = Text(kCategoryNames[(nameOffset + c) % kCategoryNames.size()]);
        if (c >= int(kCategoryNames.size()))
            name += QString::number(c / kCategoryNames.size() + 1);
        blog.categories.append(SampleCategory{c + 1, name});
    }

    const int count = std::max(0, options.articleCount);
    const int categorised = std::max(0, count - std::max(0, options.uncategorisedCount));
    QDateTime when(QDate(2011, 8, 21), QTime(10, 20), Qt::UTC);
    when = when.addSecs(-3600LL * random.Below(240));
    int pictureCounter = 0;
    for (int i = 0; i < count; ++i) {
        const quint64 serial = 20'000 + quint64(count - 1 - i) * 37 + quint64(random.Below(30));
        const int pictures = i % std::max(1, options.picturedEvery) == 0
                                 ? std::max(0, options.picturesPerArticle)
                                 : 0;
        SampleArticle article = MakeArticle(random, blog.uid, serial, i, pictures, pictureCounter);
        if (i < categorised && options.categoryCount > 0) {
            const int c = i < options.categoryCount ? i : random.Below(options.categoryCount);
            article.category = blog.categories[c].name;
        }
        article.date = when.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
        when = when.addSecs(-60LL * (180 + random.Below(70 * 60)));
        blog.articles.append(article);
    }

    QDateTime saved(QDate(2011, 8, 20), QTime(22, 5), Qt::UTC);
    for (int f = 0; f < std::max(0, options.favouriteCount); ++f) {
        const quint32 owner = quint32(1'000'000'000 + random.Below(900'000'000));
        SampleArticle favourite =
            MakeArticle(random, owner, 1'000 + quint64(random.Below(1'000'000)), 1000 + f * 11,
                        std::max(0, options.picturesPerArticle), pictureCounter);
        favourite.date = u'(' + saved.toString(QStringLiteral("yyyy-MM-dd HH:mm")) + u')';
        saved = saved.addSecs(-60LL * (30 + random.Below(5000)));
        blog.favourites.append(favourite);
    }
    return blog;
}

QList<SampleArticle> CategoryListing(const SampleBlog& blog, const SampleCategory& category) {
    QList<SampleArticle> listing;
    for (const SampleArticle& article : blog.articles)
        if (article.category == category.name)
            listing.append(article);
    return listing;
}

int CategoryCount(const SampleBlog& blog, const SampleCategory& category) {
    return int(CategoryListing(blog, category).size());
}

QString FirstPageAddress(const SampleBlog& blog) {
    return AllArticlesPageAddress(blog, 1);
}

QString AllArticlesPageAddress(const SampleBlog& blog, int page) {
    return ListAddress(blog, 0, page);
}

QString CategoryPageAddress(const SampleBlog& blog, const SampleCategory& category, int page) {
    return ListAddress(blog, category.id, page);
}

QString FavouritesPageAddress(const SampleBlog& blog, int page) {
    return u"http://" + QString::fromLatin1(hosts::kSinaBlog) + u"/s/favourites_" +
           QString::number(blog.uid) + u'_' + QString::number(page) + u".html";
}

QString ArticlePageAddress(const SampleArticle& article) {
    return u"http://" + QString::fromLatin1(hosts::kSinaBlog) + u"/s/" + article.link;
}

QMap<QString, LoopbackServer::Response> SamplePages(const SampleBlog& blog,
                                                    const CategoryListings& listings) {
    QMap<QString, LoopbackServer::Response> pages;

    CategoryListings listed;
    QMap<int, int> counts;
    for (const SampleCategory& category : blog.categories) {
        const auto given = listings.constFind(category.id);
        const QList<SampleArticle> listing =
            given != listings.cend() ? *given : CategoryListing(blog, category);
        QSet<QString> links;
        for (const SampleArticle& article : listing)
            links.insert(article.link);
        listed.insert(category.id, listing);
        counts.insert(category.id, int(links.size()));
    }

    const QList<QList<SampleArticle>> all = Chunk(blog.articles);
    for (int k = 0; k < all.size(); ++k) {
        ListPageView view{
            ListPageView::Kind::AllArticles, nullptr, k + 1, int(all.size()), all[k], counts};
        pages.insert(AllArticlesPageAddress(blog, k + 1), HtmlResponse(RenderListPage(blog, view)));
    }
    for (const SampleCategory& category : blog.categories) {
        const QList<QList<SampleArticle>> chunks = Chunk(listed.value(category.id));
        for (int k = 0; k < chunks.size(); ++k) {
            ListPageView view{ListPageView::Kind::Category, &category, k + 1,
                              int(chunks.size()),           chunks[k], counts};
            pages.insert(CategoryPageAddress(blog, category, k + 1),
                         HtmlResponse(RenderListPage(blog, view)));
        }
    }
    const QList<QList<SampleArticle>> favourites = Chunk(blog.favourites);
    for (int k = 0; k < favourites.size(); ++k) {
        ListPageView view{ListPageView::Kind::Favourites, nullptr,       k + 1,
                          int(favourites.size()),         favourites[k], counts};
        const LoopbackServer::Response page = HtmlResponse(RenderListPage(blog, view));
        const QString address = FavouritesPageAddress(blog, k + 1);
        pages.insert(address, page);
        // The service reads the page number as a number, so "_01" is page 1 as well.
        pages.insert(address.left(address.lastIndexOf(u'_') + 1) + u'0' + QString::number(k + 1) +
                         u".html",
                     page);
    }

    quint32 pictureSeed = blog.uid;
    auto addArticle = [&](const SampleArticle& article) {
        pages.insert(ArticlePageAddress(article), HtmlResponse(RenderArticlePage(blog, article)));
        for (const QString& picture : article.pictures) {
            LoopbackServer::Response image;
            image.contentType = "image/bmp";
            image.body = PictureBytes(pictureSeed = pictureSeed * 1664525u + 1013904223u);
            pages.insert(picture, image);
        }
    };
    for (const SampleArticle& article : blog.articles)
        addArticle(article);
    for (const SampleArticle& favourite : blog.favourites)
        addArticle(favourite);
    return pages;
}

void ServeSampleBlog(const SampleBlog& blog, LoopbackServer& server,
                     const CategoryListings& listings) {
    const QMap<QString, LoopbackServer::Response> pages = SamplePages(blog, listings);
    for (auto it = pages.cbegin(); it != pages.cend(); ++it)
        server.SetResponse(it.key(), it.value());
}

} // namespace pellomar::sample

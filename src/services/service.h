// SPDX-License-Identifier: GPL-3.0-or-later
// What the engine knows about one blog service. Each service fills one Service in its own
// file (sina.cpp, baidu.cpp, ...); services.cpp lists them by ServiceKind. Nothing outside
// that list decides anything by the service's number.
#pragma once

#include "core/servicekind.h"
#include "platform/pacer.h"

#include <QByteArray>
#include <QList>
#include <QNetworkCookie>
#include <QString>
#include <memory>
#include <optional>

namespace pellomar {

class AppState;
class ListReader;
class Network;

// The services' public hosts.
namespace hosts {
inline constexpr char kSinaBlog[] = "blog.sina.com.cn";
inline constexpr char kSinaStatic[] = "simg.sinajs.cn";
inline constexpr char kBaiduSpace[] = "hi.baidu.com";
inline constexpr char kHexunDomain[] = "blog.hexun.com";
inline constexpr char kNetEaseDomain[] = "blog.163.com";
inline constexpr char kSohuDomain[] = "blog.sohu.com";
} // namespace hosts

struct SiteProfile {
    QString Charset;
    QString BodyStart;
    QString BodyEnd;
    QString GoneMarkerA;
    QString GoneMarkerB;
    QString GoneMarkerC;
    std::optional<QString> ListReadyMarker;
    std::optional<QString> ListBusyMarker;
};

// How a list shows a title it cut. Such a title, or an empty one, is replaced by the one
// the article's page shows when it is downloaded.
inline const QString kCutTitleMark = QStringLiteral("…");
inline bool IsCutTitle(const QString& title) {
    return title.isEmpty() || title.endsWith(kCutTitleMark);
}

// A page the service serves instead of the article or list: a login wall, a check that the
// reader is a person. Recognised only on pages without the body markers.
struct PageWall {
    QString text;
    // Begins the line that names the row ("需要登录才能看：").
    QString reason;
    // The service asks us to slow down: the page is asked again after a pause.
    bool slowDown = false;
};

struct Service {
    // The command line's name for it ("sina").
    QString cliName;
    SiteProfile profile;

    // The address of an article's page from the task name and the row's link cell; empty
    // when the link cannot give one.
    QString (*articleAddress)(const QString& taskName, const QString& link) = nullptr;
    // The blog address built from the name as typed; nullptr where the user types it.
    QString (*blogAddress)(const QString& name) = nullptr;
    // The name names the task folder only and is cleaned as typed (else: an account name).
    bool cleansTaskName = false;
    bool picturesByDefault = true;

    // The new-task dialog's example name (and address, where the user types one).
    QString exampleName;
    QString exampleAddress;

    // Prepares an article body before its <img> tags are read; nullptr: the service's
    // pictures are left where they are.
    QString (*preparePictures)(QString body) = nullptr;
    // How the placeholder page of a gone article is signed.
    QString goneSignature;

    // Rewrites the https:// and protocol-relative forms of the service's own addresses to
    // the http:// form the markers and file names are made of; nullptr: none.
    QString (*sameAddresses)(QString text) = nullptr;
    // The article's own title as its page shows it (undecoded), empty when not found;
    // nullptr: the list's title stands.
    QString (*pageTitle)(const QString& page) = nullptr;
    QList<PageWall> walls;
    // How fast its hosts may be asked (see pacer.h).
    QList<PaceRule> pace;
    // The Referer its picture hosts want; empty: the article's own address.
    QByteArray pictureReferer;
    // The cookie its login sets; empty: any cookie of its sites counts as a login.
    QByteArray loginCookie;
    // The full-size address of a picture; empty where there is none. nullptr: none ever.
    QString (*originalPicture)(const QString& address) = nullptr;
    // Where its readers log in with the embedded browser; empty: nowhere.
    QString loginAddress;

    // A fresh list reader for one discovery run; nullptr: none for this service.
    std::unique_ptr<ListReader> (*makeReader)() = nullptr;
    // The list is built by page scripts and read through the embedded browser, which the
    // front ends then start (the command line only for such a service).
    bool needsBrowser = false;
};

// The picture rule of services whose pages show their pictures as plain <img> tags.
QString PicturesAsTheyStand(QString body);

// What a login wall means: with no login for the address, that one is needed; with one,
// that it gives no access.
QString LoginProblem(Network& network, ServiceKind kind, const QString& address);

// Whether the engine holds the service's login for the address: its login cookie, where
// the service names one (a login page sets visitor cookies before anyone logs in).
bool HasLogin(Network& network, ServiceKind kind, const QString& address);

// The wall the page is, if it lacks the body markers and the service knows it.
const PageWall* FindWall(ServiceKind kind, const QString& page);

// The service's own addresses in the page in their http:// form.
QString SameAddresses(ServiceKind kind, QString page);

// Every service's pace, for the process's one pacer.
void AddServicePace(Pacer& pacer);

// A cookie of a service's site, one a login may bring to the engine; other sites' cookies
// are none of the services' business.
bool IsServiceCookie(const QNetworkCookie& cookie);

// The service of a number; nullptr for a number that names none.
const Service* FindService(ServiceKind kind);

// The profile of a known service; nullptr for any other value.
const SiteProfile* Profile(ServiceKind kind);

// The address of an article's page from its link cell; empty for an unknown service or
// a link the service's rule cannot use.
QString ArticleAddress(ServiceKind kind, const QString& taskName, const QString& link);

// The address of the article in a row of the current task.
QString ArticleAddress(const AppState& state, int row);

// The five homes, each defined in its own file.
const Service& SinaService();
const Service& BaiduService();
const Service& HexunService();
const Service& NetEaseService();
const Service& SohuService();

} // namespace pellomar

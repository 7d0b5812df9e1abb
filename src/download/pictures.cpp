// SPDX-License-Identifier: GPL-3.0-or-later
#include "download/pictures.h"

#include "core/appstate.h"
#include "core/filenames.h"
#include "core/textfunctions.h"
#include "download/downloadlog.h"
#include "download/downloadsteps.h"
#include "platform/httpclient.h"
#include "platform/regex.h"
#include "services/service.h"

#include <QFileInfo>

namespace pellomar {

namespace {

const QString kShareButton = QStringLiteral("hi/apps/share/share_btn.gif");

// A tag without a quoted src gives CutBetween's not-found form, which is no address.
bool IsAddress(const QString& address) {
    return !address.isEmpty() && !address.startsWith(kNotFoundPrefix);
}

bool PassesQueueTest(const QString& address, const QString& localPath) {
    return IsAddress(address) && address.contains(u"http") && IsWebAddress(address) &&
           !localPath.isEmpty() && !IsOnDisk(localPath) && address.size() > 15 &&
           !address.contains(kShareButton);
}

} // namespace

QString MatchTags(const QString& pattern, const QString& subject) {
    QString lines = subject;
    lines.replace(u'>', QStringLiteral(">\r\n"));
    return MatchAll(pattern, lines);
}

QString LocalisePictures(AppState& state, QString body, int row) {
    body.replace(QStringLiteral("SRC="), QStringLiteral("src="));
    body.replace(QStringLiteral(" src ="), QStringLiteral(" src="));

    const Service* service = FindService(state.serviceKind);
    if (!service || !service->preparePictures)
        return body;
    body = service->preparePictures(std::move(body));

    const QString tags = MatchTags(QStringLiteral("<img .*>"), body);
    if (tags.isEmpty())
        return body;

    const TaskPaths paths = state.Paths();
    const QString category = state.table().Cell(row, ArticleTable::Category);
    QStringList pieces = tags.split(kCrLf);
    pieces.removeLast();
    QList<std::pair<QString, QString>> rewrites;
    for (const QString& tag : pieces) {
        const QString address = CutBetween(tag, QStringLiteral("src=\""), QStringLiteral("\""), 5);
        const QString localName = TaskPaths::PictureName(address);
        const QString localPath = paths.PictureFile(category, address);
        if (PassesQueueTest(address, localPath)) {
            state.statusLog().Add(QString::number(row) + kCrLf + address);
            AppendLog(state.programFolder(), u"添加到列表:" + address);
        } else if (!address.contains(kShareButton)) {
            AppendLog(state.programFolder(), u"条件限制未添加到列表:" + address);
        }
        if (IsAddress(address))
            rewrites.append({address, localName});
    }
    // One pass for all tags: a replace per tag made a page of many pictures take minutes.
    return ReplaceEach(body, rewrites);
}

} // namespace pellomar

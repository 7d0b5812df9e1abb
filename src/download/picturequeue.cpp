// SPDX-License-Identifier: GPL-3.0-or-later
#include "download/picturequeue.h"

#include "core/appstate.h"
#include "core/filenames.h"
#include "download/downloadlog.h"
#include "download/downloadsteps.h"
#include "download/pictures.h"
#include "download/wholepicture.h"
#include "platform/httpclient.h"
#include "platform/textstream.h"
#include "services/service.h"

#include <QUrl>
#include <algorithm>

namespace pellomar {

namespace {

// A body of 0 to 3 bytes counts as empty.
constexpr qsizetype kMinPictureBytes = 4;

bool IsText(const HttpClient& client) {
    return client.ContentType().startsWith("text/");
}

bool IsPicture(const HttpClient& client) {
    return IsSuccessStatus(client.Status()) && client.ResponseBody().size() >= kMinPictureBytes &&
           !IsText(client);
}

} // namespace

bool PictureQueue::Ask(HttpClient& client, const QString& entry, bool original) const {
    const qsizetype split = entry.indexOf(u"\r\n");
    const int row = entry.left(split).toInt();
    const QString listed = entry.mid(split + 2);
    const Service* service = FindService(m_state.serviceKind);
    const QString full = original && service && service->originalPicture
                             ? service->originalPicture(listed)
                             : QString();
    client.Open(QStringLiteral("GET"), full.isEmpty() ? listed : full, true);
    // Picture hosts refuse requests that do not come from the service's own pages.
    const QByteArray referer = service && !service->pictureReferer.isEmpty()
                                   ? service->pictureReferer
                                   : ArticleAddress(m_state, row).toUtf8();
    if (!referer.isEmpty())
        client.SetHeader("Referer", referer);
    client.Send();
    return !full.isEmpty();
}

PictureQueue::PictureQueue(AppState& state, QObject* parent) : QObject(parent), m_state(state) {
    connect(&m_state, &AppState::timer2Step, this, &PictureQueue::Step);
    m_state.pictureQueue = this;
}

PictureQueue::~PictureQueue() {
    if (m_state.pictureQueue == this)
        m_state.pictureQueue = nullptr;
}

void PictureQueue::Step() {
    StatusLog& queue = m_state.statusLog();
    const auto frontIsPicture = [&queue] {
        return queue.Count() > 0 && IsPictureEntry(queue.Line(0));
    };
    if (!frontIsPicture() && Idle())
        return;

    const TaskPaths paths = m_state.Paths();
    for (int s = 0; s < int(m_slots.size()); ++s) {
        HttpClient* client = m_state.fetchPool(s);
        if (!client)
            continue;
        Slot& slot = m_slots[s];
        const auto entryText = [&slot] {
            return QString(slot.entry).replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        };
        const auto localPath = [&] {
            const qsizetype split = slot.entry.indexOf(u"\r\n");
            const int row = slot.entry.left(split).toInt();
            return paths.PictureFile(m_state.table().Cell(row, ArticleTable::Category),
                                     slot.entry.mid(split + 2));
        };
        const auto address = [&slot] { return slot.entry.mid(slot.entry.indexOf(u"\r\n") + 2); };
        const auto log = [&](const QString& message) {
            AppendLog(m_state.programFolder(), message);
        };

        // The time-out comes first: a request found complete on its 100th tick is dropped.
        if (!slot.entry.isEmpty() && ++slot.ticks >= kTimeoutTicks) {
            slot.ticks = 0;
            log(u"超时放弃:" + entryText() + u" 到本地:" + localPath());
            m_failed.append(address());
            client->abort();
            slot.entry.clear();
        }

        // Waiting for its turn at the service uses up none of its time.
        if (client->Held())
            slot.ticks = 0;

        if (!slot.entry.isEmpty() && client->ReadyState() == HttpClient::Complete &&
            slot.original && !IsPicture(*client)) {
            // No full-size picture: the size the page shows will do.
            slot.original = false;
            slot.ticks = 0;
            Ask(*client, slot.entry, false);
        }

        if (!slot.entry.isEmpty() && client->ReadyState() == HttpClient::Complete) {
            slot.ticks = 0;
            const QByteArray body = client->ResponseBody();
            const int status = client->Status();
            const QString path = localPath();
            bool saved = false;
            if (status != 0 && !IsSuccessStatus(status)) {
                // An error page is no picture.
                log(u"下载失败！HTTP状态" + QString::number(status) + u' ' + entryText() +
                    u" 到本地:" + path);
            } else if (body.size() < kMinPictureBytes) {
                log(u"下载失败！长度为0 " + entryText() + u" 到本地:" + path);
            } else if (IsText(*client)) {
                // A host that refuses us answers with a page in the picture's place.
                log(u"下载失败！不是图片(" + QString::fromLatin1(client->ContentType()) + u") " +
                    entryText() + u" 到本地:" + path);
            } else if (!IsWholePicture(body)) {
                log(u"下载失败！图片不完整(" + QString::number(body.size()) + u"字节) " +
                    entryText() + u" 到本地:" + path);
            } else if (path.isEmpty()) {
                log(u"下载失败！无法写入 " + entryText() + u" 到本地:" + path);
            } else if (WriteResult written = WriteFileAtomically(path, body); !written) {
                log(u"下载失败！无法写入 " + entryText() + u" 到本地:" + path);
                if (m_writeError.isEmpty())
                    m_writeError = written.error;
            } else {
                saved = true;
                log(u"下载成功" + QString::number(body.size()) + u"字节 " + entryText() +
                    u" 到本地:" + path);
                ++m_saved;
            }
            if (!saved)
                m_failed.append(address());
            client->abort();
            slot.entry.clear();
        }

        // A page from the internet must not make us probe the user's own machine or
        // network, unless the blog itself lives there.
        while (slot.entry.isEmpty() && frontIsPicture()) {
            slot.entry = queue.TakeFirst();
            slot.ticks = 0;
            if (!IsLocalNetwork(QUrl(address())) || IsLocalNetwork(QUrl(m_state.blogAddress))) {
                slot.original = Ask(*client, slot.entry, m_state.originalPictures);
                break;
            }
            log(u"拒绝访问本机或局域网的地址 " + entryText());
            m_failed.append(address());
            slot.entry.clear();
        }
    }
}

void PictureQueue::Reset() {
    // Requests of an earlier run are abandoned at once: their entries are gone.
    for (int s = 0; s < int(m_slots.size()); ++s) {
        if (!m_slots[s].entry.isEmpty())
            if (HttpClient* client = m_state.fetchPool(s))
                client->abort();
        m_slots[s] = Slot{};
    }
    m_saved = 0;
    m_failed.clear();
    m_writeError.clear();
}

bool PictureQueue::Idle() const {
    for (const Slot& slot : m_slots)
        if (!slot.entry.isEmpty())
            return false;
    return true;
}

int PictureQueue::InFlight() const {
    return int(std::count_if(m_slots.begin(), m_slots.end(),
                             [](const Slot& slot) { return !slot.entry.isEmpty(); }));
}

} // namespace pellomar

// SPDX-License-Identifier: GPL-3.0-or-later
// The Sohu and NetEase readers on the body markup their browser would show, through the
// discovery driver's entry. The first byte picks the service; the rest is the markup of the
// page the blog opens on and of each page a click opens after it, NUL between them.
#include "core/appstate.h"
#include "discovery/discovery.h"
#include "fuzzsupport.h"
#include "platform/browserview.h"
#include "services/browserreading.h"

#include <QRegularExpression>
#include <QTemporaryDir>

using namespace pellomar;

namespace {

// Reading pages past this many, or this much markup, ends the run as a newer one would: a
// page that claims 2147483647 pages (chageEntryPage(2147483647), a NetEase button so
// labelled) is paged through one click at a time, re-reading the same rows, until paging
// stops at a page that adds no new row.
constexpr int kMaxReads = 24;
constexpr qsizetype kMaxMarkup = 1'000'000;

// A browser that shows the input's pages: the first on Navigate, the next on each click.
// Its `all` collection is read from the markup's start tags.
class FakeBrowser : public BrowserView {
  public:
    FakeBrowser(AppState& state, QStringList pages) : m_state(state), m_pages(std::move(pages)) {}
    void SetSilent(bool) override {}
    void Navigate(const QString&) override { Open(0); }
    bool Busy() const override { return false; }
    QCoro::Task<QString> BodyOuterHtml() override {
        m_served += m_pages[m_current].size();
        if (++m_reads > kMaxReads || m_served > kMaxMarkup)
            ++m_state.discoveryRun;
        // A copy: QCoro moves from an lvalue that is co_returned.
        QString page = m_pages[m_current];
        co_return page;
    }
    QCoro::Task<QList<BrowserElement>> Elements(QString tagName) override {
        QList<BrowserElement> elements;
        for (const BrowserElement& element : m_elements)
            if (tagName.isEmpty() || element.tagName == tagName)
                elements.append(element);
        co_return elements;
    }
    QCoro::Task<bool> Click(BrowserElement element) override {
        if (element.index < 0 || element.index >= m_elements.size())
            co_return false;
        Open(std::min<qsizetype>(m_current + 1, m_pages.size() - 1));
        co_return true;
    }

  private:
    void Open(qsizetype page) {
        static const QRegularExpression tag(QStringLiteral("<([A-Za-z0-9]+)([^>]*)>([^<]*)"));
        static const QRegularExpression attribute(
            QStringLiteral("\\b(class|onclick)=(?:\"([^\"]*)\"|([^\\s>]*))"),
            QRegularExpression::CaseInsensitiveOption);
        m_current = page;
        m_elements.clear();
        for (auto it = tag.globalMatch(m_pages[page]); it.hasNext();) {
            const QRegularExpressionMatch match = it.next();
            BrowserElement element;
            element.index = int(m_elements.size());
            element.tagName = match.captured(1).toUpper();
            element.innerText = match.captured(3);
            for (auto a = attribute.globalMatch(match.captured(2)); a.hasNext();) {
                const QRegularExpressionMatch value = a.next();
                const QString text = value.captured(2) + value.captured(3);
                if (value.captured(1).compare(u"class", Qt::CaseInsensitive) == 0)
                    element.className = text;
                else
                    element.onclick = text;
            }
            m_elements.append(element);
        }
        emit documentComplete(true);
    }

    AppState& m_state;
    QStringList m_pages;
    qsizetype m_current = 0;
    int m_reads = 0;
    qsizetype m_served = 0;
    QList<BrowserElement> m_elements;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    fuzz::EnsureApplication();
    static QTemporaryDir dir;
    static AppState state(dir.path());
    const ServiceKind kind = data[0] & 1 ? kNetEase : kSohu;
    state.serviceKind = kind;
    // Only pages that show a built list: the wait for one that never does is a fixed
    // 30 s limit, not something the markup can stretch.
    QStringList pages;
    for (const QByteArray& part : fuzz::Bytes(data + 1, size - 1).split('\0')) {
        const QString page = QString::fromUtf8(part);
        if (IsListReady(state, page))
            pages.append(page);
    }
    if (pages.isEmpty())
        return 0;
    // Timer2 paces the waits; 1 ms ticks make each one as short as it can be.
    state.timer2().setInterval(1);
    state.timer2().start();
    FakeBrowser browser(state, pages);
    state.SetBrowser(&browser);
    fuzz::RunToEnd(Start(state, kind, QStringLiteral("fuzz"), QStringLiteral("fuzz:list")));
    state.SetBrowser(nullptr);
    state.timer2().stop();
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/progressline.h"

#include <algorithm>

namespace pellomar::cli {

namespace {

// A terminal is redrawn at most this often, a log gets at most one line per second: a
// download reports on every reply.
constexpr qint64 kTerminalMs = 100;
constexpr qint64 kPlainMs = 1000;

QString StepName(Progress::Step step) {
    switch (step) {
    case Progress::Discovery:
        return QStringLiteral("查找列表页");
    case Progress::Import:
        return QStringLiteral("导入任务");
    case Progress::Download:
        return QStringLiteral("下载文章");
    case Progress::Pictures:
        return QStringLiteral("下载图片");
    case Progress::Index:
        return QStringLiteral("生成索引");
    case Progress::SearchIndex:
        return QStringLiteral("建立全文索引");
    case Progress::Chm:
        return QStringLiteral("打包CHM");
    case Progress::Text:
        return QStringLiteral("转换TXT");
    case Progress::Epub:
        return QStringLiteral("生成EPUB");
    case Progress::Markdown:
        return QStringLiteral("生成Markdown");
    }
    return {};
}

QString Duration(qint64 ms) {
    const qint64 seconds = ms / 1000;
    const QString minutesSeconds =
        QStringLiteral("%1:%2").arg(seconds / 60 % 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return seconds >= 3600
               ? QString::number(seconds / 3600) + u':' + minutesSeconds.rightJustified(5, u'0')
               : minutesSeconds;
}

} // namespace

ProgressLine::ProgressLine(bool terminal) : m_terminal(terminal) {
    m_started.start();
}

std::optional<QString> ProgressLine::Update(const Progress& progress) {
    const bool newStep = NewStep(progress);
    if (newStep) {
        m_pending.clear();
        m_current = Progress{progress.step};
        m_stepStarted.start();
    }
    Progress& current = *m_current;
    current.done = std::max(current.done, progress.done);
    current.total = progress.total > 0 ? std::max(progress.total, current.done) : 0;
    current.picturesLeft = std::max(progress.picturesLeft, 0);
    current.failed = std::max(current.failed, progress.failed);

    const QString text = Text();
    if (text == m_shown)
        return std::nullopt;
    const bool last = current.total > 0 && current.done == current.total;
    if (!newStep && !last && m_lastShown.isValid() &&
        m_lastShown.elapsed() < (m_terminal ? kTerminalMs : kPlainMs)) {
        m_pending = text;
        return std::nullopt;
    }
    m_pending.clear();
    m_shown = text;
    m_lastShown.start();
    return text;
}

bool ProgressLine::NewStep(const Progress& progress) const {
    return !m_current || m_current->step != progress.step;
}

std::optional<QString> ProgressLine::Pending() {
    if (m_pending.isEmpty())
        return std::nullopt;
    m_shown = std::exchange(m_pending, QString());
    m_lastShown.start();
    return m_shown;
}

QString ProgressLine::Text() const {
    const Progress& p = *m_current;
    QString text = StepName(p.step);
    if (p.total > 0)
        text += QStringLiteral("：%1/%2").arg(p.done).arg(p.total);
    else if (p.done > 0)
        text += u'：' + QString::number(p.done);
    else
        text += QStringLiteral("...");
    if (p.step == Progress::Download)
        text += QStringLiteral("，图片剩余%1").arg(p.picturesLeft);
    if (p.step == Progress::Download || p.step == Progress::Pictures)
        text += QStringLiteral("，失败%1").arg(p.failed);
    // Times change every second: a log would get a line for each.
    if (!m_terminal)
        return text;
    text += u"，用时" + Duration(m_started.elapsed());
    const qint64 stepMs = m_stepStarted.elapsed();
    if (p.done > 0 && p.total > p.done && stepMs >= 1000)
        text += u"，还需约" + Duration(stepMs * (p.total - p.done) / p.done);
    return text;
}

} // namespace pellomar::cli

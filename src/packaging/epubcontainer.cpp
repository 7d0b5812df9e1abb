// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/epubcontainer.h"

#include "packaging/epubbook.h"
#include "platform/scratchfolder.h"

#include <QFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <zip.h>

namespace pellomar {

namespace {

QString OpenError(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString text = QString::fromLocal8Bit(zip_error_strerror(&error));
    zip_error_fini(&error);
    return text;
}

} // namespace

EpubContainer::EpubContainer(const QString& path)
    : m_path(path), m_parts((RemoveStaleScratch(path), ScratchTemplate(path))) {
    if (!m_parts.isValid()) {
        m_error = m_parts.errorString();
        return;
    }
    Add(QStringLiteral("mimetype"), kEpubMimetype);
}

EpubContainer::~EpubContainer() {
    if (m_pending)
        zip_discard(m_pending);
    for (zip* part : std::as_const(m_flushed))
        zip_discard(part);
}

bool EpubContainer::Failed(zip* archive, const QString& what) {
    if (m_error.isEmpty())
        m_error = what + u"：" + QString::fromLocal8Bit(archive ? zip_strerror(archive) : "");
    return false;
}

bool EpubContainer::Added(zip* archive, qint64 index, const QString& name, bool store) {
    if (index < 0)
        return Failed(archive, name);
    if (zip_set_file_compression(archive, zip_uint64_t(index),
                                 store ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0) != 0)
        return Failed(archive, name);
    return true;
}

bool EpubContainer::Add(const QString& name, const QByteArray& bytes) {
    if (!m_error.isEmpty())
        return false;
    if (!m_pending) {
        const QString part = m_parts.filePath(QString::number(m_flushed.size()) + u".zip");
        int error = 0;
        m_pending = zip_open(QFile::encodeName(part).constData(), ZIP_CREATE | ZIP_EXCL, &error);
        if (!m_pending) {
            m_error = part + u"：" + OpenError(error);
            return false;
        }
    }
    m_kept << bytes;
    zip_source_t* source =
        zip_source_buffer(m_pending, m_kept.back().constData(), zip_uint64_t(bytes.size()), 0);
    if (!source)
        return Failed(m_pending, name);
    const zip_int64_t index =
        zip_file_add(m_pending, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0)
        zip_source_free(source);
    return Added(m_pending, index, name, name == u"mimetype");
}

bool EpubContainer::AddFile(const QString& name, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_error = path + u"：" + file.errorString();
        return false;
    }
    return Add(name, file.readAll());
}

bool EpubContainer::Flush() {
    if (!m_pending || !m_error.isEmpty())
        return m_error.isEmpty();
    const QString part = m_parts.filePath(QString::number(m_flushed.size()) + u".zip");
    if (zip_close(m_pending) != 0)
        return Failed(m_pending, part);
    m_pending = nullptr;
    m_kept.clear();
    int error = 0;
    zip* written = zip_open(QFile::encodeName(part).constData(), ZIP_RDONLY, &error);
    if (!written) {
        m_error = part + u"：" + OpenError(error);
        return false;
    }
    m_flushed << written;
    return true;
}

bool EpubContainer::Close() {
    if (!Flush())
        return false;
    // Made whole in the working folder, where libzip's own temporary lies too, then put in
    // place: an interrupted export leaves no broken book and nothing the next run misses.
    const QString made = m_parts.filePath(QStringLiteral("book.epub"));
    int error = 0;
    zip* book = zip_open(QFile::encodeName(made).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!book) {
        m_error = made + u"：" + OpenError(error);
        return false;
    }
    // The parts' entries are copied as they were compressed, "mimetype" first.
    for (zip* part : std::as_const(m_flushed)) {
        const zip_int64_t count = zip_get_num_entries(part, 0);
        for (zip_int64_t i = 0; i < count; ++i) {
            const char* name = zip_get_name(part, zip_uint64_t(i), ZIP_FL_ENC_RAW);
            zip_source_t* source =
                name ? zip_source_zip(book, part, zip_uint64_t(i), ZIP_FL_COMPRESSED, 0, -1)
                     : nullptr;
            if (!source || zip_file_add(book, name, source, ZIP_FL_ENC_UTF_8) < 0) {
                if (source)
                    zip_source_free(source);
                Failed(book, m_path);
                zip_discard(book);
                return false;
            }
        }
    }
    if (zip_close(book) != 0) {
        Failed(book, m_path);
        zip_discard(book);
        return false;
    }
    if (std::rename(QFile::encodeName(made).constData(), QFile::encodeName(m_path).constData()) !=
        0) {
        m_error = m_path + u"：" + QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    return true;
}

} // namespace pellomar

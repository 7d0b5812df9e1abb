// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/epubcontainer.h"

#include "packaging/epubbook.h"

#include <QFile>
#include <zip.h>

namespace pellomar {

EpubContainer::EpubContainer(const QString& path) : m_path(path) {
    // libzip writes a temporary file beside the target at zip_close and renames it over the
    // target only when it is complete, so an interrupted export leaves no broken book.
    int error = 0;
    m_zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!m_zip) {
        zip_error_t zipError;
        zip_error_init_with_code(&zipError, error);
        m_error = path + u"：" + QString::fromLocal8Bit(zip_error_strerror(&zipError));
        zip_error_fini(&zipError);
        return;
    }
    Add(QStringLiteral("mimetype"), kEpubMimetype);
}

EpubContainer::~EpubContainer() {
    if (m_zip)
        zip_discard(m_zip);
}

void EpubContainer::Fail(const QString& what) {
    if (m_error.isEmpty())
        m_error = what + u"：" + QString::fromLocal8Bit(zip_strerror(m_zip));
}

bool EpubContainer::Added(qint64 index, const QString& name, bool store) {
    if (index < 0) {
        Fail(name);
        return false;
    }
    if (zip_set_file_compression(m_zip, zip_uint64_t(index), store ? ZIP_CM_STORE : ZIP_CM_DEFLATE,
                                 0) != 0) {
        Fail(name);
        return false;
    }
    return true;
}

bool EpubContainer::Add(const QString& name, const QByteArray& bytes) {
    if (!m_zip || !m_error.isEmpty())
        return false;
    m_kept << bytes;
    zip_source_t* source =
        zip_source_buffer(m_zip, m_kept.back().constData(), zip_uint64_t(bytes.size()), 0);
    if (!source) {
        Fail(name);
        return false;
    }
    const zip_int64_t index =
        zip_file_add(m_zip, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0)
        zip_source_free(source);
    return Added(index, name, name == u"mimetype");
}

bool EpubContainer::AddFile(const QString& name, const QString& path) {
    if (!m_zip || !m_error.isEmpty())
        return false;
    zip_source_t* source = zip_source_file(m_zip, QFile::encodeName(path).constData(), 0, -1);
    if (!source) {
        Fail(path);
        return false;
    }
    const zip_int64_t index =
        zip_file_add(m_zip, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0)
        zip_source_free(source);
    return Added(index, name, false);
}

bool EpubContainer::Close() {
    if (!m_zip || !m_error.isEmpty())
        return false;
    if (zip_close(m_zip) != 0) {
        Fail(m_path);
        return false;
    }
    m_zip = nullptr;
    m_kept.clear();
    return true;
}

} // namespace pellomar

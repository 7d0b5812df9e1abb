// SPDX-License-Identifier: GPL-3.0-or-later
// An article page as the EPUB's XHTML: whatever the tag soup, what is written must read
// back as well-formed XML.
#include "fuzzsupport.h"
#include "packaging/xhtmlpage.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

using namespace pellomar;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // References are placed as the export places them: what lies on the disk gets a name
    // in the book, what leaves it is dropped.
    const auto inBook = [](const char16_t* folder) {
        return [folder](const QString& reference) {
            return IsRemoteReference(reference)
                       ? QString()
                       : QString::fromUtf16(folder) + QString::number(qHash(reference)) + u".x";
        };
    };
    static const PageReferences references{inBook(u"images/"), inBook(u"chapters/")};
    QByteArray xhtml;
    QXmlStreamWriter out(&xhtml);
    out.writeStartDocument();
    out.writeStartElement(QStringLiteral("div"));
    WriteXhtmlBody(out, QString::fromUtf8(fuzz::Bytes(data, size)), references);
    out.writeEndElement();
    out.writeEndDocument();
    fuzz::Check(!out.hasError());

    QXmlStreamReader in(xhtml);
    while (!in.atEnd())
        in.readNext();
    fuzz::Check(!in.hasError());
    return 0;
}

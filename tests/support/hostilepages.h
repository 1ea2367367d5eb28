#pragma once

#include "support/httpserver.h"

#include <QByteArray>

namespace tarvo::testing {

// Pages that cost a parser dearly, within every byte cap: for the page helper's tests
// and benchmarks, which must end them at its limits.

// One tag of 140,000 attributes: each one checked against all before it.
inline QByteArray manyAttributes() {
    QByteArray attributes = "<p";
    for (int i = 0; i < 140000; ++i)
        attributes += " a" + QByteArray::number(i, 36);
    return attributes;
}

// 500 formatting elements left open, reopened in each of 10,000 blocks.
inline QByteArray reopenedFormatting() {
    QByteArray formatting = "<div>";
    for (int i = 0; i < 500; ++i)
        formatting += "<b class=" + QByteArray::number(i) + ">";
    return formatting + "</div>" + QByteArray("<div>x</div>").repeated(10000);
}

// A chunked answer whose first chunk claims a gigabyte and never ends.
inline LocalHttpServer::Response endlessChunk() {
    LocalHttpServer::Response chunked;
    chunked.endlessHead = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n"
                          "Transfer-Encoding: chunked\r\n\r\n40000000\r\n";
    chunked.endless = QByteArray(64 * 1024, 'x');
    return chunked;
}

} // namespace tarvo::testing

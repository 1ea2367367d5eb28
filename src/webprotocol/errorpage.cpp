#include "webprotocol/errorpage.h"

#include "webprotocol/caps.h"

namespace tarvo::webprotocol {
namespace {

QString escaped(const QString& text) {
    QString out = text;
    out.replace(u'&', QLatin1String("&amp;"));
    out.replace(u'<', QLatin1String("&lt;"));
    out.replace(u'>', QLatin1String("&gt;"));
    return out;
}

} // namespace

ErrorPage errorPage(const QUrl& url, const QString& why) {
    static const QString title = QStringLiteral("无法显示网页");
    const QString address = escaped(url.toString().left(MaxReason));
    const QString reason = escaped(why.left(MaxReason));
    ErrorPage error;
    error.innerHtml = QStringLiteral("<HEAD><TITLE>%1</TITLE></HEAD><BODY bgcolor=\"#ffffff\">"
                                     "<P>%1 %2</P><P>%3</P></BODY>")
                          .arg(title, address, reason);
    error.html = QStringLiteral("<html><head><title>%1</title></head><body bgcolor=\"#ffffff\">"
                                "<p>%1 %2</p><p>%3</p></body></html>")
                     .arg(title, address, reason);
    return error;
}

} // namespace tarvo::webprotocol

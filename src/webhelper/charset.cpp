#include "webhelper/charset.h"

#include "runtime/codepage.h"

#include <QStringDecoder>

namespace tarvo::webhelper {
namespace {

// The value after "charset=" at from: quoted or up to a blank, ';', quote or '>'.
QByteArray charsetValue(const QByteArray& text, qsizetype from) {
    qsizetype i = from;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    if (i < text.size() && (text[i] == '"' || text[i] == '\''))
        ++i;
    qsizetype end = i;
    while (end < text.size() && end - i < 40) {
        const char c = text[end];
        if (c == '"' || c == '\'' || c == ';' || c == '>' || c == ' ' || c == '\t' || c == '/' ||
            c == '\n' || c == '\r')
            break;
        ++end;
    }
    return text.mid(i, end - i);
}

QByteArray fromContentType(const QByteArray& contentType) {
    const QByteArray lower = contentType.toLower();
    const qsizetype at = lower.indexOf("charset=");
    return at < 0 ? QByteArray() : charsetValue(lower, at + 8);
}

QByteArray fromMeta(const QByteArray& body) {
    const QByteArray head = body.left(1024).toLower();
    qsizetype at = 0;
    while ((at = head.indexOf("<meta", at)) >= 0) {
        const qsizetype end = head.indexOf('>', at);
        const QByteArray tag = head.mid(at, end < 0 ? -1 : end - at + 1);
        const qsizetype charset = tag.indexOf("charset=");
        if (charset >= 0) {
            const QByteArray value = charsetValue(tag, charset + 8);
            if (!value.isEmpty())
                return value;
        }
        at += 5;
    }
    return {};
}

QByteArray decoderName(const QByteArray& label) {
    static const char* const gbFamily[] = {"gb2312",     "gbk",      "x-gbk",       "cp936",
                                           "chinese",    "csgb2312", "iso-ir-58",   "gb_2312",
                                           "gb_2312-80", "ms936",    "windows-936", "euc-cn"};
    for (const char* name : gbFamily)
        if (label == name)
            return "GBK";
    if (label == "gb18030")
        return "GB18030";
    return label;
}

} // namespace

QByteArray declaredCharset(const QByteArray& body, const QByteArray& contentType) {
    if (body.startsWith("\xEF\xBB\xBF"))
        return "utf-8";
    if (body.startsWith("\xFE\xFF"))
        return "utf-16be";
    if (body.startsWith("\xFF\xFE"))
        return "utf-16le";
    if (QByteArray transport = fromContentType(contentType); !transport.isEmpty())
        return transport;
    QByteArray meta = fromMeta(body);
    // A page cannot be read far enough to find its meta in UTF-16 unless it is not.
    if (meta.startsWith("utf-16"))
        return "utf-8";
    return meta;
}

QString decodePage(const QByteArray& body, const QByteArray& contentType) {
    const QByteArray name = decoderName(declaredCharset(body, contentType).trimmed());
    QStringDecoder decoder;
    if (!name.isEmpty() && name != "GBK")
        decoder = QStringDecoder(name.constData(), QStringDecoder::Flag::Stateless);
    // A page that declares no charset, or one unknown here, is read as the system's code
    // page, 936, as the original did; so is the GB family. Where Qt has no GB18030, its
    // two-byte part (which is GBK) is still read right.
    QString text = decoder.isValid() ? decoder.decode(body) : runtime::fromAnsi(body);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

} // namespace tarvo::webhelper

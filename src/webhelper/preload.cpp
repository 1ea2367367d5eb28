#include "webhelper/preload.h"

#include <QBuffer>
#include <QFontDatabase>
#include <QImageReader>
#include <QTextLayout>

namespace tarvo::webhelper {

void preload(const QFont& font) {
    QFontDatabase::families();
    // A word of each widely written script: the fonts a page's text falls back on are
    // opened now, while the helper may still look their files up.
    const QString scripts = QStringLiteral(
        "网络信息 Tarvo 1.5 Ελληνικά Русский العربية עברית हिन्दी বাংলা தமிழ் ไทย 한국어 日本語 "
        "カタカナ ქართული Հայերեն አማርኛ");
    for (QFont face : {font, QFont(font.family(), font.pointSize(), QFont::Bold)}) {
        QTextLayout layout(scripts, face);
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
    }
    for (const QByteArray& format : QImageReader::supportedImageFormats()) {
        QBuffer empty;
        QImageReader reader(&empty, format);
        reader.canRead();
    }
}

} // namespace tarvo::webhelper

#include "forms/font.h"

#include "runtime/units.h"

#include <QByteArray>
#include <QFontDatabase>
#include <QResource>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace tarvo::forms {

Font makeFont(FontDesc desc) {
    return std::make_shared<const FontDesc>(std::move(desc));
}

Font ambientFont() {
    // Fonts are immutable, so every host can hand out the same object.
    static const Font ambient = makeFont(FontDesc{});
    return ambient;
}

QFont toQFont(const FontDesc& desc) {
    QFont font;
    // The design faces (SimSun and friends) are usually missing here; Qt takes the first
    // family of the list that exists: the window's own cut of the CJK face, then the whole
    // face, which also draws what the cut lacks (text from outside, such as ping's).
    QStringList families;
    if (!desc.face.isEmpty())
        families << desc.face;
    families << QStringLiteral("SimSun") << QStringLiteral("Tarvo Micro Hei")
             << QStringLiteral("WenQuanYi Micro Hei");
    families.removeDuplicates();
    font.setFamilies(families);

    const double pixels = std::nearbyint(desc.points * runtime::DotsPerInch / 72.0);
    font.setPixelSize(
        std::max(1, int(std::isfinite(pixels) ? std::clamp(pixels, 1.0, 4096.0) : 12.0)));
    font.setWeight(QFont::Weight(desc.weight <= 0 ? 400 : std::clamp(desc.weight, 1, 1000)));
    font.setItalic(desc.italic);
    font.setUnderline(desc.underline);
    font.setStrikeOut(desc.strikeout);
    // Pixel-exact output: the original draws without smoothing.
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

bool addInterfaceFont() {
    const QResource resource(QStringLiteral(":/fonts/tarvo-micro-hei.ttf"));
    if (!resource.isValid() || resource.compressionAlgorithm() != QResource::NoCompression)
        return false;
    // Read in place from the program's image, which stays mapped: no copy on the heap.
    const QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(resource.data()),
                                                    qsizetype(resource.size()));
    return QFontDatabase::addApplicationFontFromData(data) >= 0;
}

} // namespace tarvo::forms

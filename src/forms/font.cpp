#include "forms/font.h"

#include "runtime/units.h"

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
    // family of the list that exists, and the CJK face keeps Chinese text readable.
    QStringList families;
    if (!desc.face.isEmpty())
        families << desc.face;
    families << QStringLiteral("SimSun") << QStringLiteral("WenQuanYi Micro Hei");
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

} // namespace tarvo::forms

#pragma once

#include <QFont>
#include <QString>

#include <memory>

namespace tarvo::forms {

inline constexpr int CharsetAnsi = 0;
inline constexpr int CharsetDefault = 1;
inline constexpr int CharsetGb2312 = 134;

struct FontDesc {
    QString face = QStringLiteral("宋体");
    double points = 9.0;
    int weight = 400;
    int charset = CharsetGb2312;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;

    friend bool operator==(const FontDesc&, const FontDesc&) = default;
};

// Fonts are shared by reference, like pictures.
using Font = std::shared_ptr<const FontDesc>;

Font makeFont(FontDesc desc);
// The font a host hands to its controls when they have none of their own.
Font ambientFont();
// A QFont for drawing: size in pixels at 96 dpi, no antialiasing (pixel-exact output).
// Faces missing on this system fall back through fontconfig to a CJK-capable face.
QFont toQFont(const FontDesc& desc);
// Makes "Tarvo Micro Hei", the glyphs of the window's own texts cut from the CJK face,
// the face that stands in for missing design faces: reading glyphs from the whole 5 MB
// file maps 64 KB of it for each. Call once, after the application object exists.
bool addInterfaceFont();

} // namespace tarvo::forms

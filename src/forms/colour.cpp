#include "forms/colour.h"

#include <QGuiApplication>

namespace tarvo::forms {

namespace {

struct SystemEntry {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// The system colour indices of the original platform, mapped onto palette roles.
constexpr SystemEntry systemEntries[] = {
    {QPalette::Active, QPalette::Button},          // 0 scroll bar
    {QPalette::Active, QPalette::Dark},            // 1 desktop
    {QPalette::Active, QPalette::Highlight},       // 2 active caption
    {QPalette::Inactive, QPalette::Mid},           // 3 inactive caption
    {QPalette::Active, QPalette::Window},          // 4 menu
    {QPalette::Active, QPalette::Base},            // 5 window
    {QPalette::Active, QPalette::Shadow},          // 6 window frame
    {QPalette::Active, QPalette::WindowText},      // 7 menu text
    {QPalette::Active, QPalette::Text},            // 8 window text
    {QPalette::Active, QPalette::HighlightedText}, // 9 caption text
    {QPalette::Active, QPalette::Button},          // 10 active border
    {QPalette::Inactive, QPalette::Button},        // 11 inactive border
    {QPalette::Active, QPalette::Mid},             // 12 application workspace
    {QPalette::Active, QPalette::Highlight},       // 13 highlight
    {QPalette::Active, QPalette::HighlightedText}, // 14 highlight text
    {QPalette::Active, QPalette::Button},          // 15 button face
    {QPalette::Active, QPalette::Dark},            // 16 button shadow
    {QPalette::Disabled, QPalette::Text},          // 17 grey text
    {QPalette::Active, QPalette::ButtonText},      // 18 button text
    {QPalette::Disabled, QPalette::WindowText},    // 19 inactive caption text
    {QPalette::Active, QPalette::Light},           // 20 button highlight
    {QPalette::Active, QPalette::Shadow},          // 21 3-D dark shadow
    {QPalette::Active, QPalette::Midlight},        // 22 3-D light
    {QPalette::Active, QPalette::ToolTipText},     // 23 tooltip text
    {QPalette::Active, QPalette::ToolTipBase},     // 24 tooltip background
    {QPalette::Active, QPalette::NoRole},          // 25 unused
    {QPalette::Active, QPalette::Link},            // 26 hot-tracked item
    {QPalette::Active, QPalette::Highlight},       // 27 active caption gradient
    {QPalette::Inactive, QPalette::Mid},           // 28 inactive caption gradient
    {QPalette::Active, QPalette::Highlight},       // 29 menu highlight
    {QPalette::Active, QPalette::Window},          // 30 menu bar
};

QPalette currentPalette() {
    return qGuiApp ? QGuiApplication::palette() : QPalette();
}

} // namespace

QColor toQColor(OleColor colour) {
    if (!isSystemColour(colour))
        return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
    return toQColor(colour, currentPalette());
}

QColor toQColor(OleColor colour, const QPalette& palette) {
    if (!isSystemColour(colour))
        return toQColor(colour);
    const quint32 index = colour & 0x7FFFFFFFu;
    if (index >= std::size(systemEntries) || systemEntries[index].role == QPalette::NoRole)
        return QColor(0, 0, 0);
    const SystemEntry& entry = systemEntries[index];
    QColor c = palette.color(entry.group, entry.role);
    // Drawing is opaque: a translucent palette entry would blend unpredictably.
    c.setAlpha(255);
    return c;
}

OleColor fromQColor(const QColor& colour) {
    const QColor c = colour.toRgb();
    return rgb(c.red(), c.green(), c.blue());
}

} // namespace tarvo::forms

#include "controls/progressbar/ucprogressbar.h"

#include "controls/progressbar/cursorshape.h"
#include "controls/propertyreaders.h"
#include "runtime/errors.h"
#include "runtime/numbers.h"

#include <QCursor>
#include <QPixmap>

namespace tarvo {

using runtime::ErrorCode;

namespace {

constexpr forms::OleColor DefaultFontColor = forms::syscolour::ButtonText;

} // namespace

void ucProgressBar::InitProperties(const forms::Font& ambient) {
    m_ambient = ambient;
    m_model.captionCustom.clear();
    m_model.captionFormat = CaptionNone;
    m_model.max = 100;
    m_model.min = 0;
    m_model.orientation = OrientationHorizontal;
    m_model.value = 0;
    m_surface.setFont(ambient);
    m_model.fore = forms::PictureObject::none();
    m_back = forms::PictureObject::none();
    m_model.span = 100;
    m_lastValue = 0;
}

void ucProgressBar::ReadProperties(const forms::PropertyBag& bag, const forms::Font& ambient) {
    m_ambient = ambient;
    // Stored values are taken as they are: no checks, no redraw, no events.
    m_model.captionCustom = bag.read(QStringLiteral("CaptionCustom"), QString()).toString();
    m_model.captionFormat = readInt32(bag, QStringLiteral("CaptionFormat"), CaptionNone);
    m_model.max = readInt32(bag, QStringLiteral("Max"), 100);
    m_model.min = readInt32(bag, QStringLiteral("Min"), 0);
    m_model.orientation = readInt32(bag, QStringLiteral("Orientation"), OrientationHorizontal);
    m_model.value = readInt32(bag, QStringLiteral("Value"), 0);
    setEnabled(bag.read(QStringLiteral("Enabled"), true).toBool());
    m_surface.setForeColor(readColour(bag, QStringLiteral("FontColor"), DefaultFontColor));
    const forms::Picture icon =
        bag.readPicture(QStringLiteral("MouseIcon"), forms::PictureObject::none());
    setMouseIcon(icon);
    m_surface.setFont(bag.readFont(QStringLiteral("Font"), ambient));
    m_model.fore = bag.readPicture(QStringLiteral("BarPictureFore"), forms::PictureObject::none());
    m_back = bag.readPicture(QStringLiteral("BarPictureBack"), forms::PictureObject::none());
    m_mousePointer = runtime::narrowInt16(readNumber(bag, QStringLiteral("MousePointer"), 0));
    setMouseIcon(icon);
    applyCursor();

    // The last reported value starts at Min, so the first assignment of the stored value
    // still reports a change. A range too wide for 32 bits is refused with Overflow.
    m_lastValue = m_model.min;
    m_model.span = runtime::subInt32(m_model.max, m_model.min);
}

void ucProgressBar::WriteProperties(forms::PropertyBag& bag) const {
    writePicture(bag, QStringLiteral("BarPictureFore"), m_model.fore);
    writePicture(bag, QStringLiteral("BarPictureBack"), m_back);
    bag.write(QStringLiteral("CaptionCustom"), m_model.captionCustom, QString());
    bag.write(QStringLiteral("CaptionFormat"), m_model.captionFormat, int(CaptionNone));
    bag.write(QStringLiteral("Enabled"), Enabled(), true);
    bag.writeFont(QStringLiteral("Font"), m_surface.font(), m_ambient);
    bag.write(QStringLiteral("FontColor"), qint32(m_surface.foreColor()), qint32(DefaultFontColor));
    bag.write(QStringLiteral("Max"), m_model.max, 100);
    bag.write(QStringLiteral("Min"), m_model.min, 0);
    writePicture(bag, QStringLiteral("MouseIcon"), m_mouseIcon);
    bag.write(QStringLiteral("Orientation"), m_model.orientation, int(OrientationHorizontal));
    bag.write(QStringLiteral("Value"), m_model.value, 0);
    bag.write(QStringLiteral("MousePointer"), int(m_mousePointer), 0);
}

void ucProgressBar::setMousePointer(qint64 shape) {
    m_mousePointer = runtime::narrowInt16(shape);
    applyCursor();
}

void ucProgressBar::setMouseIcon(forms::Picture picture) {
    // Only what can become a cursor is taken; anything else leaves the old icon.
    if (picture && picture->type() != forms::PictureType::None &&
        (picture->type() == forms::PictureType::Metafile || picture->image().isNull()))
        return;
    m_mouseIcon = std::move(picture);
    applyCursor();
}

void ucProgressBar::applyCursor() {
    if (m_mousePointer == MousePointerCustom) {
        if (!forms::isEmpty(m_mouseIcon))
            setCursor(QCursor(QPixmap::fromImage(m_mouseIcon->image())));
        else
            unsetCursor();
        return;
    }
    if (const auto shape = cursorShape(m_mousePointer))
        setCursor(*shape);
    else
        unsetCursor();
}

} // namespace tarvo

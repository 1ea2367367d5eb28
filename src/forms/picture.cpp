#include "forms/picture.h"

#include "forms/palette.h"

#include "runtime/units.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QPixmap>

#include <atomic>

namespace tarvo::forms {

namespace {

// Pictures keep one of two formats so that drawing code has only two cases: opaque
// images as RGB32, images with transparency premultiplied.
QImage normalised(const QImage& image) {
    if (image.isNull())
        return {};
    const QImage::Format format =
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    return image.format() == format ? image : image.convertToFormat(format);
}

quintptr nextHandle() {
    static std::atomic<quintptr> counter{0};
    return ++counter;
}

qint64 area(QSize size) {
    return qint64(size.width()) * size.height();
}

} // namespace

PictureObject::PictureObject(PictureType type, QImage image, QIcon icon, QString source)
    : m_type(type)
    , m_icon(std::move(icon))
    , m_source(std::move(source)) {
    if (m_type != PictureType::None)
        m_handle = nextHandle();
    if (m_type == PictureType::Bitmap)
        m_palette = toPalette(image);
    if (m_palette.isNull())
        m_image = std::move(image);
}

const QImage& PictureObject::image() const {
    if (m_image.isNull() && !m_palette.isNull()) {
        m_image = m_palette.convertToFormat(QImage::Format_RGB32);
        m_palette = QImage();
    }
    return m_image;
}

Picture PictureObject::none() {
    return std::make_shared<const PictureObject>(PictureType::None, QImage(), QIcon(), QString());
}

Picture PictureObject::fromImage(const QImage& image, QString source) {
    if (image.isNull())
        return none();
    return std::make_shared<const PictureObject>(PictureType::Bitmap, normalised(image), QIcon(),
                                                 std::move(source));
}

Picture PictureObject::fromIcon(const QIcon& icon, QString source) {
    if (icon.isNull())
        return none();
    QSize largest;
    for (const QSize& size : icon.availableSizes()) {
        if (area(size) > area(largest))
            largest = size;
    }
    if (largest.isEmpty())
        largest = QSize(32, 32); // scalable icons: the standard icon size
    QImage image = icon.pixmap(largest).toImage();
    if (image.isNull())
        return none();
    return std::make_shared<const PictureObject>(PictureType::Icon, normalised(image), icon,
                                                 std::move(source));
}

Picture PictureObject::load(const QString& path) {
    if (path.isEmpty())
        return nullptr;
    QImageReader reader(path);
    if (!reader.canRead())
        return nullptr;

    const bool isIcon =
        reader.format() == "ico" ||
        QFileInfo(path).suffix().compare(QLatin1String("ico"), Qt::CaseInsensitive) == 0;
    if (!isIcon) {
        const QImage image = reader.read();
        if (image.isNull())
            return nullptr;
        return std::make_shared<const PictureObject>(PictureType::Bitmap, normalised(image),
                                                     QIcon(), path);
    }

    // An icon file holds several sizes; the picture shows the largest, the QIcon keeps all.
    QImage largest;
    QIcon icon;
    const int count = std::max(1, reader.imageCount());
    for (int i = 0; i < count; ++i) {
        if (i > 0 && !reader.jumpToImage(i))
            break;
        const QImage image = reader.read();
        if (image.isNull())
            continue;
        if (area(image.size()) > area(largest.size()))
            largest = image;
        // Pixmaps exist only with a GUI application; without one the image is all we have.
        if (qGuiApp)
            icon.addPixmap(QPixmap::fromImage(image));
    }
    if (largest.isNull())
        return nullptr;
    return std::make_shared<const PictureObject>(PictureType::Icon, normalised(largest),
                                                 std::move(icon), path);
}

quintptr PictureObject::handle() const {
    return m_handle;
}

QSize PictureObject::sizeHimetric() const {
    const QSize pixels = sizePixels();
    return QSize(runtime::pixelsToHimetric(pixels.width()),
                 runtime::pixelsToHimetric(pixels.height()));
}

QSize PictureObject::sizePixels() const {
    return m_type == PictureType::None ? QSize(0, 0) : pixels().size();
}

bool isEmpty(const Picture& picture) {
    return !picture || picture->type() == PictureType::None;
}

} // namespace tarvo::forms

#pragma once

#include <QIcon>
#include <QImage>
#include <QSize>
#include <QString>

#include <memory>

namespace tarvo::forms {

// Picture types as the original reports them.
enum class PictureType : int { None = 0, Bitmap = 1, Metafile = 2, Icon = 3 };

class PictureObject;
// Pictures are shared by reference; an empty picture (type None) is distinct from a
// missing reference (nullptr).
using Picture = std::shared_ptr<const PictureObject>;

class PictureObject final {
public:
    static Picture none();
    static Picture fromImage(const QImage& image, QString source = {});
    static Picture fromIcon(const QIcon& icon, QString source = {});
    // Loads a file or Qt resource: .ico becomes an icon, anything else a bitmap.
    // A path that cannot be read gives nullptr.
    static Picture load(const QString& path);

    PictureType type() const { return m_type; }
    // Handle-like identity: unique per picture object, 0 for an empty picture.
    quintptr handle() const;
    QSize sizeHimetric() const;
    QSize sizePixels() const;
    // Bitmaps: the image; icons: the largest image of the icon; none: a null image.
    const QImage& image() const;
    // The pixels as held: image(), or, for a bitmap of few colours that nothing has yet
    // asked image() of, the same pixels as a palette image, a quarter of the memory or
    // less. For showing and for QPainter, which take either.
    const QImage& pixels() const { return m_image.isNull() ? m_palette : m_image; }
    const QIcon& icon() const { return m_icon; }
    // The resource path the picture came from, used when it is stored in a property bag.
    const QString& source() const { return m_source; }

    // Use the static constructors.
    PictureObject(PictureType type, QImage image, QIcon icon, QString source);

private:
    PictureType m_type;
    // One of the two is set; image() turns the palette form into the image for good.
    // Pictures belong to the GUI thread.
    mutable QImage m_image;
    mutable QImage m_palette;
    QIcon m_icon;
    QString m_source;
    quintptr m_handle = 0; // from a counter, so a freed picture's identity is never reused
};

bool isEmpty(const Picture& picture); // missing, or of type None

} // namespace tarvo::forms

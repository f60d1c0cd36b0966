#pragma once

#include <QImage>
#include <QResource>
#include <QString>

// The pictures stored with the program as raw pixels, made when the program is built by
// make_title_picture: the splash window's title picture (drawn, the resource
// :/kazurin2/title.rgb) and the program's icon (from packaging/kazurin2.png, the resource
// :/kazurin2/icon.rgba). They are shown without drawing or decoding anything, and
// without Qt's image readers, whose plugin look-up alone costs milliseconds at start-up.
namespace kz {

inline constexpr int kTitlePictureWidth = 640;
inline constexpr int kTitlePictureHeight = 480;
// The stored form: rows of 32-bit pixels 0xffRRGGBB in the machine's byte order
// (QImage::Format_RGB32), no header, no padding.
inline constexpr QImage::Format kTitlePictureFormat = QImage::Format_RGB32;

// Draws the picture (needs a QGuiApplication for its fonts).
QImage drawTitlePicture();

// The icon: rows of premultiplied 32-bit pixels, as for the title picture.
inline constexpr int kIconSize = 128;
inline constexpr QImage::Format kIconFormat = QImage::Format_ARGB32_Premultiplied;

// A stored picture over the program's own pages (which stay for the whole run); a null
// image when the program was built without it.
inline QImage storedPicture(const QString& resource, int width, int height, QImage::Format format) {
    const QResource stored(resource);
    if (stored.compressionAlgorithm() != QResource::NoCompression ||
        stored.size() != qsizetype{width} * height * 4)
        return {};
    return QImage(stored.data(), width, height, width * 4, format);
}

} // namespace kz

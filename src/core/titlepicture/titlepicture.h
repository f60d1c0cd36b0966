#pragma once

#include <QImage>

// The title picture of the splash window. It is drawn once, when the program is built,
// by make_title_picture, and stored with the program as raw pixels (the resource
// :/kazurin2/title.rgb, compressed by the resource compiler): the splash shows it without
// drawing or decoding anything.
namespace kz {

inline constexpr int kTitlePictureWidth = 640;
inline constexpr int kTitlePictureHeight = 480;
// The stored form: rows of 32-bit pixels 0xffRRGGBB in the machine's byte order
// (QImage::Format_RGB32), no header, no padding.
inline constexpr QImage::Format kTitlePictureFormat = QImage::Format_RGB32;
inline constexpr qsizetype kTitlePictureBytes = qsizetype{kTitlePictureWidth} * kTitlePictureHeight * 4;

// Draws the picture (needs a QGuiApplication for its fonts).
QImage drawTitlePicture();

} // namespace kz

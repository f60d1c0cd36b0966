// Build step: draws the splash window's title picture and converts the program's icon,
// writing both as raw pixels (see titlepicture.h) for the program to store as resources.
//
//   make_title_picture TITLE_OUTPUT ICON_PNG ICON_OUTPUT
#include "core/titlepicture/titlepicture.h"

#include <QGuiApplication>
#include <QSaveFile>

#include <cstdio>

namespace {

bool writeRaw(const QImage& image, const char* path) {
    QSaveFile out(QString::fromLocal8Bit(path));
    bool written = out.open(QIODevice::WriteOnly);
    const qint64 rowBytes = qint64{image.width()} * 4;
    for (int y = 0; written && y < image.height(); ++y)
        written = out.write(reinterpret_cast<const char*>(image.constScanLine(y)), rowBytes) == rowBytes;
    if (!written || !out.commit()) {
        std::fprintf(stderr, "make_title_picture: cannot write %s: %s\n", path,
                     qPrintable(out.errorString()));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    // No window is shown: the offscreen platform is enough for fonts and painting.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 4) {
        std::fputs("usage: make_title_picture TITLE_OUTPUT ICON_PNG ICON_OUTPUT\n", stderr);
        return 2;
    }
    const QImage icon =
        QImage(QString::fromLocal8Bit(argv[2]))
            .scaled(kz::kIconSize, kz::kIconSize, Qt::KeepAspectRatio, Qt::SmoothTransformation)
            .convertToFormat(kz::kIconFormat);
    if (icon.size() != QSize(kz::kIconSize, kz::kIconSize)) {
        std::fprintf(stderr, "make_title_picture: %s is no square picture\n", argv[2]);
        return 1;
    }
    const QImage title = kz::drawTitlePicture().convertToFormat(kz::kTitlePictureFormat);
    return writeRaw(title, argv[1]) && writeRaw(icon, argv[3]) ? 0 : 1;
}

// Build step: draws the splash window's title picture and writes it as raw pixels
// (see titlepicture.h), for the program to store as a resource.
//
//   make_title_picture OUTPUT
#include "core/titlepicture/titlepicture.h"

#include <QGuiApplication>
#include <QSaveFile>

#include <cstdio>

int main(int argc, char** argv) {
    // No window is shown: the offscreen platform is enough for fonts and painting.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: make_title_picture OUTPUT\n", stderr);
        return 2;
    }
    const QImage picture = kz::drawTitlePicture().convertToFormat(kz::kTitlePictureFormat);
    QSaveFile out(QString::fromLocal8Bit(argv[1]));
    bool written = out.open(QIODevice::WriteOnly);
    for (int y = 0; written && y < picture.height(); ++y)
        written = out.write(reinterpret_cast<const char*>(picture.constScanLine(y)),
                            qint64{picture.width()} * 4) == qint64{picture.width()} * 4;
    if (!written || !out.commit()) {
        std::fprintf(stderr, "make_title_picture: cannot write %s: %s\n", argv[1],
                     qPrintable(out.errorString()));
        return 1;
    }
    return 0;
}

#include "core/titlepicture/titlepicture.h"

#include "core/catalogue.h"
#include "core/gui/screenkitfonts.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace kz {

namespace {

// One round number tile of the 14 x 15 x 16 motif.
void drawTile(QPainter& p, QPointF centre, qreal radius, const QString& text, const QColor& colour) {
    QRadialGradient fill(centre - QPointF(radius / 3, radius / 3), radius * 1.4);
    fill.setColorAt(0.0, colour.lighter(150));
    fill.setColorAt(1.0, colour.darker(120));
    p.setPen(QPen(QColor(255, 255, 255, 220), 4));
    p.setBrush(fill);
    p.drawEllipse(centre, radius, radius);
    p.setPen(Qt::white);
    p.setFont(kit::gothicPixelFont(static_cast<int>(radius * 0.95), true));
    p.drawText(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius), Qt::AlignCenter,
               text);
}

} // namespace

QImage drawTitlePicture() {
    QImage picture(kTitlePictureWidth, kTitlePictureHeight, QImage::Format_RGB32);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QLinearGradient sky(0, 0, 0, kTitlePictureHeight);
    sky.setColorAt(0.0, QColor(24, 64, 140));
    sky.setColorAt(0.6, QColor(70, 150, 220));
    sky.setColorAt(1.0, QColor(200, 235, 255));
    p.fillRect(picture.rect(), sky);

    // Faint multiplication signs and products in the background.
    p.setFont(kit::gothicPixelFont(22, true));
    const QList<int> products = {196, 225, 256, 210, 240, 224, 280, 300, 320};
    for (int i = 0; i < 18; ++i) {
        p.setPen(QColor(255, 255, 255, 40 + (i % 3) * 15));
        const qreal x = 20 + (i * 97) % 600;
        const qreal y = 30 + (i * 53) % 420;
        p.drawText(QPointF(x, y),
                   i % 2 ? QStringLiteral("×") : QString::number(products[i % products.size()]));
    }

    // The three tables as tiles joined by multiplication signs.
    const qreal tileY = 300;
    drawTile(p, QPointF(150, tileY), 62, QStringLiteral("14"), QColor(230, 90, 60));
    drawTile(p, QPointF(320, tileY), 62, QStringLiteral("15"), QColor(60, 170, 80));
    drawTile(p, QPointF(490, tileY), 62, QStringLiteral("16"), QColor(240, 170, 30));
    p.setFont(kit::gothicPixelFont(48, true));
    p.setPen(Qt::white);
    p.drawText(QRectF(212, tileY - 40, 46, 80), Qt::AlignCenter, QStringLiteral("×"));
    p.drawText(QRectF(382, tileY - 40, 46, 80), Qt::AlignCenter, QStringLiteral("×"));

    // The program title with an outline and a soft shadow.
    const QString title = programTitle();
    QFont titleFont = kit::gothicPixelFont(76, true);
    QPainterPath path;
    path.addText(0, 0, titleFont, title);
    const QRectF bounds = path.boundingRect();
    path.translate((kTitlePictureWidth - bounds.width()) / 2 - bounds.left(),
                   150 - bounds.bottom() + bounds.height() / 2);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 40, 110));
    p.drawPath(path.translated(5, 6));
    p.setPen(QPen(QColor(20, 40, 110), 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    QLinearGradient gold(0, 80, 0, 170);
    gold.setColorAt(0.0, QColor(255, 250, 200));
    gold.setColorAt(1.0, QColor(255, 200, 40));
    p.setPen(Qt::NoPen);
    p.setBrush(gold);
    p.drawPath(path);
    return picture;
}

} // namespace kz

#pragma once

#include <QFont>
#include <QStringList>

// The screen kit's fonts: one list of Japanese gothic faces for every screen, list and
// drawn report. Kept apart from the rest of the kit and written out here, because it needs
// Qt Gui only: the report drawing, which the companion uses to write PDF files without any
// screen, takes its fonts from here too.
namespace kz::kit {

// The gothic faces, best first. IPAGothic comes first: its kana and full-width digits are
// exactly two half-width characters wide, so aligned lists and the full-width level names
// ("１４(1-10)") look as on the classroom computers.
inline const QStringList& gothicFamilies() {
    static const QStringList families = {
        QStringLiteral("IPAGothic"),        QStringLiteral("IPAゴシック"),
        QStringLiteral("IPAPGothic"),       QStringLiteral("IPA Pゴシック"),
        QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans Mono CJK JP"),
        QStringLiteral("VL Gothic"),        QStringLiteral("VL PGothic"),
        QStringLiteral("TakaoGothic"),      QStringLiteral("MS PGothic")};
    return families;
}

// The same faces with the proportional ones of the list first, for running text whose
// characters need not line up (the titles of drawn reports).
inline const QStringList& proportionalGothicFamilies() {
    static const QStringList families = [] {
        QStringList proportional;
        QStringList others;
        for (const QString& family : gothicFamilies()) {
            const bool isProportional =
                family.contains(QStringLiteral("PGothic")) || family.contains(QStringLiteral("Pゴシック"));
            (isProportional ? proportional : others).append(family);
        }
        return proportional + others;
    }();
    return families;
}

// A gothic font without a size yet.
inline QFont gothicFace(bool bold) {
    QFont font;
    font.setFamilies(gothicFamilies());
    font.setStyleHint(QFont::SansSerif);
    font.setBold(bold);
    return font;
}

// A gothic font of the given point size.
inline QFont gothicFont(qreal pointSize, bool bold = false) {
    QFont font = gothicFace(bold);
    font.setPointSizeF(pointSize);
    return font;
}

// A gothic font of the given pixel size.
inline QFont gothicPixelFont(int pixelSize, bool bold = false) {
    QFont font = gothicFace(bold);
    font.setPixelSize(pixelSize);
    return font;
}

// A proportional gothic font of the given pixel size.
inline QFont proportionalPixelFont(int pixelSize, bool bold = false) {
    QFont font = gothicPixelFont(pixelSize, bold);
    font.setFamilies(proportionalGothicFamilies());
    return font;
}

// The same font asking for fixed pitch, for aligned lists.
inline QFont fixedPitch(QFont font) {
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    return font;
}

} // namespace kz::kit

#include "platform/gui/messagebox.h"

#include <QMessageBox>
#include <QStringList>
#include <QTimer>

namespace kz {

namespace {

constexpr int kMaxLines = 30;
constexpr int kMaxRun = 60;
constexpr int kMaxChars = 1500;

QString shortened(const QString& text, int maxChars) {
    if (text.size() <= maxChars)
        return text;
    const int head = (maxChars - 1) * 2 / 3;
    return text.left(head) + QStringLiteral("…") + text.right(maxChars - 1 - head);
}

// A run of characters the line breaker cannot split: no space, and no Japanese (after
// which a line may break).
bool unbreakable(QChar c) {
    return !c.isSpace() && c.unicode() < 0x2E80;
}

} // namespace

QString fitTextForBox(const QString& text) {
    QStringList lines = text.left(kMaxChars * 4).split(u'\n');
    if (lines.size() > kMaxLines) {
        lines = lines.mid(0, kMaxLines - 1);
        lines.append(QStringLiteral("…"));
    }
    for (QString& line : lines) {
        QString fitted;
        qsizetype i = 0;
        while (i < line.size()) {
            qsizetype j = i;
            const bool run = unbreakable(line[i]);
            while (j < line.size() && unbreakable(line[j]) == run && (run || j - i < kMaxChars))
                ++j;
            fitted += run ? shortened(line.mid(i, j - i), kMaxRun) : line.mid(i, j - i);
            i = j;
        }
        line = fitted;
    }
    return shortened(lines.join(u'\n'), kMaxChars);
}

void WidgetMessageBox::inform(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox::information(parent, title, fitTextForBox(text), QMessageBox::Ok);
}

void WidgetMessageBox::informClosingAfter(QWidget* parent, const QString& title, const QString& text,
                                          int closeAfterMs) {
    QMessageBox box(QMessageBox::Information, title, fitTextForBox(text), QMessageBox::Ok, parent);
    QTimer::singleShot(closeAfterMs, &box, &QMessageBox::accept);
    box.exec();
}

MessageBox::Answer WidgetMessageBox::okCancel(QWidget* parent, const QString& title, const QString& text) {
    return QMessageBox::question(parent, title, fitTextForBox(text), QMessageBox::Ok | QMessageBox::Cancel,
                                 QMessageBox::Ok) == QMessageBox::Ok
               ? Answer::Ok
               : Answer::Cancel;
}

MessageBox::Answer WidgetMessageBox::yesNo(QWidget* parent, const QString& title, const QString& text) {
    return QMessageBox::question(parent, title, fitTextForBox(text), QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::Yes) == QMessageBox::Yes
               ? Answer::Yes
               : Answer::No;
}

} // namespace kz

#include "platform/gui/messagebox.h"

#include <QMessageBox>

namespace kz {

void WidgetMessageBox::inform(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox::information(parent, title, text, QMessageBox::Ok);
}

MessageBox::Answer WidgetMessageBox::okCancel(QWidget* parent, const QString& title, const QString& text) {
    return QMessageBox::question(parent, title, text, QMessageBox::Ok | QMessageBox::Cancel,
                                 QMessageBox::Ok) == QMessageBox::Ok
               ? Answer::Ok
               : Answer::Cancel;
}

MessageBox::Answer WidgetMessageBox::yesNo(QWidget* parent, const QString& title, const QString& text) {
    return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) ==
                   QMessageBox::Yes
               ? Answer::Yes
               : Answer::No;
}

} // namespace kz

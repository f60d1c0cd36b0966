#include "admin/criterianotices.h"

namespace kz {

QString openingNotice(const Status& loaded, const QString& loadNotice) {
    return loaded ? loadNotice : loaded.error().text();
}

QString noticeWithDistribution(const QString& fileNotice, const Status& distributionRead) {
    if (distributionRead)
        return fileNotice;
    if (fileNotice.isEmpty())
        return distributionRead.error().text();
    return fileNotice + u' ' + distributionRead.error().text();
}

QString revertFailedText(const Error& error) {
    return error.text() + QStringLiteral("\n画面の内容はそのままです。");
}

QString saveFailedText(const Error& error) {
    const bool written = error.kind == ErrorKind::Unreadable;
    return written ? error.text() : error.text() + QStringLiteral("\n変更は画面に残っています。");
}

} // namespace kz

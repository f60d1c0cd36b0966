#include "web/server/webserver.h"

#include "platform/clock.h"
#include "platform/datafile.h"
#include "platform/quitsignals.h"
#include "web/draw/drawing.h"
#include "web/schooldata.h"
#include "web/server/httpfront.h"
#include "web/webapp.h"

#include <QCoreApplication>
#include <QDir>
#include <QHostAddress>
#include <QTextStream>

#include <csignal>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace kz::web {

namespace {

constexpr qint64 kLongestPasswordFile = 4096;

Outcome<QString> readPasswordFile(const QString& path) {
    const QString shown = QDir::toNativeSeparators(path);
    // The data files' reader: nothing that is no ordinary file is waited on, nothing long read.
    const Outcome<QByteArray> read = readDataFile(path, kLongestPasswordFile);
    if (!read && read.error().kind == ErrorKind::NotFound)
        return makeError(ErrorKind::NotFound,
                         QStringLiteral("パスワードのファイルがありません: %1").arg(shown));
    if (!read)
        return makeError(
            ErrorKind::Unreadable,
            QStringLiteral("パスワードのファイルを読めません（一行目だけを書いてください）: %1").arg(shown),
            read.error().text());
    QByteArray line = *read;
    if (const qsizetype end = line.indexOf('\n'); end >= 0)
        line.truncate(end);
    while (line.endsWith('\r'))
        line.chop(1);
    return QString::fromUtf8(line);
}

QHostAddress hostAddress(const QString& host) {
    if (host.compare(u"localhost", Qt::CaseInsensitive) == 0)
        return QHostAddress(QHostAddress::LocalHost);
    return QHostAddress(host);
}

} // namespace

void keepMemoryForRereading() {
#if defined(__GLIBC__)
    // Blocks up to 64 MB come from the heap, and up to 256 MB of freed heap stay there.
    mallopt(M_MMAP_THRESHOLD, 64 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
#endif
}

Outcome<ListenAddress> parseListenAddress(const QString& text) {
    const auto refused = [&text] {
        return makeError(
            ErrorKind::Refused,
            QStringLiteral("--listen には 127.0.0.1:8080 や 0.0.0.0:8080 のようにアドレスとポートを"
                           "指定してください（「%1」は使えません）")
                .arg(text));
    };
    const qsizetype colon = text.lastIndexOf(u':');
    if (colon <= 0)
        return refused();
    QString host = text.left(colon);
    const QString portText = text.mid(colon + 1);
    if (host.startsWith(u'[') && host.endsWith(u']'))
        host = host.mid(1, host.size() - 2);
    else if (host.contains(u':'))
        return refused(); // an IPv6 address goes in brackets
    bool ok = false;
    const int port = portText.toInt(&ok);
    if (!ok || port < 0 || port > 65535 || portText.startsWith(u'+') || portText.startsWith(u'-'))
        return refused();
    if (hostAddress(host).isNull())
        return refused();
    return ListenAddress{host, static_cast<quint16>(port)};
}

int runWebServer(const Installation& installation, const ServeOptions& options, QTextStream& out,
                 QTextStream& err) {
    const QHostAddress address = hostAddress(options.listen.host);
    AccessRules access;
    access.loginRequired = !address.isLoopback();
    bool randomPassword = false;
    if (access.loginRequired) {
        if (options.passwordFile.isEmpty()) {
            access.password = randomWebPassword();
            randomPassword = true;
        } else {
            const Outcome<QString> read = readPasswordFile(options.passwordFile);
            if (!read) {
                err << "kazurin2-admin: " << read.error().text() << "\n";
                return 1;
            }
            access.password = *read;
        }
        if (const Status allowed = checkWebPassword(access.password, installation.teacherPassword);
            !allowed) {
            err << "kazurin2-admin: " << allowed.error().text() << "\n";
            return 1;
        }
    }

    keepMemoryForRereading();
    SchoolData data(installation, systemClock());
    ReportsDrawing drawing;
    // The access rules need the port, known once listening; no request is read before the
    // event loop runs, and by then the pages are there.
    HttpFront front;
    const quint16 port = front.listen(address, options.listen.port);
    if (port == 0) {
        err << "kazurin2-admin: " << options.listen.host << ":" << options.listen.port
            << " で待ち受けられません（ほかのプログラムが使っているか、このコンピューターのアドレスでは"
               "ありません）\n";
        return 1;
    }
    if (!access.loginRequired) {
        const QString p = QString::number(port);
        access.allowedHosts = QStringList{QStringLiteral("127.0.0.1:") + p, QStringLiteral("localhost:") + p,
                                          QStringLiteral("[::1]:") + p};
        if (address.protocol() == QAbstractSocket::IPv4Protocol &&
            address != QHostAddress(QHostAddress::LocalHost))
            access.allowedHosts << address.toString() + u':' + p;
    }
    WebApp app(data, drawing, systemClock(), access);
    front.setApp(&app);

    const QString shownHost = address.protocol() == QAbstractSocket::IPv6Protocol
                                  ? u'[' + options.listen.host + u']'
                                  : options.listen.host;
    out << "カズリンその２ の先生用ページ: http://" << shownHost << ":" << port << "/\n";
    if (access.loginRequired) {
        if (randomPassword)
            out << "ログインのパスワード: " << access.password << "\n";
        else
            out << "ログインのパスワード: " << QDir::toNativeSeparators(options.passwordFile)
                << " の一行目\n";
    } else {
        out << "このコンピューターからだけ開けます（ログインなし）\n";
    }
    out.flush();

    installQuitSignalHandlers();
    const int status = QCoreApplication::exec();
    return status == 128 + SIGTERM || status == 128 + SIGINT || status == 128 + SIGHUP ? 0 : status;
}

} // namespace kz::web

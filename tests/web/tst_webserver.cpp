#include "support/smallinstallation.h"
#include "support/testsupport.h"
#include "web/schooldata.h"
#include "web/server/httpfront.h"
#include "web/server/webserver.h"
#include "web/webapp.h"
#include "web/webdrawing.h"

#include "core/installation.h"

#include <QFile>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTest>
#include <QTextStream>

using namespace kz;
using namespace kz::web;

namespace {

class NoDrawing final : public WebDrawing {
public:
    QString reportChart(const ReportFigures&) override { return {}; }
    QString factMap(const FactsReport&, const FactsReport::Student&) override { return {}; }
    Outcome<QByteArray> reportsPdf(const QList<StudentReportSet>&, const QString&) override {
        return QByteArray("%PDF");
    }
    Outcome<QByteArray> factsPdf(const FactsReport&) override { return QByteArray("%PDF"); }
};

class School : public test::SmallInstallation {
public:
    School() {
        write("data/新名簿.txt", {"17,1996,0,0,テスト,0,,"});
        write("data/drill2/タイム回数データ.txt", {"h,,,,,,,,,,,", "60,120,10,3,1,20,100,7,1,,,"});
    }
};

// The raw answer of the server to a request written by hand, as a client that does not
// tidy up its path would send it.
QByteArray exchange(quint16 port, const QByteArray& request) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(10000))
        return "(no connection)";
    socket.write(request);
    QByteArray answer;
    // The server runs on this thread: let the event loop turn while the answer arrives.
    for (int i = 0; i < 1000 && !(answer.contains("\r\n\r\n") && answer.contains("</html>")); ++i) {
        QTest::qWait(10);
        answer += socket.readAll();
        if (answer.contains("\r\n\r\n") && answer.contains("Content-Type: text/css") &&
            answer.contains("}\n"))
            break;
    }
    return answer;
}

QByteArray get(quint16 port, const QByteArray& target) {
    return exchange(port, "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) +
                              "\r\nConnection: close\r\n\r\n");
}

} // namespace

class TestWebServer : public QObject {
    Q_OBJECT
private slots:
    void readsListenAddresses_data();
    void readsListenAddresses();
    void answersOnlyItsOwnPaths_data();
    void answersOnlyItsOwnPaths();
    void refusesToStartUnsafely_data();
    void refusesToStartUnsafely();
};

void TestWebServer::readsListenAddresses_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::newRow("this computer") << "127.0.0.1:8080" << true << "127.0.0.1" << 8080;
    QTest::newRow("every address") << "0.0.0.0:80" << true << "0.0.0.0" << 80;
    QTest::newRow("any free port") << "127.0.0.1:0" << true << "127.0.0.1" << 0;
    QTest::newRow("IPv6") << "[::1]:8080" << true << "::1" << 8080;
    QTest::newRow("a name") << "localhost:8080" << true << "localhost" << 8080;
    QTest::newRow("no port") << "127.0.0.1" << false << "" << 0;
    QTest::newRow("port too high") << "127.0.0.1:65536" << false << "" << 0;
    QTest::newRow("not a port") << "127.0.0.1:http" << false << "" << 0;
    QTest::newRow("IPv6 without brackets") << "::1:8080" << false << "" << 0;
    QTest::newRow("not an address") << "school.example:8080" << false << "" << 0;
    QTest::newRow("empty") << "" << false << "" << 0;
}

void TestWebServer::readsListenAddresses() {
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(QString, host);
    QFETCH(int, port);
    const Outcome<ListenAddress> a = parseListenAddress(text);
    QCOMPARE(a.ok(), ok);
    if (ok) {
        QCOMPARE(a->host, host);
        QCOMPARE(int(a->port), port);
    } else {
        QVERIFY(a.error().message.contains(QStringLiteral("--listen")));
    }
}

void TestWebServer::answersOnlyItsOwnPaths_data() {
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<QByteArray>("status");
    QTest::newRow("the classroom") << QByteArray("/") << QByteArray("200");
    QTest::newRow("the style sheet") << QByteArray("/static/kazurin2-web.css") << QByteArray("200");
    QTest::newRow("dot segments") << QByteArray("/../../../../etc/passwd") << QByteArray("404");
    QTest::newRow("dot segments under static")
        << QByteArray("/static/../../../etc/passwd") << QByteArray("404");
    QTest::newRow("encoded dot segments")
        << QByteArray("/static/%2e%2e/%2e%2e/%2e%2e/etc/passwd") << QByteArray("404");
    QTest::newRow("encoded slashes") << QByteArray("/static/..%2f..%2f..%2fetc%2fpasswd")
                                     << QByteArray("404");
    QTest::newRow("an absolute path") << QByteArray("/etc/passwd") << QByteArray("404");
    QTest::newRow("a double slash") << QByteArray("//etc/passwd") << QByteArray("404");
    QTest::newRow("the data file") << QByteArray("/data/drill2/%E6%88%90%E7%B8%BE%E7%B4%AF%E7%A9%8D.dat")
                                   << QByteArray("404");
}

void TestWebServer::answersOnlyItsOwnPaths() {
    QFETCH(QByteArray, target);
    QFETCH(QByteArray, status);
    School school;
    Installation inst;
    QVERIFY(resolveInstallationPaths(school.programFolder(), &inst));
    SchoolData data(inst, systemClock());
    NoDrawing drawing;
    HttpFront front;
    const quint16 port = front.listen(QHostAddress::LocalHost, 0);
    QVERIFY(port != 0);
    AccessRules access;
    access.allowedHosts = {QStringLiteral("127.0.0.1:%1").arg(port)};
    WebApp app(data, drawing, systemClock(), access);
    front.setApp(&app);

    const QByteArray answer = get(port, target);
    QVERIFY2(answer.startsWith("HTTP/1.1 " + status), answer.left(300).constData());
    QVERIFY(!answer.contains("root:"));
    QVERIFY(answer.contains("Content-Security-Policy: default-src 'none'; script-src 'self'"));
}

void TestWebServer::refusesToStartUnsafely_data() {
    QTest::addColumn<QString>("listen");
    QTest::addColumn<QByteArray>("password"); // written to the password file; "-" for none
    QTest::addColumn<QString>("message");
    QTest::newRow("the teachers' 4 digits") << "0.0.0.0:0" << QByteArray("1414\n") << "8 文字以上";
    QTest::newRow("too short") << "0.0.0.0:0" << QByteArray("abc\r\n") << "8 文字以上";
    QTest::newRow("the teachers' password") << "0.0.0.0:0" << QByteArray("pass-sakura\n") << "使わないで";
    QTest::newRow("no such file") << "0.0.0.0:0" << QByteArray("-") << "パスワードのファイルがありません";
    QTest::newRow("an address of another computer")
        << "192.0.2.1:0" << QByteArray("sakura-2004\n") << "待ち受けられません";
}

void TestWebServer::refusesToStartUnsafely() {
    QFETCH(QString, listen);
    QFETCH(QByteArray, password);
    QFETCH(QString, message);
    School school;
    Installation inst;
    QVERIFY(resolveInstallationPaths(school.programFolder(), &inst));
    inst.teacherPassword = QStringLiteral("pass-sakura");
    ServeOptions options;
    options.listen = *parseListenAddress(listen);
    options.passwordFile = school.path("web-password");
    if (password != "-") {
        QFile f(options.passwordFile);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(password);
    }
    QString out;
    QString err;
    QTextStream o(&out);
    QTextStream e(&err);
    // Refused before serving anything: the call returns instead of running the event loop.
    QCOMPARE(runWebServer(inst, options, o, e), 1);
    e.flush();
    QVERIFY2(err.contains(message), qPrintable(err));
    QVERIFY(!out.contains(QStringLiteral("http://")));
}

QTEST_GUILESS_MAIN(TestWebServer)
#include "tst_webserver.moc"

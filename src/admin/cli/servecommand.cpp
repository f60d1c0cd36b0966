// kazurin2-admin serve: the teachers' web pages of the installation (see src/web).
#include "admin/cli/admincli.h"
#include "admin/cli/cliarguments.h"

#include "web/server/webserver.h"

#include <QTextStream>

namespace kz::admin {

Outcome<web::ServeOptions> parseServeArguments(const QStringList& args) {
    web::ServeOptions options;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const Outcome<NamedValue> option = namedValue(args, &i);
        if (!option)
            return option.error();
        if (option->name == u"--listen") {
            const Outcome<web::ListenAddress> address = web::parseListenAddress(option->value);
            if (!address)
                return usage(address.error().message);
            options.listen = *address;
        } else if (option->name == u"--password-file") {
            if (option->value.isEmpty())
                return usage(QStringLiteral("--password-file にはファイルを指定してください"));
            options.passwordFile = option->value;
        } else {
            return usage(QStringLiteral("serve に %1 というオプションはありません").arg(option->name));
        }
    }
    return options;
}

QString serveHelpText() {
    return QStringLiteral(
        "  serve [--listen ADDR:PORT] [--password-file FILE]\n"
        "               先生用のページ（今日の教室、成績一覧、生徒ごとの成績表と問題別の記録、\n"
        "               PDF）をブラウザーに出します。何も書き込みません。止めるまで動きます。\n"
        "               --listen は待ち受けるアドレスとポート（省略時 127.0.0.1:8080: この\n"
        "               コンピューターからだけ）。0.0.0.0:8080 のようにほかのアドレスで待つ\n"
        "               ときはログインが要ります: パスワードは --password-file のファイルの\n"
        "               一行目（8 文字以上、先生のデータ変更のパスワードは使えません）、\n"
        "               省略すると始めに作って表示します。\n");
}

int runServe(const Installation& inst, const QStringList& arguments, QTextStream& out, QTextStream& err) {
    const Outcome<web::ServeOptions> options = parseServeArguments(arguments);
    if (!options) {
        err << "kazurin2-admin: " << options.error().text() << "\n"
            << "使い方は kazurin2-admin --help で表示されます\n";
        return ExitUsage;
    }
    return web::runWebServer(inst, *options, out, err);
}

} // namespace kz::admin

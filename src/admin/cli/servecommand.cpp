// kazurin2-admin serve: the teachers' web pages of the installation (see src/web).
#include "admin/cli/cliarguments.h"
#include "admin/cli/commands.h"

namespace kz::admin {

QString ServeCommand::summary() {
    return QStringLiteral("先生用のページ（今日の教室、成績一覧、生徒ごとの成績）をブラウザーに出します");
}

Outcome<ServeCommand::Options> ServeCommand::parse(const QStringList& args) {
    Options options;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (isOption(arg, QStringLiteral("--listen"))) {
            const Outcome<QString> value = optionValue(args, &i, QStringLiteral("--listen"));
            if (!value)
                return value.error();
            const Outcome<web::ListenAddress> address = web::parseListenAddress(*value);
            if (!address)
                return usage(address.error().message);
            options.listen = *address;
        } else if (isOption(arg, QStringLiteral("--password-file"))) {
            const Outcome<QString> value = optionValue(args, &i, QStringLiteral("--password-file"));
            if (!value)
                return value.error();
            if (value->isEmpty())
                return usage(QStringLiteral("--password-file にはファイルを指定してください"));
            options.passwordFile = *value;
        } else {
            return refuseArgument(arg);
        }
    }
    return options;
}

QString ServeCommand::help() {
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

int ServeCommand::run(const Options& options, const CommandRun& run) {
    const std::optional<Installation> installation = installationOrTell(run);
    if (!installation)
        return ExitProblems;
    return web::runWebServer(*installation, options, run.out, run.err);
}

} // namespace kz::admin

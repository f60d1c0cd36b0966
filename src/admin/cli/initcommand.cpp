// kazurin2-admin init: the files of a new school.
#include "admin/cli/cliarguments.h"
#include "admin/cli/commands.h"
#include "core/installation.h"
#include "core/newschool.h"
#include "core/recordingrights.h"
#include "data/textio.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace kz::admin {

namespace {

constexpr int kMaxPasswordChars = 40;

// Where the package keeps the sounds and criteria a new school starts with.
QString defaultBundledFolder(const CommandRun& run) {
    return run.companionFolder + QStringLiteral("/school-template");
}

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// What the path file already there names, when it names another data folder.
QString otherDataFolder(const QString& pathFile, const QString& dataFolder) {
    const Outcome<FreeValueText> text = FreeValueText::load(pathFile);
    if (!text || text->valueCount() < 1)
        return {};
    QString value = text->value(0);
    value.replace(u'\\', u'/');
    if (!value.endsWith(u'/'))
        value += u'/';
    if (QDir::isRelativePath(value))
        value = QFileInfo(pathFile).absolutePath() + u'/' + value;
    return QDir::cleanPath(value) == QDir::cleanPath(dataFolder) ? QString() : text->value(0);
}

} // namespace

QString InitCommand::summary() {
    return QStringLiteral("新しい塾のデータフォルダと、このコンピューターのパスデータ.txt を作ります");
}

QString InitCommand::help() {
    return QStringLiteral(
        "  init --data-folder DIR [--install-folder DIR]\n"
        "       --site-code CODE --site-name NAME --password TEXT [--template-folder DIR]\n"
        "               新しい塾のデータフォルダ DIR を作ります: 共通データ.txt（塾のコード\n"
        "               CODE（1～5 けたの数字）、塾名 NAME、先生のパスワード TEXT、学年は\n"
        "               4 月から）、先生一人の名簿 新名簿.txt、音フォルダ（音と\n"
        "               新音ファイル.txt）、プログラムのフォルダの名前のフォルダに合格基準\n"
        "               タイム回数データ.txt と空の成績ファイル。--install-folder DIR では\n"
        "               そのフォルダ（プログラムのフォルダの一つ上）に、データフォルダを指す\n"
        "               パスデータ.txt（Shift-JIS、CR LF）を書きます。あるファイルは書き換えず\n"
        "               そのままにします（二台目からは同じコマンドでパスデータ.txt だけが\n"
        "               できます。共通データ.txt があれば --site-code などは要りません）。\n"
        "               音と合格基準はパッケージのもの（--template-folder で別のフォルダ）。\n"
        "               最後に、実行した利用者の書き込みの権限を確かめ、次にすることを示します。\n");
}

Outcome<InitCommand::Options> InitCommand::parse(const QStringList& args) {
    Options options;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        QString* into = nullptr;
        QString name;
        for (const auto& [option, target] :
             {std::pair{QStringLiteral("--data-folder"), &options.dataFolder},
              std::pair{QStringLiteral("--install-folder"), &options.installFolder},
              std::pair{QStringLiteral("--site-code"), &options.siteCode},
              std::pair{QStringLiteral("--site-name"), &options.siteName},
              std::pair{QStringLiteral("--password"), &options.password},
              std::pair{QStringLiteral("--template-folder"), &options.templateFolder}}) {
            if (isOption(arg, option)) {
                into = target;
                name = option;
            }
        }
        if (!into)
            return refuseArgument(arg);
        const Outcome<QString> value = optionValue(args, &i, name);
        if (!value)
            return value.error();
        if (value->isEmpty())
            return usage(QStringLiteral("%1 には値が要ります").arg(name));
        *into = *value;
    }
    if (options.dataFolder.isEmpty())
        return usage(QStringLiteral("init には --data-folder DIR が要ります"));
    if (!options.siteCode.isEmpty()) {
        const Outcome<QString> code = siteCodeFrom(options.siteCode);
        if (!code)
            return usage(code.error().message);
        options.siteCode = *code;
    }
    if (!options.siteName.isEmpty()) {
        if (const Status ok =
                checkTextValue(QStringLiteral("--site-name"), options.siteName, kMaxSiteTextChars - 5);
            !ok)
            return usage(ok.error().message);
    }
    if (!options.password.isEmpty()) {
        if (const Status ok =
                checkTextValue(QStringLiteral("--password"), options.password, kMaxPasswordChars);
            !ok)
            return usage(ok.error().message);
    }
    return options;
}

int InitCommand::run(const Options& options, const CommandRun& run) {
    QTextStream& out = run.out;
    QTextStream& err = run.err;
    NewSchool school;
    school.dataFolder = dataFolderValue(options.dataFolder, QDir::currentPath());
    if (const Status ok = checkTextValue(QStringLiteral("--data-folder"), school.dataFolder, kMaxPathChars);
        !ok) {
        err << "kazurin2-admin: " << ok.error().message << "\n";
        return ExitUsage;
    }
    school.programFolderName = QFileInfo(run.programFolder).fileName();
    school.siteCode = options.siteCode;
    school.siteName = options.siteName;
    school.teacherPassword = options.password;

    const QString settingsPath = school.dataFolder + QStringLiteral("共通データ.txt");
    const bool settingsExist = QFileInfo::exists(settingsPath);
    if (!settingsExist &&
        (school.siteCode.isEmpty() || school.siteName.isEmpty() || school.teacherPassword.isEmpty())) {
        err << "kazurin2-admin: 新しいデータフォルダの 共通データ.txt には --site-code、--site-name と "
               "--password が要ります\n"
            << "使い方は kazurin2-admin init --help で表示されます\n";
        return ExitUsage;
    }

    const QString bundled =
        options.templateFolder.isEmpty() ? defaultBundledFolder(run) : options.templateFolder;
    const Outcome<QList<NewFile>> planned = dataFolderFiles(school, bundled);
    if (!planned) {
        err << "kazurin2-admin: " << planned.error().message << "\n";
        return ExitProblems;
    }
    QList<NewFile> files = *planned;
    QString pathFile;
    QString otherFolder;
    if (!options.installFolder.isEmpty()) {
        pathFile = QDir(options.installFolder).absoluteFilePath(QStringLiteral("パスデータ.txt"));
        if (QFileInfo::exists(pathFile))
            otherFolder = otherDataFolder(pathFile, school.dataFolder);
        files.append({pathFile, pathFileLines(school.dataFolder), {}, false, {}});
    }

    const QList<MadeFile> made = makeFiles(files);
    int failed = 0;
    int kept = 0;
    for (const MadeFile& m : made) {
        switch (m.result) {
        case MadeFile::Made:
            out << "作りました: " << shown(m.path) << "\n";
            break;
        case MadeFile::Kept:
            ++kept;
            out << "そのままにしました（あります）: " << shown(m.path) << "\n";
            break;
        case MadeFile::Failed:
            ++failed;
            err << "kazurin2-admin: " << shown(m.path) << ": " << m.reason << "\n";
            break;
        }
    }
    if (!otherFolder.isEmpty())
        err << "kazurin2-admin: " << shown(pathFile) << " はほかのデータフォルダ「" << otherFolder
            << "」を指しています。書き換えていません。このデータフォルダを使うなら、そのファイルを消してから"
               "もう一度実行してください\n";

    // The rights of the one who ran init; the classroom's users are checked by check.
    Installation installation;
    installation.dataRoot = school.dataFolder;
    installation.programFolderName = school.programFolderName;
    installation.programDataFolder = school.dataFolder + school.programFolderName + u'/';
    installation.soundFolder = school.dataFolder + QStringLiteral("音フォルダ/");
    const QList<RightsProblem> rights = failed == 0 ? checkWriteRights(installation) : QList<RightsProblem>{};
    for (const RightsProblem& p : rights)
        err << "kazurin2-admin: " << shown(p.path) << ": " << p.text << "\n";

    const QString data = shown(school.dataFolder);
    const QString admin = QStringLiteral("kazurin2-admin");
    out << "\n次にすること:\n";
    int step = 0;
    out << ++step << ". 名簿 " << data << "新名簿.txt に生徒を書いてください（Shift-JIS、CR LF。一行に一人: "
        << "番号,生まれた年,0,0,名前,0,,。番号は 1～5000、塾の最高記録に入るのは 1～1000）。名前に ★ か 先生 "
           "がある行は先生です。\n";
    out << ++step << ". 教室でプログラムを使う利用者が、データフォルダに書き込めるようにしてください。例: "
        << "sudo chown -R 利用者 '" << data << "' または sudo chgrp -R グループ '" << data
        << "' && sudo chmod -R g+rwX '" << data << "' && sudo find '" << data
        << "' -type d -exec chmod g+s {} +（フォルダの g+s "
           "で、あとから作られるファイルもそのグループになります。"
        << "共有フォルダでは、サーバーの所有者とマウントのオプション）。\n";
    if (pathFile.isEmpty())
        out << ++step
            << ". この塾のどのコンピューターでも、プログラムのフォルダの一つ上に パスデータ.txt を作ります: "
            << admin << " init --data-folder '" << data << "' --install-folder /opt/kazurin2\n";
    else
        out << ++step << ". 教室のほかのコンピューターでは、同じデータフォルダ（共有）を指して: " << admin
            << " init --data-folder '" << data << "' --install-folder '" << shown(options.installFolder)
            << "'\n";
    out << ++step << ". 教室の利用者として " << admin
        << " check を実行し、「問題はありません」と出ることを確かめてください。\n";
    out << ++step << ". データフォルダを共有するなら、二台のコンピューターで " << admin
        << " lock-test を試してください。\n";
    if (!settingsExist)
        out << "学年の始まりは 4 月にしました（" << shown(settingsPath) << " の最初の値）。\n";
    if (kept > 0)
        out << "あったファイル " << kept << " 個は書き換えていません。\n";
    return failed > 0 || !otherFolder.isEmpty() || !rights.isEmpty() ? ExitProblems : ExitOk;
}

} // namespace kz::admin

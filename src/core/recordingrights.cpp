#include "core/recordingrights.h"

#include "core/installation.h"
#include "data/answerlog.h"
#include "data/textio.h"
#include "platform/account.h"
#include "platform/filelock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>

namespace kz {

namespace {

// What to change so that the running user may write path.
QString whatToChange(const QString& path, bool folder, const Error& cause) {
    if (cause.code == EROFS)
        return QStringLiteral("ファイルシステムが読み取り専用でマウントされています。書き込みできるように"
                              "マウントしてください（ro ではなく rw）。");
    const QString native = QDir::toNativeSeparators(path);
    const QString user = runningUserName();
    const QString owned = ownershipText(path);
    return QStringLiteral("利用者 %1に書き込みの権限がありません%2。所有者をこの利用者にする"
                          "（sudo chown %3 '%4'）か、この利用者のグループに書き込みを許してください"
                          "（sudo chgrp グループ '%4' && sudo chmod g+%5 '%4'）。共有フォルダでは"
                          "マウントのオプションも確かめてください（SMB: uid=・gid=・file_mode=・dir_mode=、"
                          "NFS: サーバーの root_squash・all_squash）。")
        .arg(runningUserText(), owned.isEmpty() ? QString() : QStringLiteral("（%1）").arg(owned), user,
             native, folder ? QStringLiteral("rwx") : QStringLiteral("rw"));
}

QString systemReason(const Error& error) {
    const QString reason = error.detail.isEmpty() ? error.message : error.detail;
    return reason.isEmpty() ? QString() : QStringLiteral("（%1）").arg(reason);
}

RightsProblem problem(const QString& path, bool folder, const QString& what, const Error& cause,
                      bool blocksRecording) {
    return {path, what + systemReason(cause) + QStringLiteral("。") + whatToChange(path, folder, cause),
            blocksRecording};
}

bool isExistingFile(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && info.isFile();
}

// Opens an existing file for writing and closes it; nothing is written.
Status probeWrite(const QString& path) {
    SharedFile file;
    if (const Status opened = file.open(path, SharedFile::Mode::ReadWrite); !opened)
        return opened;
    return file.close();
}

} // namespace

QList<RightsProblem> checkWriteRights(const Installation& inst) {
    QList<RightsProblem> problems;
    const QString folder = inst.programDataFolder;
    const QString folderPath = QDir::cleanPath(folder); // named without its closing separator
    const QFileInfo folderInfo(folder);
    if (!folderInfo.isDir()) {
        problems.append({folderPath,
                         QStringLiteral("プログラムのデータフォルダがありません。成績を記録できません。"
                                        "kazurin2-admin init でデータフォルダを作るか、このフォルダを作って"
                                        "ください。"),
                         true});
        return problems;
    }

    const QString results = inst.resultsPath();
    const bool resultsExist = isExistingFile(results);
    if (resultsExist) {
        SharedFile file;
        if (const Status opened = file.open(results, SharedFile::Mode::ReadWrite); !opened) {
            problems.append(problem(results, false,
                                    QStringLiteral("成績ファイルを書き込みのために開けないので、成績を記録"
                                                   "できません"),
                                    opened.error(), true));
        } else {
            const Status locked = file.tryLockExclusive();
            if (locked)
                (void)file.unlock();
            else if (locked.error().kind != ErrorKind::Locked)
                problems.append(
                    {results,
                     QStringLiteral("成績ファイルをロックできないので、成績を記録できません%1。共有のマウント"
                                    "（NFS の nolock、SMB の nobrl など）を確かめ、kazurin2-admin lock-test "
                                    "で試してください。")
                         .arg(systemReason(locked.error())),
                     true});
            (void)file.close();
        }
    }

    // The record browser's copy, a saved criteria file and a first results file are new
    // files in this folder.
    const QString scratch =
        folder +
        QStringLiteral(".権限の確認-%1-%2.tmp").arg(computerName()).arg(QCoreApplication::applicationPid());
    SharedFile made;
    if (const Status created = made.open(scratch, SharedFile::Mode::CreateNew); !created) {
        problems.append(problem(folderPath, true,
                                resultsExist ? QStringLiteral("フォルダに新しいファイルを作れないので、記録の"
                                                              "消去（成績累積データtemp.dat）と合格基準の"
                                                              "保存ができません")
                                             : QStringLiteral("フォルダに成績ファイルを作れないので、成績を"
                                                              "記録できません"),
                                created.error(), !resultsExist));
    } else {
        (void)made.close();
        QFile file(scratch);
        if (!file.remove())
            problems.append(problem(
                folderPath, true, QStringLiteral("フォルダのファイルを消せないので、記録の消去ができません"),
                makeError(ErrorKind::WriteFailed, {}, file.errorString()), false));
    }

    const QString criteria = inst.criteriaPath();
    if (isExistingFile(criteria)) {
        if (const Status writable = probeWrite(criteria); !writable)
            problems.append(problem(criteria, false,
                                    QStringLiteral("合格基準のファイルに書き込めないので、"
                                                   "先生の基準変更を保存できません"),
                                    writable.error(), false));
    }
    const QString answers = inst.programDataFolder + answerLogFileName();
    if (isExistingFile(answers)) {
        if (const Status writable = probeWrite(answers); !writable)
            problems.append(problem(answers, false,
                                    QStringLiteral("解答の記録に書き込めないので、答えの記録が残りません"),
                                    writable.error(), false));
    }
    return problems;
}

bool recordingBlocked(const QList<RightsProblem>& problems) {
    return std::any_of(problems.cbegin(), problems.cend(),
                       [](const RightsProblem& p) { return p.blocksRecording; });
}

QString recordingBlockedShortNotice(const QList<RightsProblem>& problems) {
    if (!recordingBlocked(problems))
        return {};
    return QStringLiteral("成績を記録できません（データフォルダに書き込めません）。成績はこのコンピューターに"
                          "残し、書き込めるようになったら記録します。先生に知らせてください。");
}

QString rightsNotice(const QList<RightsProblem>& problems) {
    if (problems.isEmpty())
        return {};
    QString text =
        recordingBlocked(problems)
            ? QStringLiteral("成績を記録できません。成績はこのコンピューターに残し、書き込めるように"
                             "なったら記録します。先生に知らせてください。")
            : QStringLiteral("データフォルダの一部のファイルに書き込めません。");
    for (const RightsProblem& p : problems)
        text += QStringLiteral("\n\n%1\n%2").arg(shortenForMessage(QDir::toNativeSeparators(p.path)), p.text);
    return text;
}

} // namespace kz

#include "platform/systemerror.h"

#include <cerrno>
#include <cstring>

namespace kz {

namespace {

struct Advice {
    int code;
    const char16_t* text;
};

// The errors a classroom computer meets with its data folder on a local disk, a USB
// stick or a network share.
const Advice kAdvice[] = {
    {EACCES, u"この操作をする権限がありません。管理者にフォルダとファイルの権限を確かめてもらってください。"},
    {EPERM, u"この操作は許されていません。管理者にフォルダとファイルの権限を確かめてもらってください。"},
    {ENOENT, u"ファイルかフォルダが見つかりません。場所と名前、ネットワークのドライブがつながっているかを"
             u"確かめてください。"},
    {ENOSPC, u"ディスクがいっぱいです。いらないファイルを消して空きを作ってから、もう一度してください。"},
    {EDQUOT, u"ディスクの使用量の上限に達しました。いらないファイルを消すか、管理者に上限を確かめてもらって"
             u"ください。"},
    {EROFS, u"書き込みのできないディスクです。USB メモリの書き込み禁止スイッチや、管理者の設定を"
            u"確かめてください。"},
    {EBUSY, u"ほかのプログラムが使っています。しばらく待ってから、もう一度してください。"},
    {ETXTBSY, u"ほかのプログラムが使っています。しばらく待ってから、もう一度してください。"},
    {EAGAIN, u"ほかのコンピューターが使っています。しばらく待ってから、もう一度してください。"},
    {EIO, u"ディスクの読み書きでエラーが起きました。ディスクやネットワークのつながりを確かめて、直らなければ"
          u"管理者に相談してください。"},
    {ENAMETOOLONG, u"ファイルの名前か場所が長すぎます。短い名前のフォルダを使ってください。"},
    {ENOTDIR, u"場所の途中にフォルダでないものがあります。フォルダの場所を確かめてください。"},
    {EISDIR, u"ファイルのあるべきところにフォルダがあります。管理者に相談してください。"},
    {EMFILE, u"開いているファイルが多すぎます。ほかのプログラムを閉じてから、もう一度してください。"},
    {ENFILE, u"コンピューター全体で開いているファイルが多すぎます。ほかのプログラムを閉じてから、もう一度"
             u"してください。"},
    {ESTALE, u"ネットワークのフォルダとのつながりが切れています。フォルダを開き直すか、コンピューターを"
             u"再起動してください。"},
    {ENOTCONN, u"ネットワークのつながりが切れました。ネットワークとファイルのあるコンピューターを確かめて"
               u"ください。"},
    {ECONNRESET, u"ネットワークのつながりが切れました。ネットワークとファイルのあるコンピューターを確かめて"
                 u"ください。"},
    {ECONNABORTED, u"ネットワークのつながりが切れました。ネットワークとファイルのあるコンピューターを確かめて"
                   u"ください。"},
    {ETIMEDOUT, u"ネットワークの相手が答えません。ネットワークとファイルのあるコンピューターを確かめて"
                u"ください。"},
    {EHOSTDOWN, u"ファイルのあるコンピューターにつながりません。そのコンピューターとネットワークを確かめて"
                u"ください。"},
    {EHOSTUNREACH, u"ファイルのあるコンピューターにつながりません。そのコンピューターとネットワークを"
                   u"確かめてください。"},
    {ENETDOWN, u"ネットワークが使えません。ネットワークのケーブルや設定を確かめてください。"},
    {ENETUNREACH, u"ネットワークが使えません。ネットワークのケーブルや設定を確かめてください。"},
    {ENXIO, u"装置が見つかりません。ディスクやネットワークのつながりを確かめてください。"},
    {ENODEV, u"装置が見つかりません。ディスクやネットワークのつながりを確かめてください。"},
    {EEXIST, u"同じ名前のものがすでにあります。"},
    {EFBIG, u"ファイルが大きすぎます。管理者に相談してください。"},
    {ENOMEM, u"メモリが足りません。ほかのプログラムを閉じてから、もう一度してください。"},
    {ENOLCK,
     u"ファイルのロックが使えません。ネットワークのフォルダの設定を管理者に確かめてもらってください。"},
    {ELOOP, u"フォルダの場所が循環しています（リンクが多すぎます）。管理者に相談してください。"},
    {EXDEV, u"別のディスクへは移せません。管理者に相談してください。"},
    {EINTR, u"操作が途中で止められました。もう一度してください。"},
    {EBADF, u"ファイルが開かれていません。もう一度してください。"},
    {EINVAL, u"この場所ではこの操作ができません。管理者に相談してください。"},
    {EOPNOTSUPP, u"このディスクではこの操作ができません。管理者に相談してください。"},
    {EPIPE, u"相手のプログラムとのつながりが切れました。もう一度してください。"},
};

} // namespace

QString systemErrorAdvice(int code) {
    for (const Advice& a : kAdvice) {
        if (a.code == code)
            return QString::fromUtf16(a.text);
    }
    // ENOTSUP and EWOULDBLOCK are other names of EOPNOTSUPP and EAGAIN on Linux; where
    // they are numbers of their own they mean the same.
    if (code == ENOTSUP)
        return systemErrorAdvice(EOPNOTSUPP);
    if (code == EWOULDBLOCK)
        return systemErrorAdvice(EAGAIN);
    return QStringLiteral(
        "システムのエラーが起きました。もう一度して、直らなければ管理者に相談してください。");
}

QString explainedSystemError(int code, const QString& systemText) {
    const QString text = systemText.isEmpty() ? QString::fromLocal8Bit(std::strerror(code)) : systemText;
    return systemErrorAdvice(code) + QStringLiteral("（") + text + QStringLiteral(" (%1)）").arg(code);
}

} // namespace kz

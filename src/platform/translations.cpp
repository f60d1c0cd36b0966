#include "platform/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstring>

namespace kz {

namespace {

struct Caption {
    const char* context;
    const char* source;
    const char16_t* japanese;
};

// Texts of Qt's dialogs that Qt's own Japanese translation leaves in English.
const Caption kCaptions[] = {
    // The print dialog and its options.
    {"QPrintDialog", "Print to File", u"ファイルへ出力"},
    {"QPrintDialog", "Options >>", u"オプション >>"},
    {"QPrintDialog", "<< Options", u"<< オプション"},
    {"QPrintSettingsOutput", "Double Sided Printing", u"両面印刷"},
    {"QPrintSettingsOutput", "Off", u"しない"},
    {"QPrintSettingsOutput", "Long side binding", u"長辺とじ"},
    {"QPrintSettingsOutput", "Short side binding", u"短辺とじ"},
    {"QPrintSettingsOutput", "Pages", u"ページ指定"},
    {"QPrintSettingsOutput",
     "Specify pages or ranges separated by commas. Ranges are specified by two numbers separated by a "
     "hyphen. E.g: 3,5-7,9 prints pages 3, 5, 6, 7 and 9.",
     u"ページかページの範囲をコンマで区切って指定します。範囲は二つの数をハイフンでつなぎます。"
     u"例: 3,5-7,9 はページ 3、5、6、7、9 を印刷します。"},
    {"QPrintPropertiesWidget", "Advanced", u"詳細設定"},
    {"QPrintPropertiesWidget", "There are conflicts in some options. Please fix them.",
     u"両立しない設定があります。設定を直してください。"},
    // The kinds of entries in the file and folder dialogs.
    {"QAbstractFileIconProvider", "Folder", u"フォルダ"},
    {"QAbstractFileIconProvider", "Drive", u"ドライブ"},
    {"QAbstractFileIconProvider", "File", u"ファイル"},
    {"QAbstractFileIconProvider", "%1 File", u"%1 ファイル"},
    {"QAbstractFileIconProvider", "Alias", u"エイリアス"},
    {"QAbstractFileIconProvider", "Shortcut", u"ショートカット"},
};

// Asked before Qt's own translations (installed after them): answers only the texts of
// the table, so everything else is Qt's.
class OwnCaptions final : public QTranslator {
public:
    using QTranslator::QTranslator;
    QString translate(const char* context, const char* sourceText, const char*, int) const override {
        return ownQtCaption(context, sourceText);
    }
    bool isEmpty() const override { return false; }
};

} // namespace

QString ownQtCaption(const char* context, const char* sourceText) {
    if (!context || !sourceText)
        return {};
    for (const Caption& c : kCaptions) {
        if (std::strcmp(c.context, context) == 0 && std::strcmp(c.source, sourceText) == 0)
            return QString::fromUtf16(c.japanese);
    }
    return {};
}

QStringList installJapaneseTranslations(QCoreApplication& application) {
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    QStringList missing;
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    // Owned by the application: they live as long as it does.
    auto* qt = new QTranslator(&application);
    if (qt->load(QStringLiteral("qtbase_ja"), folder))
        QCoreApplication::installTranslator(qt);
    else
        missing << folder + QStringLiteral("/qtbase_ja.qm");
    QCoreApplication::installTranslator(new OwnCaptions(&application));
    return missing;
}

} // namespace kz

// The path file and the common settings file over any bytes. The input holds the path
// file, then, after the first NUL byte, the common settings file; both are laid out as
// an installation has them (a data root "data/", relative to the folder of the path file, leads to the
// settings file).
#include "fuzzsupport.h"

#include "core/installation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const qsizetype split = input.indexOf('\0');
    const QByteArray pathFile = split < 0 ? input : input.left(split);
    const QByteArray settings = split < 0 ? QByteArray() : input.mid(split + 1);

    // The program folder is "school/kazurin2"; its path file is in "school".
    kzfuzz::writeScratch(QStringLiteral("school/パスデータ.txt"), pathFile);
    kzfuzz::writeScratch(QStringLiteral("school/data/共通データ.txt"), settings);
    const QString programFolder = kzfuzz::scratchFolder() + QStringLiteral("school/kazurin2");

    kz::Installation inst;
    if (const kz::Status resolved = kz::resolveInstallationPaths(programFolder, &inst); !resolved) {
        KZ_FUZZ_CHECK(!resolved.error().detail.isEmpty() && !resolved.error().message.isEmpty());
        return 0;
    }
    KZ_FUZZ_CHECK(inst.programFolderName == QStringLiteral("kazurin2"));
    KZ_FUZZ_CHECK(inst.programDataFolder.startsWith(inst.dataRoot) &&
                  inst.soundFolder.startsWith(inst.dataRoot));
    KZ_FUZZ_CHECK(inst.siteCode.size() <= 5);
    (void)inst.launcherPath();
    (void)inst.resultsPath();
    return 0;
}

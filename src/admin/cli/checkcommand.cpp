#include "admin/cli/admincli.h"

#include "core/catalogue.h"
#include "core/soundtable.h"
#include "data/oledate.h"
#include "data/passcriteria.h"
#include "data/resultstore.h"
#include "data/roster.h"
#include "data/textio.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <cmath>

namespace kz::admin {

namespace {

constexpr int kPathFileValues = 10;
constexpr int kSettingsValues = 10;
constexpr int kCriteriaFields = PassCriteria::kFieldCount;

class Report {
public:
    explicit Report(QTextStream& out) : out_(out) {}
    void file(const QString& path, const QString& what) { line(path, QString(), what); }
    void atLine(const QString& path, int number, const QString& what) {
        line(path, QString::number(number), what);
    }
    void atRecord(const QString& path, qint64 number, const QString& what) {
        line(path, QStringLiteral("record %1").arg(number), what);
    }
    int count() const { return count_; }

private:
    void line(const QString& path, const QString& where, const QString& what) {
        out_ << QDir::toNativeSeparators(path);
        if (!where.isEmpty())
            out_ << ':' << where;
        out_ << ": " << what << '\n';
        ++count_;
    }
    QTextStream& out_;
    int count_ = 0;
};

// A numeric field of a data file: empty, or a number and nothing else.
bool isNumberOrEmpty(const QString& text) {
    if (text.trimmed().isEmpty())
        return true;
    bool complete = false;
    (void)leadingNumber(text, &complete);
    return complete;
}

void checkPathFile(const QString& pathFile, Report& report) {
    FreeValueText text;
    TextReadError error;
    if (!FreeValueText::load(pathFile, &text, &error)) {
        report.file(pathFile, error.message);
        return;
    }
    if (text.valueCount() < kPathFileValues)
        report.file(pathFile, QStringLiteral("holds %1 values; the path file has 10").arg(text.valueCount()));
    if (text.valueCount() >= 1) {
        const QString root = text.value(0);
        if (!root.endsWith(u'\\') && !root.endsWith(u'/'))
            report.atLine(
                pathFile, text.lineOfValue(0),
                QStringLiteral(
                    "the data folder \"%1\" does not end with a separator, so file names run into it")
                    .arg(root));
    }
}

void checkSettings(const Installation& inst, Report& report) {
    const QString path = inst.dataRoot + QStringLiteral("共通データ.txt");
    FreeValueText text;
    TextReadError error;
    if (!FreeValueText::load(path, &text, &error)) {
        report.file(path, error.message);
        return;
    }
    if (text.valueCount() < kSettingsValues)
        report.file(path,
                    QStringLiteral("holds %1 values; the common settings have 10").arg(text.valueCount()));
    if (text.valueCount() >= 1) {
        bool complete = false;
        const double month = leadingNumber(text.value(0), &complete);
        if (!complete || month != std::floor(month) || month < 1 || month > 12)
            report.atLine(
                path, text.lineOfValue(0),
                QStringLiteral("the first month of the school year \"%1\" is not 1..12").arg(text.value(0)));
    }
    if (text.valueCount() >= 3 && !isNumberOrEmpty(text.value(2)))
        report.atLine(path, text.lineOfValue(2),
                      QStringLiteral("the listing switch \"%1\" is not a number").arg(text.value(2)));
    ResultRecord probe;
    probe.setSiteCode(inst.siteCode);
    QString written = probe.siteCodeText();
    while (written.endsWith(u' '))
        written.chop(1);
    if (written != inst.siteCode)
        report.atLine(path, text.valueCount() >= 2 ? text.lineOfValue(1) : 1,
                      QStringLiteral("the site code \"%1\" does not fit the five bytes of a result record")
                          .arg(inst.siteCode));
}

void checkRoster(const Installation& inst, Report& report) {
    const QString path = inst.rosterPath();
    RosterTables tables;
    const RosterLoadResult loaded =
        loadRoster(path, QDate::currentDate(), inst.schoolYearStartMonth, inst.flagTwoListed, &tables);
    if (!loaded.found) {
        report.file(path, loaded.message);
        return;
    }
    for (const RosterProblem& problem : loaded.problems)
        report.atLine(path, problem.line, problem.text);
}

void checkCriteria(const Installation& inst, Report& report) {
    const QString path = inst.criteriaPath();
    FreeValueText text;
    TextReadError error;
    if (!FreeValueText::load(path, &text, &error)) {
        report.file(path, error.message);
        return;
    }
    for (const TextLine& line : text.lines()) {
        if (line.values.size() != kCriteriaFields)
            report.atLine(path, line.number,
                          QStringLiteral("holds %1 fields; every line has 12").arg(line.values.size()));
    }
    PassCriteriaTable table;
    const CriteriaLoadResult loaded = loadPassCriteria(path, &table);
    if (!loaded.ok) {
        report.file(path, loaded.message);
        return;
    }
    if (loaded.truncated)
        report.file(path, QStringLiteral("more than 35 level lines; only the first 35 are read"));
    if (table.levelLines < kLevelCount)
        report.file(path, QStringLiteral("holds %1 level lines; the %2 levels need %2")
                              .arg(table.levelLines)
                              .arg(kLevelCount));
    const std::array<QString, 12> titles = passCriteriaHeader();
    for (int level = 1; level <= table.levelLines && level < PassCriteriaTable::kSlots; ++level) {
        const PassCriteria& c = table.level(level);
        const qsizetype firstValue = qsizetype(level) * kCriteriaFields;
        const int line = firstValue < text.valueCount() ? text.lineOfValue(firstValue) : level + 1;
        for (int f = 0; f < 9; ++f) {
            if (!isNumberOrEmpty(c.texts[static_cast<size_t>(f)]))
                report.atLine(path, line,
                              QStringLiteral("level %1: %2 \"%3\" is not a number")
                                  .arg(level)
                                  .arg(titles[static_cast<size_t>(f)], c.texts[static_cast<size_t>(f)]));
        }
        if (c.targetTime <= 0)
            report.atLine(
                path, line,
                QStringLiteral("level %1: target time %2 scores no points").arg(level).arg(c.targetTime));
        if (c.minimumTime <= 0)
            report.atLine(path, line,
                          QStringLiteral("level %1: minimum time %2 leaves attempts without a time limit")
                              .arg(level)
                              .arg(c.minimumTime));
        if (c.pointMultiplier.toDouble() < 0)
            report.atLine(path, line,
                          QStringLiteral("level %1: points multiplier %2 is negative")
                              .arg(level)
                              .arg(c.pointMultiplier.shortText()));
    }
}

void checkSounds(const Installation& inst, Report& report) {
    const QString path = inst.soundListPath();
    if (!QFileInfo::exists(path)) {
        report.file(path, QStringLiteral("the sound list is missing; the program plays no sounds"));
    } else {
        SoundTable table;
        loadSoundTable(path, &table);
        for (int kind : {2, 4, 8, 10}) {
            const SoundTable::Kind& k = table.kinds[static_cast<size_t>(kind)];
            if (k.count <= 0)
                report.file(path, QStringLiteral(
                                      "no usable sound for %1 (group missing, empty or not closed by \"*\")")
                                      .arg(k.name.isEmpty() ? QString::number(kind) : k.name));
        }
        for (int kind = 1; kind <= SoundTable::kKinds; ++kind) {
            const SoundTable::Kind& k = table.kinds[static_cast<size_t>(kind)];
            for (int slot = 1; slot <= k.count && slot <= SoundTable::kSlots; ++slot) {
                const QString wav =
                    inst.soundFolder + k.files[static_cast<size_t>(slot)] + QStringLiteral(".wav");
                if (!QFileInfo::exists(wav))
                    report.file(path, QStringLiteral("%1 names %2, which does not exist")
                                          .arg(k.name, QDir::toNativeSeparators(wav)));
            }
        }
    }
    for (const QString& fixed :
         {QStringLiteral("最高1.wav"), QStringLiteral("合格.wav"), QStringLiteral("警告1.wav")}) {
        if (!QFileInfo::exists(inst.soundFolder + fixed))
            report.file(inst.soundFolder + fixed, QStringLiteral("the sound file is missing"));
    }
}

void checkResults(const Installation& inst, Report& report) {
    const QString path = inst.resultsPath();
    ResultsFileContents contents;
    if (const ResultsFileError e = readAllResults(path, &contents); !e.ok()) {
        report.file(path, e.message());
        return;
    }
    for (size_t i = 0; i < contents.records.size(); ++i) {
        const ResultRecord& r = contents.records[i];
        QStringList wrong;
        if (std::isnan(r.date))
            wrong << QStringLiteral("the date is not a number");
        else if (r.date < 0)
            wrong << QStringLiteral("the date %1 is before 30 December 1899").arg(r.date);
        else if (!dateFromOle(r.date).isValid())
            wrong << QStringLiteral("the date %1 is no calendar date").arg(r.date);
        if (!(r.time >= 0 && r.time < 1))
            wrong << QStringLiteral("the time of day %1 is outside 0..1").arg(r.time);
        if (r.level < 1 || r.level > ResultRecord::kLevels)
            wrong << QStringLiteral("level %1 is outside 1..35").arg(r.level);
        if (r.bangou < 1 || r.bangou > ResultRecord::kMaxBangou)
            wrong << QStringLiteral("Bangou %1 is outside 1..5000").arg(r.bangou);
        if (r.recordedTime < 0)
            wrong << QStringLiteral("the recorded time %1 is negative").arg(r.recordedTime);
        if (!wrong.isEmpty())
            report.atRecord(path, static_cast<qint64>(i + 1), wrong.join(QStringLiteral("; ")));
    }
    if (contents.tailBytes > 0)
        report.file(
            path, QStringLiteral("a torn record of %1 bytes follows record %2; the next result overwrites it")
                      .arg(contents.tailBytes)
                      .arg(contents.records.size()));
}

} // namespace

int runCheck(const Installation& inst, const QString& pathFile, QTextStream& out, QTextStream& err) {
    Q_UNUSED(err);
    Report report(out);
    checkPathFile(pathFile, report);
    checkSettings(inst, report);
    checkRoster(inst, report);
    checkCriteria(inst, report);
    checkSounds(inst, report);
    checkResults(inst, report);
    if (report.count() == 0) {
        out << "no problems found\n";
        return ExitOk;
    }
    out << report.count() << (report.count() == 1 ? " problem\n" : " problems\n");
    return ExitProblems;
}

} // namespace kz::admin

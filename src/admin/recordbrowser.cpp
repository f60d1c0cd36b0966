#include "admin/recordbrowser.h"

#include "core/programrun.h"
#include "data/oledate.h"
#include "data/roster.h"
#include "data/textio.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace kz {

namespace {

const QChar kFullSpace(0x3000);

// A number right-aligned in width characters; a longer one keeps its last characters.
void appendRightAligned(QString& out, qint64 value, int width) {
    const QString digits = QString::number(value);
    if (digits.size() >= width) {
        out += QStringView(digits).right(width);
        return;
    }
    out += QString(width - digits.size(), u' ');
    out += digits;
}

QString timeOfDayText(double oleTime) {
    if (!std::isfinite(oleTime) || oleTime < 0 || oleTime >= 1)
        return QStringLiteral("--:--:--");
    const QTime t = timeFromOle(oleTime);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%d:%02d:%02d", t.hour(), t.minute(), t.second());
    return QString::fromLatin1(buffer);
}

bool inRoster(int bangou) {
    return bangou >= 0 && bangou < BrowserRoster::kStudents;
}

} // namespace

QString BrowserRoster::nameOf(int bangou) const {
    return inRoster(bangou) ? names[static_cast<size_t>(bangou)] : QString();
}

QString BrowserRoster::gradeLabelOf(int bangou) const {
    return inRoster(bangou) ? gradeLabels[static_cast<size_t>(bangou)] : QString();
}

BrowserRoster browserRoster(const Outcome<RosterLoadResult>& loaded, const RosterTables& tables) {
    BrowserRoster roster;
    if (!loaded)
        roster.problem = loaded.error().text();
    for (int b = 0; b < BrowserRoster::kStudents; ++b) {
        roster.names[static_cast<size_t>(b)] =
            trimHalfWidthSpaces(tables.nameByBangou[static_cast<size_t>(b)]);
        roster.gradeLabels[static_cast<size_t>(b)] = tables.gradeLabelOf(b).trimmed();
    }
    roster.comboItems.reserve(tables.entries.size());
    for (const RosterEntry& entry : tables.entries)
        roster.comboItems.append(studentChoiceText(entry.bangou, trimHalfWidthSpaces(entry.name)));
    return roster;
}

QString studentChoiceText(int bangou, const QString& name) {
    return QString::number(bangou) + QStringLiteral(" /  ") + name;
}

std::optional<int> studentNumberOfChoice(const QString& text) {
    const qsizetype slash = text.indexOf(u'/');
    if (slash < 0)
        return std::nullopt;
    bool complete = false;
    const double number = leadingNumber(QStringView(text).left(slash), &complete);
    if (!complete || number != std::floor(number) || number < 1 || number > ResultRecord::kMaxBangou)
        return std::nullopt;
    return static_cast<int>(number);
}

std::optional<qint32> recordedTimeOfText(const QString& text) {
    QString trimmed = text.trimmed();
    if (trimmed.endsWith(u'秒')) // the unit the box is labelled with
        trimmed = trimmed.chopped(1).trimmed();
    if (trimmed.isEmpty() || trimmed.size() > 5)
        return std::nullopt;
    qint32 seconds = 0;
    for (const QChar c : trimmed) {
        int digit = -1;
        if (c >= u'0' && c <= u'9')
            digit = c.unicode() - u'0';
        else if (c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19) // full-width ０..９
            digit = c.unicode() - 0xFF10;
        if (digit < 0)
            return std::nullopt;
        seconds = seconds * 10 + digit;
    }
    return seconds;
}

QString siteTagOf(const ResultRecord& record, const QString& siteCode, const QString& siteName) {
    if (siteCode.isEmpty())
        return QStringLiteral("他塾");
    ResultRecord own;
    own.setSiteCode(siteCode);
    return record.siteCode == own.siteCode ? siteName : QStringLiteral("他塾");
}

QString recordDateText(double oleDate) {
    const QDate d = dateFromOle(oleDate);
    if (!d.isValid())
        return QStringLiteral("----/--/--");
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%04d/%02d/%02d", d.year(), d.month(), d.day());
    return QString::fromLatin1(buffer);
}

QString recordLine(qint64 recordNumber, const ResultRecord& r, const QString& name, const QString& gradeLabel,
                   const QString& siteTag) {
    QString line;
    line.reserve(64 + name.size() + siteTag.size());
    appendRightAligned(line, recordNumber, 4);
    line += u' ';
    line += recordDateText(r.date);
    line += kFullSpace;
    const QString time = timeOfDayText(r.time);
    line += QString(qMax<qsizetype>(0, 9 - time.size()), u' ');
    line += time;
    line += QStringLiteral("ﾚﾍﾞﾙ");
    line += QString::number(r.level);
    line += kFullSpace;
    appendRightAligned(line, r.recordedTime, 5);
    line += QStringLiteral("秒 ");
    line += kFullSpace;
    appendRightAligned(line, r.bangou, 4);
    line += u' ';
    line += QString(name + QString(5, kFullSpace)).left(6);
    line += u' ';
    line += gradeLabel;
    line += QStringLiteral("++");
    line += siteTag;
    return line;
}

// ---- RecordListModel -------------------------------------------------------------------

int RecordListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : lineCount();
}

QVariant RecordListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() < 0 || index.row() >= lineCount())
        return {};
    if (role == Qt::DisplayRole)
        return text(index.row());
    if (role == Qt::UserRole)
        return line(index.row()).recordNumber;
    return {};
}

void RecordListModel::setRecords(std::vector<ResultRecord> records, LineTexts texts) {
    beginResetModel();
    records_ = std::move(records);
    texts_ = std::move(texts);
    ownSite_.setSiteCode(texts_.siteCode);
    rows_.clear();
    rows_.reserve(records_.size());
    for (size_t i = 0; i < records_.size(); ++i)
        if (records_[i].level != 0)
            rows_.push_back(static_cast<qint32>(i));
    endResetModel();
}

RecordListModel::Line RecordListModel::line(int row) const {
    const qint32 i = rows_[static_cast<size_t>(row)];
    return {i + 1, records_[static_cast<size_t>(i)]};
}

QString RecordListModel::text(int row) const {
    const Line l = line(row);
    const ResultRecord& r = l.record;
    const bool own = !texts_.siteCode.isEmpty() && r.siteCode == ownSite_.siteCode;
    const QString tag = own ? texts_.siteName : QStringLiteral("他塾");
    if (!texts_.roster)
        return recordLine(l.recordNumber, r, QString(), QString(), tag);
    return recordLine(l.recordNumber, r, texts_.roster->nameOf(r.bangou),
                      texts_.roster->gradeLabelOf(r.bangou), tag);
}

int RecordListModel::rowOfRecord(qint32 recordNumber) const {
    const int row = rowAtOrAfter(recordNumber);
    return row >= 0 && line(row).recordNumber == recordNumber ? row : -1;
}

int RecordListModel::rowAtOrAfter(qint32 recordNumber) const {
    if (rows_.empty())
        return -1;
    const auto it = std::lower_bound(rows_.begin(), rows_.end(), recordNumber - 1);
    if (it == rows_.end())
        return lineCount() - 1;
    return static_cast<int>(it - rows_.begin());
}

// ---- Where the records come from ---------------------------------------------------

class RecordFiles {
public:
    RecordFiles() = default;
    Q_DISABLE_COPY_MOVE(RecordFiles)
    virtual ~RecordFiles() = default;

    virtual QString siteCode() const = 0;
    virtual QString siteName() const = 0;
    // An interrupted change or removal finished; what to tell the teacher about it.
    virtual QStringList finishInterruptedWork() = 0;
    virtual Outcome<RosterLoadResult> readRoster(RosterTables* tables) = 0;
    virtual Outcome<ResultsFileContents> readAllRecords() = 0;
    virtual Outcome<ResultRecord> readRecord(qint32 recordNumber) = 0;
    virtual Status changeRecord(qint32 recordNumber, const ResultRecord& expected,
                                const ResultRecord& replacement) = 0;
    virtual Outcome<RemovalResult> removeRecord(qint32 recordNumber, const ResultRecord& expected) = 0;
};

namespace {

// The program: the run's operations.
class RunRecordFiles final : public RecordFiles {
public:
    explicit RunRecordFiles(ProgramRun& run) : run_(run) {}
    QString siteCode() const override { return run_.state().settings.installation.siteCode; }
    QString siteName() const override { return run_.state().settings.installation.siteName; }
    QStringList finishInterruptedWork() override { return run_.finishInterruptedMaintenance(); }
    Outcome<RosterLoadResult> readRoster(RosterTables* tables) override {
        return run_.readRosterInto(tables);
    }
    Outcome<ResultsFileContents> readAllRecords() override { return run_.readAllRecords(); }
    Outcome<ResultRecord> readRecord(qint32 recordNumber) override { return run_.readRecord(recordNumber); }
    Status changeRecord(qint32 recordNumber, const ResultRecord& expected,
                        const ResultRecord& replacement) override {
        return run_.changeRecord(recordNumber, expected, replacement);
    }
    Outcome<RemovalResult> removeRecord(qint32 recordNumber, const ResultRecord& expected) override {
        return run_.removeRecord(recordNumber, expected);
    }

private:
    ProgramRun& run_;
};

// The companion: the installation's files themselves.
class InstallationRecordFiles final : public RecordFiles {
public:
    InstallationRecordFiles(RecordBrowserSetup setup, std::function<QDate()> today,
                            MaintenanceOptions options)
        : setup_(std::move(setup)), today_(std::move(today)), options_(std::move(options)) {}
    QString siteCode() const override { return setup_.siteCode; }
    QString siteName() const override { return setup_.siteName; }
    QStringList finishInterruptedWork() override {
        return maintenanceNotices(setup_.resultsPath, setup_.copyPath, options_);
    }
    Outcome<RosterLoadResult> readRoster(RosterTables* tables) override {
        return loadRoster(setup_.rosterPath, today_(), setup_.schoolYearStartMonth, 0, tables);
    }
    Outcome<ResultsFileContents> readAllRecords() override { return readAllResults(setup_.resultsPath); }
    Outcome<ResultRecord> readRecord(qint32 recordNumber) override {
        return readResultAt(setup_.resultsPath, recordNumber);
    }
    Status changeRecord(qint32 recordNumber, const ResultRecord& expected,
                        const ResultRecord& replacement) override {
        return correctResult(setup_.resultsPath, setup_.copyPath, recordNumber, expected, replacement,
                             options_);
    }
    Outcome<RemovalResult> removeRecord(qint32 recordNumber, const ResultRecord& expected) override {
        return removeResult(setup_.resultsPath, setup_.copyPath, recordNumber, expected, options_);
    }

private:
    RecordBrowserSetup setup_;
    std::function<QDate()> today_;
    MaintenanceOptions options_;
};

} // namespace

RecordBrowserSetup recordBrowserSetup(const Installation& inst) {
    RecordBrowserSetup setup;
    setup.resultsPath = inst.resultsPath();
    setup.copyPath = inst.resultsTempPath();
    setup.rosterPath = inst.rosterPath();
    setup.schoolYearStartMonth = inst.schoolYearStartMonth;
    setup.siteCode = inst.siteCode;
    setup.siteName = inst.siteName;
    return setup;
}

// ---- RecordBrowser ---------------------------------------------------------------------

RecordBrowser::RecordBrowser(ProgramRun& run) : files_(std::make_unique<RunRecordFiles>(run)) {}

RecordBrowser::RecordBrowser(RecordBrowserSetup setup, std::function<QDate()> today,
                             MaintenanceOptions options)
    : files_(std::make_unique<InstallationRecordFiles>(std::move(setup), std::move(today),
                                                       std::move(options))) {}

RecordBrowser::~RecordBrowser() = default;

Status RecordBrowser::build() {
    // A change or removal that was interrupted (here or on another station) is finished
    // before the records are listed.
    notices_ = files_->finishInterruptedWork();
    {
        auto tables = std::make_unique<RosterTables>();
        roster_ = browserRoster(files_->readRoster(tables.get()), *tables);
    }
    Outcome<ResultsFileContents> read = files_->readAllRecords();
    if (!read) {
        model_.clear();
        return read.error();
    }
    model_.setRecords(std::move(read->records), {&roster_, files_->siteCode(), files_->siteName()});
    return {};
}

Outcome<RecordEditView> RecordBrowser::openForEdit(int row) {
    if (row < 0 || row >= model_.lineCount())
        return makeError(ErrorKind::Refused, QStringLiteral("記録が選ばれていません。"));
    const qint32 number = model_.line(row).recordNumber;
    Outcome<ResultRecord> read = files_->readRecord(number);
    if (!read)
        return read.error();
    buffer_ = *read;
    recordInEdit_ = number;

    RecordEditView view;
    view.recordNumber = number;
    view.levelText = QStringLiteral("ﾚﾍﾞﾙ") + QString::number(buffer_.level);
    view.dateText = recordDateText(buffer_.date);
    view.gradeText = roster_.gradeLabelOf(buffer_.bangou);
    view.timeText = QString::number(buffer_.recordedTime);
    view.scrollValue = qBound(0, buffer_.recordedTime, kScrollMaximum);
    view.studentText = studentChoiceText(buffer_.bangou, roster_.nameOf(buffer_.bangou));
    // The item of the record's own student, so that the pick list opens on it.
    for (qsizetype i = 0; i < roster_.comboItems.size(); ++i) {
        if (studentNumberOfChoice(roster_.comboItems[i]) == int(buffer_.bangou)) {
            view.studentItem = static_cast<int>(i);
            break;
        }
    }
    return view;
}

QString RecordBrowser::gradeLabelOfChoice(const QString& choiceText) const {
    const std::optional<int> bangou = studentNumberOfChoice(choiceText);
    return bangou ? roster_.gradeLabelOf(*bangou) : QString();
}

Outcome<int> RecordBrowser::change(const QString& timeText, const QString& choiceText) {
    if (!editing())
        return makeError(ErrorKind::Refused,
                         QStringLiteral("変更する記録をダブルクリックで選んでください。"));
    const std::optional<int> bangou = studentNumberOfChoice(choiceText);
    if (!bangou)
        return makeError(
            ErrorKind::Refused,
            QStringLiteral("生徒の番号がわかりません。「17 /  名前」のように、番号と「/」のある名前を"
                           "一覧から選んでください。記録は変えていません。"));
    const std::optional<qint32> seconds = recordedTimeOfText(timeText);
    if (!seconds)
        return makeError(ErrorKind::Refused,
                         QStringLiteral("時間「%1」は使えません。0～99999 の整数（秒）で入れてください。"
                                        "記録は変えていません。")
                             .arg(timeText.trimmed()));
    ResultRecord changed = buffer_;
    changed.recordedTime = *seconds;
    changed.bangou = static_cast<qint16>(*bangou);
    if (Status s = files_->changeRecord(recordInEdit_, buffer_, changed); !s) {
        // The file may hold something else by now: show what it holds.
        recordInEdit_ = 0;
        (void)build();
        return s.error();
    }
    buffer_ = changed;
    if (Status s = build(); !s)
        return s.error();
    return model_.rowOfRecord(recordInEdit_);
}

Outcome<RecordBrowser::Removed> RecordBrowser::remove(int row) {
    if (row < 0 || row >= model_.lineCount())
        return makeError(ErrorKind::Refused, QStringLiteral("消去する記録が選ばれていません。"));
    const RecordListModel::Line line = model_.line(row);
    // The record as it was read: from the edit panel when it is open on this record.
    const ResultRecord expected = recordInEdit_ == line.recordNumber ? buffer_ : line.record;
    Outcome<RemovalResult> removed = files_->removeRecord(line.recordNumber, expected);
    recordInEdit_ = 0;
    if (!removed) {
        (void)build();
        return removed.error();
    }
    Removed result;
    result.notice = removed->notice;
    if (Status s = build(); !s)
        return s.error();
    result.selectRow = model_.rowAtOrAfter(line.recordNumber);
    return result;
}

std::optional<QString> RecordBrowser::leftoverCopyNotice() const {
    if (notices_.isEmpty())
        return std::nullopt;
    return notices_.join(u'\n');
}

} // namespace kz

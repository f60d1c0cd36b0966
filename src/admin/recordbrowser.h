#pragma once

#include "core/installation.h"
#include "data/resultmaintenance.h"
#include "data/resultstore.h"
#include "data/roster.h"
#include "platform/outcome.h"

#include <QAbstractListModel>
#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// The results record browser FrmData without its widgets: the list of every record of
// the results file, one fixed-pitch line each, and the correction and removal of the
// record whose line was chosen.
namespace kz {

class ProgramRun;

// The browser's own roster tables, filled from every entry of the roster whatever its
// listing flag: trimmed names and full-width grade labels by Bangou 0..5000, and the
// pick-list items "17 /  テスト" in roster file order.
struct BrowserRoster {
    static constexpr int kStudents = 5001;
    std::vector<QString> names = std::vector<QString>(kStudents);
    std::vector<QString> gradeLabels = std::vector<QString>(kStudents);
    QStringList comboItems;
    QString problem; // set when the roster could not be read

    QString nameOf(int bangou) const;
    QString gradeLabelOf(int bangou) const;
};
// From the roster tables as read (loaded tells why there are none, when it failed).
BrowserRoster browserRoster(const Outcome<RosterLoadResult>& loaded, const RosterTables& tables);

// "17 /  テスト": the number, space, slash, two spaces, the trimmed name.
QString studentChoiceText(int bangou, const QString& name);
// The student number of a pick-list text: the number before its first "/"; none when
// the text has no "/" or no number 1..5000 stands before it.
std::optional<int> studentNumberOfChoice(const QString& text);

// The recorded time of the edit panel's time box: a whole number of seconds 0..99999
// (99999 marks a time that ran out), digits only, half- or full-width, spaces around
// and the unit "秒" after them ignored. Anything else (letters, an empty box, a sign, a point) is no time: a
// typo must not become a 0-second record worth the most points.
std::optional<qint32> recordedTimeOfText(const QString& text);

// The tag at the end of a line: the site name when the record was made by this
// installation (its five-byte site code field is the installation's code as written
// into a record), otherwise "他塾". An installation without a site code has no records
// of its own.
QString siteTagOf(const ResultRecord& record, const QString& siteCode, const QString& siteName);

// One line of the list, as
// "  12 2004/03/15　 14:30:00ﾚﾍﾞﾙ2　   95秒 　  17 テスト　　　 小３++さくら塾".
QString recordLine(qint64 recordNumber, const ResultRecord& record, const QString& name,
                   const QString& gradeLabel, const QString& siteTag);
// The date as the list shows it, 2004/03/15.
QString recordDateText(double oleDate);

// The lines of the list, each with the number of the record it shows, in record order
// (records of level 0 have none). A line's text is made when it is asked for: the list
// asks only for the lines it shows, so a file of 200000 records opens as fast as a
// short one.
class RecordListModel : public QAbstractListModel {
    Q_OBJECT
public:
    struct Line {
        qint32 recordNumber = 0;
        ResultRecord record; // as read when the list was built
    };
    // What the texts are made of besides the records; the roster must outlive the lines.
    struct LineTexts {
        const BrowserRoster* roster = nullptr;
        QString siteCode;
        QString siteName;
    };
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Every record of the file (record k at index k - 1).
    void setRecords(std::vector<ResultRecord> records, LineTexts texts);
    void clear() { setRecords({}, {}); }
    Line line(int row) const;
    // The line's text as the list shows it (recordLine).
    QString text(int row) const;
    int lineCount() const { return static_cast<int>(rows_.size()); }
    // The row of record k, or -1.
    int rowOfRecord(qint32 recordNumber) const;
    // The row of the first record numbered k or later, else the last row (-1 when empty).
    int rowAtOrAfter(qint32 recordNumber) const;

private:
    std::vector<ResultRecord> records_;
    std::vector<qint32> rows_; // per line: its record's index in records_
    LineTexts texts_;
    ResultRecord ownSite_; // the site code field of this installation's records
};

// What the edit panel shows for the record opened.
struct RecordEditView {
    qint32 recordNumber = 0;
    QString levelText;    // "ﾚﾍﾞﾙ2"
    QString dateText;     // "2004/03/15"
    QString gradeText;    // grade label of the student, trimmed
    QString timeText;     // recorded time in decimal, as stored (99999 too)
    int scrollValue = 0;  // recorded time placed on 0..6000
    QString studentText;  // "17 /  テスト"
    int studentItem = -1; // the pick-list item of the record's student; -1 when the roster has none
};

struct RecordBrowserSetup {
    QString resultsPath;
    QString copyPath; // "成績累積データtemp.dat" beside the results file
    QString rosterPath;
    int schoolYearStartMonth = 4;
    QString siteCode;
    QString siteName;
};
// The browser's files and settings of an installation (the companion's remove command).
RecordBrowserSetup recordBrowserSetup(const Installation& installation);

// Where the browser's records come from and go to (defined with the browser).
class RecordFiles;

class RecordBrowser {
public:
    static constexpr int kScrollMaximum = 6000;

    // In the program: every file access is an operation of the run, which waits while
    // another station holds the results file; its installation names the files and the
    // school's own site.
    explicit RecordBrowser(ProgramRun& run);
    // In the companion: the installation's files themselves, waiting for the lock as
    // options say.
    RecordBrowser(RecordBrowserSetup setup, std::function<QDate()> today, MaintenanceOptions options = {});
    ~RecordBrowser();
    Q_DISABLE_COPY_MOVE(RecordBrowser)

    // Reads the roster and every record of the results file into the list. On an error
    // the list is left empty and the error says which file.
    Status build();
    RecordListModel& model() { return model_; }
    const BrowserRoster& roster() const { return roster_; }

    // Reads the record of the row afresh and makes it the record in edit.
    Outcome<RecordEditView> openForEdit(int row);
    bool editing() const { return recordInEdit_ > 0; }
    qint32 recordInEdit() const { return recordInEdit_; }
    void closeEdit() { recordInEdit_ = 0; }
    // The trimmed grade label of the student a pick-list text names (empty when none).
    QString gradeLabelOfChoice(const QString& choiceText) const;

    // "変更して記録": the time of timeText (recordedTimeOfText) and the student of
    // choiceText into the record in edit; the list is built again. Returns the row to
    // select. A text without a student number, or a time box that holds no whole number
    // 0..99999, is refused with nothing written and the record still in edit. When the
    // file cannot be written, or the record was changed by another station meanwhile,
    // the edit ends and the list is built again from what the file holds.
    Outcome<int> change(const QString& timeText, const QString& choiceText);

    struct Removed {
        int selectRow = -1; // the line of the record that followed, else the last line; -1 when none is left
        QString notice;     // the records are right, but something needs the teacher's attention
    };
    // "消去" after the teacher confirmed: removes the record of the row (the record in
    // edit must be that record when one is open) and builds the list again, also when
    // the removal fails. The edit ends either way.
    Outcome<Removed> remove(int row);

    // What the last build() found of an interrupted change or removal (finished then) or
    // of a copy an older version left: what to tell the teacher.
    std::optional<QString> leftoverCopyNotice() const;

private:
    std::unique_ptr<RecordFiles> files_;
    BrowserRoster roster_;
    RecordListModel model_;
    qint32 recordInEdit_ = 0;
    ResultRecord buffer_; // the record in edit as read from the file
    QStringList notices_;
};

} // namespace kz

// The graph panel on its own: drawing on the screen, printing one job per student.
#include "core/catalogue.h"
#include "core/programrun.h"
#include "core/runstate.h"
#include "platform/gui/folderpicker.h"
#include "platform/gui/messagebox.h"
#include "platform/translations.h"
#include "reports/draw/pagecanvas.h"
#include "reports/draw/reportdrawing.h"
#include "reports/graphrequest.h"
#include "reports/gui/graphpanel.h"
#include "reports/gui/reportprinter.h"
#include "support/fakes.h"
#include "support/scriptedrun.h"
#include "support/testsupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPdfWriter>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace kz;

namespace {

// Every print job into a PDF file of its own: job-1.pdf, job-2.pdf, …
class PdfFolderPrinter final : public ReportPrinter {
public:
    explicit PdfFolderPrinter(QString folder) : folder_(std::move(folder)) {}
    bool hasPrinter() const override { return present; }
    bool choosePrinter(QWidget*) override {
        ++choices;
        return accept;
    }
    std::unique_ptr<draw::PageCanvas> startJob(const QString& documentName) override {
        files << folder_ + QStringLiteral("/job-%1.pdf").arg(files.size() + 1);
        names << documentName;
        auto writer = std::make_unique<QPdfWriter>(files.last());
        writer->setResolution(150);
        return std::make_unique<draw::PagedCanvas>(std::move(writer));
    }

    bool present = true;
    bool accept = true;
    int choices = 0;
    QStringList files;
    QStringList names;

private:
    QString folder_;
};

int pageCount(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {pdf});
    p.waitForFinished(60000);
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)"))
                                          .match(QString::fromUtf8(p.readAllStandardOutput()));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// Dark pixels of the picture between two fractions of its height.
int inkBetween(const QImage& image, double from, double to) {
    int dark = 0;
    for (int y = int(image.height() * from); y < int(image.height() * to); ++y) {
        for (int x = 0; x < image.width(); ++x)
            dark += qGray(image.pixel(x, y)) < 160;
    }
    return dark;
}

struct School {
    School() {
        initRunState(*state);
        buildLevelCatalogue(*state);
        state->student.currentBangou = 17;
        state->settings.installation.programDataFolder = dir.path() + u'/';
        const QDate today = clock.today();
        loadRosterText(QStringLiteral("17,1994,0,0,テスト,0,,\n21,1994,0,0,たかはしけんたろう,0,,\n"
                                      "22,1995,0,0,あおき,0,,\n5,1970,0,0,先生★,0,,\n"),
                       today, 4, 0, &state->tables.roster);
        for (int level = 1; level <= 25; ++level)
            state->tables.criteria.row(level) =
                PassCriteria::fromTexts({"60", "90", "10", "3", "1", "20", "100", "7", "1"});
        QList<ResultRecord> records;
        const QDateTime now = clock.now();
        for (int level = 1; level <= 5; ++level) {
            for (int i = 0; i < 6; ++i) {
                records << makeResultRecord(now.addDays(-i), 17, static_cast<qint16>(level),
                                            30 + 7 * i + level, u"")
                        << makeResultRecord(now.addDays(-i), 21, static_cast<qint16>(level), 40 + i, u"");
            }
            records << makeResultRecord(now, 17, static_cast<qint16>(level), 99999, u"");
        }
        QFile f(state->settings.installation.resultsPath());
        if (f.open(QIODevice::WriteOnly)) {
            for (const ResultRecord& r : records)
                f.write(encodeResultRecord(r));
        }
        f.close();
        QVERIFY(run.refreshStatistics().ok());
    }

    QTemporaryDir dir;
    test::FakeClock clock;
    ProgramRun run{clock, test::noFileWaits()};
    RunState* state = &RunStateSetUp::of(run);
    PresetMessageBox messages;
};

// The words of Latin letters among what a dialog shows its user (captions, labels,
// buttons, choices and its title); names of files and folders in its views are not
// looked at. "OK", "PDF" and the paper sizes are written so in Japanese too.
QStringList englishWords(QWidget* dialog, const QStringList& names = {}) {
    QStringList texts{dialog->windowTitle()};
    for (QWidget* w : dialog->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(dialog))
            continue;
        if (auto* label = qobject_cast<QLabel*>(w))
            texts << label->text();
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            texts << button->text();
        else if (auto* group = qobject_cast<QGroupBox*>(w))
            texts << group->title();
        else if (auto* combo = qobject_cast<QComboBox*>(w);
                 combo && !combo->isEditable() && combo->objectName() != u"lookInCombo") { // folders
            for (int i = 0; i < combo->count(); ++i)
                texts << combo->itemText(i);
        }
    }
    static const QRegularExpression word(QStringLiteral("[A-Za-z]{2,}"));
    static const QStringList allowed{"OK", "PDF", "Letter", "Legal", "Executive", "Tabloid", "Ledger",
                                     "mm", "cm",  "pt",     "in",    "inch",      "px",      "Env",
                                     "DL", "JIS", "ISO",    "Folio", "Quarto",    "Comm",    "Custom"};
    QStringList found;
    for (const QString& text : texts) {
        QString plain = text;
        for (const QString& name : names) // the folder and files the teacher is told of
            plain.remove(name);
        plain.remove(QRegularExpression(QStringLiteral("<[^>]*>"))); // markup of rich text
        for (auto it = word.globalMatch(plain); it.hasNext();) {
            const QString w = it.next().captured();
            if (!allowed.contains(w))
                found << w;
        }
    }
    return found;
}

// Answers the real modal dialogs as a teacher would, one after the other: a message box
// with its Yes (or OK) button, a folder dialog with the folder given. What each showed
// is kept, and a screenshot of it taken.
class DialogAnswerer : public QObject {
public:
    DialogAnswerer(QString folder, QString shots) : folder_(std::move(folder)), shots_(std::move(shots)) {
        connect(&timer_, &QTimer::timeout, this, [this] { answer(); });
        timer_.start(10);
    }
    struct Seen {
        QString kind; // "box" or "folder"
        QString text;
        QStringList buttons;
        QStringList english;
    };
    QList<Seen> seen;
    void stop() { timer_.stop(); }

private:
    void answer() {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || w == last_)
            return;
        last_ = w;
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            Seen s{QStringLiteral("box"),
                   box->text(),
                   {},
                   englishWords(box, {QDir::toNativeSeparators(folder_), QStringLiteral(".pdf")})};
            for (QAbstractButton* b : box->buttons())
                s.buttons << b->text();
            test::saveScreenshot(box, QStringLiteral("%1_box_%2").arg(shots_).arg(seen.size() + 1));
            seen << s;
            QAbstractButton* yes = box->button(QMessageBox::Yes);
            (yes ? yes : box->button(QMessageBox::Ok))->click();
        } else if (auto* dialog = qobject_cast<QFileDialog*>(w)) {
            Seen s{QStringLiteral("folder"), dialog->windowTitle(), {}, englishWords(dialog)};
            for (QAbstractButton* b : dialog->findChildren<QAbstractButton*>())
                if (b->isVisibleTo(dialog) && !b->text().isEmpty())
                    s.buttons << b->text();
            dialog->setDirectory(folder_);
            test::saveScreenshot(dialog, shots_ + QStringLiteral("_folder_dialog"));
            seen << s;
            static_cast<QDialog*>(dialog)->accept(); // the dialog's own accept, as its button does
        }
    }
    QString folder_;
    QString shots_; // names of the screenshots
    QTimer timer_;
    QPointer<QWidget> last_;
};

} // namespace

class TestGraphPanel : public QObject {
    Q_OBJECT
private slots:
    void opensOnThreeLevelsOfTheCurrentStudent();
    void printsOneJobPerStudent();
    void cancelledPrintingPrintsNothing();
    void systemPrinterPrintsIntoAFile();
    void withoutAPrinterSavesPdfFiles();
    void withoutAPrinterCancelledSavesNothing();
    void noPrinterPathInJapanese();
    void printDialogInJapanese();
};

struct Panel {
    explicit Panel(School& school)
        : printer(school.dir.path()),
          builder(TableSources{school.state->tables.roster, school.state->tables.statistics,
                               school.state->tables.criteria, school.state->catalogue.levelCount}),
          panel(
              GraphPanelContext{school.run, school.clock, school.messages, printer, folders,
                                graphRankingSource(builder, PointsKind::SoFar, QStringLiteral("全学年"), 17)},
              nullptr) {
        panel.setPrintAllowed(true);
        panel.fillLists();
    }
    template <class W> W* child(const QString& name) { return panel.findChild<W*>(name); }

    PdfFolderPrinter printer;
    PresetFolderPicker folders;
    ResultsTableBuilder builder;
    GraphPanel panel;
};

void TestGraphPanel::opensOnThreeLevelsOfTheCurrentStudent() {
    School school;
    Panel p(school);
    auto* list2 = p.child<QListWidget>("List2");
    QCOMPARE(list2->count(), 4);
    QVERIFY(list2->item(0)->text().endsWith(
        u'/' + QString::number(list2->item(0)->text().section(u'/', -1).toInt())));
    QVERIFY(list2->findItems(QStringLiteral("小３ /  テスト/17"), Qt::MatchExactly).size() == 1);
    p.panel.open();
    QVERIFY(p.panel.isVisible());
    QCOMPARE(p.panel.selectedLevels(), (QList<int>{1, 2, 3}));
    QCOMPARE(p.panel.selectedStudent(), 17);
    QVERIFY(list2->isHidden());
    const QImage& picture = p.panel.picture();
    for (double band : {0.05, 0.35, 0.65})
        QVERIFY2(inkBetween(picture, band, band + 0.28) > 300, qPrintable(QString::number(band)));
    QVERIFY(school.messages.shown.isEmpty());
    test::saveScreenshot(&p.panel, QStringLiteral("graphpanel_three_levels"));

    // Five levels on the screen: levels 4 and 5 are what stays, the third band is empty.
    for (int row = 0; row < 5; ++row)
        p.child<QListWidget>("List3")->item(row)->setSelected(true);
    p.child<QPushButton>("Command24_0")->click();
    QVERIFY(inkBetween(picture, 0.35, 0.63) > 300);
    QCOMPARE(inkBetween(picture, 0.66, 0.95), 0);
}

void TestGraphPanel::printsOneJobPerStudent() {
    School school;
    Panel p(school);
    p.panel.open();
    p.child<QPushButton>("Command25")->click();
    auto* list2 = p.child<QListWidget>("List2");
    QVERIFY(!list2->isHidden());
    for (const QString& line :
         {QStringLiteral("小３ /  テスト/17"), QStringLiteral("小３ /  たかはしけんたろう/21")})
        list2->findItems(line, Qt::MatchExactly).first()->setSelected(true);
    for (int row = 0; row < 5; ++row)
        p.child<QListWidget>("List3")->item(row)->setSelected(true);
    p.child<QPushButton>("Command24_1")->click();
    QCOMPARE(p.printer.choices, 1);
    QCOMPARE(p.printer.files.size(), 2);
    // From the top of the sorted list: hiragana before katakana.
    QVERIFY(p.printer.names[0].contains(QStringLiteral("たかはしけんたろう")));
    QVERIFY(p.printer.names[1].contains(QStringLiteral("テスト")));
    for (const QString& pdf : p.printer.files)
        QCOMPARE(pageCount(pdf), 2);
    QVERIFY(school.messages.shown.isEmpty());
    // "表示" leaves the lower student's reports on the screen.
    p.child<QPushButton>("Command24_0")->click();
    QCOMPARE(p.panel.selectedStudent(), 17);
}

void TestGraphPanel::cancelledPrintingPrintsNothing() {
    School school;
    Panel p(school);
    p.printer.accept = false;
    p.panel.open();
    p.child<QPushButton>("Command24_1")->click();
    QCOMPARE(p.printer.choices, 1);
    QVERIFY(p.printer.files.isEmpty());
    // Without a level there is nothing to print: a message instead of empty pages.
    p.printer.accept = true;
    p.child<QListWidget>("List3")->clearSelection();
    p.child<QPushButton>("Command24_1")->click();
    QVERIFY(p.printer.files.isEmpty());
    QCOMPARE(school.messages.shown.size(), 1);
}

void TestGraphPanel::systemPrinterPrintsIntoAFile() {
    // The printer the program uses, set to print into a file as the print dialog can:
    // A4 portrait pages through QPrinter, the same drawing as on the screen.
    School school;
    SystemReportPrinter system;
    const QString file = school.dir.path() + QStringLiteral("/printed.pdf");
    system.printer().setOutputFileName(file);
    std::unique_ptr<draw::PageCanvas> job = system.startJob(QStringLiteral("テスト"));
    QVERIFY(job->isActive());
    QVERIFY(job->pageSize().height() > job->pageSize().width() * 1.3);
    ResultsTableBuilder builder(TableSources{school.state->tables.roster, school.state->tables.statistics,
                                             school.state->tables.criteria,
                                             school.state->catalogue.levelCount});
    const Outcome<std::vector<ResultKeys>> records =
        loadReportRecords(school.state->settings.installation.resultsPath(), 25, school.clock.now());
    QVERIFY(records.ok());
    ReportSources sources;
    sources.records = *records;
    sources.rankings = graphRankingSource(builder, PointsKind::SoFar, QStringLiteral("全学年"), 17);
    draw::drawStudentReports(*job, QStringLiteral("テスト"), makePersonalReports(sources, 17, {1, 2, 3, 4}));
    QVERIFY(job->finish());
    QCOMPARE(pageCount(file), 2);
}

// Without any printer "印刷" asks, lets the teacher pick a folder (starting at the
// desktop) and writes one PDF file per student there, never over an earlier one, then
// says which files went where.
void TestGraphPanel::withoutAPrinterSavesPdfFiles() {
    School school;
    Panel p(school);
    p.printer.present = false;
    const QString folder = school.dir.path() + QStringLiteral("/保存先");
    QVERIFY(QDir().mkpath(folder));
    p.folders.folder = folder;
    school.messages.answer = MessageBox::Answer::Yes;
    p.panel.open();
    p.child<QPushButton>("Command25")->click();
    for (const QString& line :
         {QStringLiteral("小３ /  テスト/17"), QStringLiteral("小３ /  たかはしけんたろう/21")})
        p.child<QListWidget>("List2")->findItems(line, Qt::MatchExactly).first()->setSelected(true);
    p.child<QPushButton>("Command24_1")->click();
    QCOMPARE(p.printer.choices, 0); // no print dialog
    QCOMPARE(p.folders.asked.size(), 1);
    QCOMPARE(p.folders.asked[0].start, defaultReportFolder());
    const QString day = school.clock.today().toString(QStringLiteral("yyyy-MM-dd"));
    const QStringList files{QStringLiteral("成績表_21_たかはしけんたろう_%1.pdf").arg(day),
                            QStringLiteral("成績表_17_テスト_%1.pdf").arg(day)};
    QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name), (QStringList{files[1], files[0]}));
    for (const QString& file : files)
        QCOMPARE(pageCount(folder + u'/' + file), 1);
    QCOMPARE(school.messages.shown.size(), 2);
    QVERIFY(school.messages.shown[0].text.contains(QStringLiteral("プリンターがありません")));
    const QString told = school.messages.shown[1].text;
    QVERIFY2(told.contains(QDir::toNativeSeparators(folder)) && told.contains(files[0]) &&
                 told.contains(files[1]),
             qPrintable(told));

    // Again: new files beside the earlier ones.
    p.child<QPushButton>("Command24_1")->click();
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 4);
    QVERIFY(QFile::exists(folder + u'/' + numberedJobFile(files[0], 2)));

    // A folder that cannot be written: told in Japanese, which student failed and why.
    p.folders.folder = school.dir.path() + QStringLiteral("/ない/フォルダ");
    p.child<QPushButton>("Command24_1")->click();
    const QString failed = school.messages.shown.last().text;
    QVERIFY2(failed.contains(QStringLiteral("たかはしけんたろう さんの成績表を")) &&
                 failed.contains(QStringLiteral("見つかりません")),
             qPrintable(failed));
}

void TestGraphPanel::withoutAPrinterCancelledSavesNothing() {
    School school;
    Panel p(school);
    p.printer.present = false;
    p.folders.folder = school.dir.path();
    school.messages.answer = MessageBox::Answer::No;
    p.panel.open();
    p.child<QPushButton>("Command24_1")->click();
    QVERIFY(p.folders.asked.isEmpty());
    school.messages.answer = MessageBox::Answer::Yes;
    p.folders.folder.clear(); // the folder dialog cancelled
    p.child<QPushButton>("Command24_1")->click();
    QCOMPARE(p.folders.asked.size(), 1);
    QCOMPARE(school.messages.shown.size(), 2); // the two questions, no report of files
    QCOMPARE(QDir(school.dir.path()).entryList({"*.pdf"}, QDir::Files), QStringList());
}

// Under Qt's Japanese translation, as the program runs: the real message boxes and the
// real folder dialog of the no-printer path, their captions read back.
void TestGraphPanel::noPrinterPathInJapanese() {
    QVERIFY2(installJapaneseTranslations(*QCoreApplication::instance()).isEmpty(),
             "Qt's Japanese translation (qt6-translations-l10n) is not installed");
    School school;
    const QString folder = school.dir.path() + QStringLiteral("/保存先");
    QVERIFY(QDir().mkpath(folder));
    PdfFolderPrinter printer(school.dir.path());
    printer.present = false;
    WidgetMessageBox boxes;
    DialogFolderPicker folders;
    ResultsTableBuilder builder(TableSources{school.state->tables.roster, school.state->tables.statistics,
                                             school.state->tables.criteria,
                                             school.state->catalogue.levelCount});
    GraphPanel panel(
        GraphPanelContext{school.run, school.clock, boxes, printer, folders,
                          graphRankingSource(builder, PointsKind::SoFar, QStringLiteral("全学年"), 17)},
        nullptr);
    panel.setPrintAllowed(true);
    panel.fillLists();
    panel.open();
    DialogAnswerer answerer(folder, QStringLiteral("noprinter"));
    panel.findChild<QPushButton*>("Command24_1")->click();

    QCOMPARE(answerer.seen.size(), 3);
    const auto& question = answerer.seen[0];
    QCOMPARE(question.text, noPrinterQuestion());
    QCOMPARE(question.buttons.size(), 2);
    for (const QString& caption : question.buttons)
        QVERIFY2(caption.startsWith(QStringLiteral("はい")) || caption.startsWith(QStringLiteral("いいえ")),
                 qPrintable(caption));
    const auto& dialog = answerer.seen[1];
    QCOMPARE(dialog.kind, QStringLiteral("folder"));
    QCOMPARE(dialog.text, pdfFolderTitle());
    QVERIFY(dialog.buttons.contains(QStringLiteral("このフォルダに保存")));
    QVERIFY(dialog.buttons.contains(QStringLiteral("キャンセル")));
    const auto& told = answerer.seen[2];
    QVERIFY2(told.text.contains(QStringLiteral("保存しました")) &&
                 told.text.contains(QStringLiteral("成績表_17_")),
             qPrintable(told.text));
    QCOMPARE(told.buttons, QStringList{QStringLiteral("OK")});
    for (const auto& s : answerer.seen)
        QVERIFY2(s.english.isEmpty(), qPrintable(s.kind + u':' + s.english.join(u',')));
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 1);

    // The question boxes of the screens (OK and Cancel, Yes and No) in Japanese too.
    answerer.stop();
    DialogAnswerer more(folder, QStringLiteral("question"));
    QCOMPARE(boxes.okCancel(nullptr, QStringLiteral("注意"), QStringLiteral("本当に消去しますか")),
             MessageBox::Answer::Ok);
    QCOMPARE(more.seen.size(), 1);
    QVERIFY2(more.seen[0].buttons.contains(QStringLiteral("キャンセル")),
             qPrintable(more.seen[0].buttons.join(u',')));
    QVERIFY(more.seen[0].english.isEmpty());
}

// With a printer, the print dialog as Qt makes it, in Japanese: no English caption left.
void TestGraphPanel::printDialogInJapanese() {
    QVERIFY(installJapaneseTranslations(*QCoreApplication::instance()).isEmpty());
    QPrinter printer;
    QPrintDialog dialog(&printer);
    dialog.show();
    // Every part of it: the options too.
    for (QAbstractButton* b : dialog.findChildren<QAbstractButton*>())
        if (b->text().contains(QStringLiteral("オプション")) || b->text().contains(QStringLiteral("Options")))
            b->click();
    test::saveScreenshot(&dialog, QStringLiteral("print_dialog"));
    const QStringList english = englishWords(&dialog);
    QVERIFY2(english.isEmpty(), qPrintable(english.join(u',')));
    dialog.hide();
}

QTEST_MAIN(TestGraphPanel)
#include "tst_graphpanel_gui.moc"

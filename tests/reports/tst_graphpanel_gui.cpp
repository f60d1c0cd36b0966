// The graph panel on its own: drawing on the screen, printing one job per student.
#include "core/catalogue.h"
#include "core/programrun.h"
#include "core/runstate.h"
#include "platform/gui/messagebox.h"
#include "reports/draw/pagecanvas.h"
#include "reports/draw/reportdrawing.h"
#include "reports/gui/graphpanel.h"
#include "reports/gui/reportprinter.h"
#include "support/fakes.h"
#include "support/scriptedrun.h"
#include "support/testsupport.h"

#include <QListWidget>
#include <QPdfWriter>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace kz;

namespace {

// Every print job into a PDF file of its own: job-1.pdf, job-2.pdf, …
class PdfFolderPrinter final : public ReportPrinter {
public:
    explicit PdfFolderPrinter(QString folder) : folder_(std::move(folder)) {}
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

} // namespace

class TestGraphPanel : public QObject {
    Q_OBJECT
private slots:
    void opensOnThreeLevelsOfTheCurrentStudent();
    void printsOneJobPerStudent();
    void cancelledPrintingPrintsNothing();
    void systemPrinterPrintsIntoAFile();
};

struct Panel {
    explicit Panel(School& school)
        : printer(school.dir.path()),
          builder(TableSources{school.state->tables.roster, school.state->tables.statistics,
                               school.state->tables.criteria, school.state->catalogue.levelCount}),
          panel(
              GraphPanelContext{school.run, school.clock, school.messages, printer,
                                graphRankingSource(builder, PointsKind::SoFar, QStringLiteral("全学年"), 17)},
              nullptr) {
        panel.setPrintAllowed(true);
        panel.fillLists();
    }
    template <class W> W* child(const QString& name) { return panel.findChild<W*>(name); }

    PdfFolderPrinter printer;
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

QTEST_MAIN(TestGraphPanel)
#include "tst_graphpanel_gui.moc"

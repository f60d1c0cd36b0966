#include "reports/gui/graphpanel.h"

#include "core/gui/screenkit.h"
#include "core/programrun.h"
#include "core/runstate.h"
#include "platform/clock.h"
#include "platform/gui/folderpicker.h"
#include "platform/gui/messagebox.h"
#include "reports/draw/pagecanvas.h"
#include "reports/draw/reportdrawing.h"
#include "reports/draw/reportpdfs.h"
#include "reports/graphrequest.h"
#include "reports/gui/reportprinter.h"

#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>

#include <algorithm>

namespace kz {

namespace {

constexpr qreal kScreenFontPixels = 12;
constexpr qreal kScreenLineWidth = 5;

// The panel's buttons leave the keyboard focus where it is (the level menu's keys).
QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption, const QRect& place) {
    QPushButton* button = kit::makeButton(parent, name, caption);
    button->setGeometry(place);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QList<int> selectedRows(const QListWidget* list) {
    QList<int> rows;
    for (int row = 0; row < list->count(); ++row) {
        if (list->item(row)->isSelected())
            rows << row;
    }
    return rows;
}

} // namespace

ReportPicture::ReportPicture(QWidget* parent) : QWidget(parent) {}

void ReportPicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    if (!image_.isNull())
        p.drawImage(0, 0, image_);
}

GraphPanel::GraphPanel(GraphPanelContext context, QWidget* parent)
    : QFrame(parent), context_(std::move(context)) {
    setObjectName(QStringLiteral("Picture11"));
    setFrameShape(QFrame::Box);
    kit::paint(this, QColor(255, 255, 224));
    resize(1000, 620);

    const QFont listFont = kit::fixedPitch(kit::gothicPixelFont(14));
    kit::makeLabel(this, QStringLiteral("Label27"), QStringLiteral("ﾚﾍﾞﾙ"))->setGeometry(8, 6, 60, 22);
    list3_ = new QListWidget(this);
    list3_->setObjectName(QStringLiteral("List3"));
    list3_->setGeometry(8, 30, 56, 440);
    list3_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list3_->setFont(listFont);
    list2_ = new QListWidget(this);
    list2_->setObjectName(QStringLiteral("List2"));
    list2_->setGeometry(70, 30, 200, 440);
    list2_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list2_->setFont(listFont);
    list2_->hide();
    command25_ = makeButton(this, QStringLiteral("Command25"), QStringLiteral("他の人のデータを見る"),
                            QRect(70, 30, 200, 40));
    command24_[0] =
        makeButton(this, QStringLiteral("Command24_0"), QStringLiteral("表示"), QRect(8, 480, 262, 36));
    command24_[1] =
        makeButton(this, QStringLiteral("Command24_1"), QStringLiteral("印刷"), QRect(8, 522, 262, 36));
    command24_[1]->hide();
    command18_ =
        makeButton(this, QStringLiteral("Command18"), QStringLiteral("戻る"), QRect(8, 574, 262, 36));
    picture12_ = new ReportPicture(this);
    picture12_->setObjectName(QStringLiteral("Picture12"));
    picture12_->setGeometry(278, 6, 714, 608);

    connect(command25_, &QPushButton::clicked, this, &GraphPanel::showStudentList);
    connect(command18_, &QPushButton::clicked, this, &QWidget::hide);
    for (int k = 0; k < 2; ++k)
        connect(command24_[k], &QPushButton::clicked, this, [this, k] { showReports(k); });
    connect(list2_, &QListWidget::itemClicked, this, [this] { showReports(0); });
    connect(list3_, &QListWidget::itemClicked, this, [this] {
        if (isVisible())
            showReports(0);
    });
}

void GraphPanel::showStudentList() {
    command25_->hide();
    list2_->show();
}

void GraphPanel::setPrintAllowed(bool allowed) {
    command24_[1]->setVisible(allowed);
}

void GraphPanel::fillLists() {
    const RunState& state = context_.run.state();
    list3_->clear();
    for (int level = 1; level <= state.catalogue.levelCount; ++level)
        list3_->addItem(QString::number(level));
    list2_->clear();
    for (const StudentListLine& line : graphStudentLines(state.tables.roster))
        list2_->addItem(line.text);
    selectedLevel_ = 1;
    selectedStudent_ = state.student.currentBangou;
}

void GraphPanel::open() {
    selectedStudent_ = context_.run.state().student.currentBangou;
    list2_->hide();
    command25_->show();
    list2_->clearSelection();
    list3_->clearSelection();
    for (int row = 0; row < qMin(kGraphLevelsOnOpening, list3_->count()); ++row)
        list3_->item(row)->setSelected(true);
    showReports(0);
}

QList<int> GraphPanel::selectedLevels() const {
    QList<int> levels;
    for (int row : selectedRows(list3_))
        levels << list3_->item(row)->text().toInt();
    return levels;
}

const QImage& GraphPanel::picture() const {
    return picture12_->image();
}

QString GraphPanel::studentTitle(int bangou) const {
    return reportStudentName(context_.run.state().tables.roster, bangou);
}

void GraphPanel::showReports(int target) {
    if (drawing_)
        return;
    const RunState& state = context_.run.state();
    const bool printing = target == 1;
    QStringList chosenLines;
    for (int row : selectedRows(list2_))
        chosenLines << list2_->item(row)->text();
    const Outcome<GraphRequest> request =
        graphRequest(chosenLines, selectedStudent_, selectedLevels(), printing);
    if (!request) {
        context_.messages.inform(this, state.catalogue.programTitle, request.error().text());
        return;
    }
    drawing_ = true;

    Outcome<std::vector<ResultKeys>> records = readReportRecords(
        context_.run.newestResultsReader(), state.catalogue.levelCount, context_.clock.now());
    if (!records) {
        context_.messages.inform(this, state.catalogue.programTitle, records.error().text());
        drawing_ = false;
        return;
    }
    ReportSources sources;
    sources.records = *records;
    sources.rankings = context_.rankings;
    sources.programTitle = state.catalogue.programTitle;
    sources.levelCaption = [&state](int level) { return state.catalogue.levelName(level); };
    sources.studentName = [this](int bangou) { return studentTitle(bangou); };

    show();
    raise();
    if (!printing) {
        for (int bangou : request->students) {
            selectedStudent_ = bangou;
            drawOnScreen(sources, request->levels);
        }
    } else if (!context_.printer.hasPrinter()) {
        savePdfFiles(sources, *request);
    } else if (context_.printer.choosePrinter(this)) {
        for (int bangou : request->students) {
            selectedStudent_ = bangou;
            if (!printStudent(sources, request->levels))
                break;
        }
    }
    if (!request->levels.isEmpty())
        selectedLevel_ = request->levels.last();
    drawing_ = false;
}

void GraphPanel::drawOnScreen(const ReportSources& sources, const QList<int>& levels) {
    // The page is made when first drawn: most level menus never show the panel.
    if (picture12_->image().isNull()) {
        picture12_->image() = QImage(picture12_->size(), QImage::Format_RGB32);
        picture12_->image().fill(Qt::white);
    }
    draw::PictureCanvas canvas(&picture12_->image(), kScreenFontPixels, kScreenLineWidth);
    draw::drawStudentReports(canvas, studentTitle(selectedStudent_),
                             makePersonalReports(sources, selectedStudent_, levels));
    canvas.finish();
    picture12_->update();
}

void GraphPanel::savePdfFiles(const ReportSources& sources, const GraphRequest& request) {
    if (context_.messages.yesNo(this, QStringLiteral("印刷"), noPrinterQuestion()) != MessageBox::Answer::Yes)
        return;
    const QString folder = context_.folders.chooseFolder(this, pdfFolderTitle(), defaultReportFolder());
    if (folder.isEmpty())
        return;
    const SavedPdfReports saved = draw::saveStudentReportPdfs(sources, request.students, request.levels,
                                                              folder, context_.clock.now().date());
    if (!request.students.isEmpty())
        selectedStudent_ =
            saved.failure ? request.students.value(saved.files.size()) : request.students.last();
    context_.messages.inform(this, QStringLiteral("印刷"), savedPdfReportsMessage(saved));
}

bool GraphPanel::printStudent(const ReportSources& sources, const QList<int>& levels) {
    const QString name = studentTitle(selectedStudent_);
    std::unique_ptr<draw::PageCanvas> job =
        context_.printer.startJob(context_.run.state().catalogue.programTitle + u' ' + name);
    bool ok = job && job->isActive();
    if (ok) {
        draw::drawStudentReports(*job, name, makePersonalReports(sources, selectedStudent_, levels));
        ok = job->finish();
    }
    if (!ok) {
        context_.messages.inform(
            this, context_.run.state().catalogue.programTitle,
            QStringLiteral("%1 さんの成績を印刷できませんでした。プリンターを確かめてください。").arg(name));
    }
    return ok;
}

} // namespace kz

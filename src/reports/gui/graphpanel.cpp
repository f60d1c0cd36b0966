#include "reports/gui/graphpanel.h"

#include "core/runstate.h"
#include "platform/clock.h"
#include "platform/gui/messagebox.h"
#include "reports/draw/pagecanvas.h"
#include "reports/draw/reportdrawing.h"
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

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption, const QRect& geometry) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
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
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(255, 255, 224));
    setPalette(pal);
    resize(1000, 620);

    QFont listFont = draw::fixedPitchFont(14);
    auto* label27 = new QLabel(QStringLiteral("ﾚﾍﾞﾙ"), this);
    label27->setObjectName(QStringLiteral("Label27"));
    label27->setGeometry(8, 6, 60, 22);
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
    picture12_->image() = QImage(picture12_->size(), QImage::Format_RGB32);
    picture12_->image().fill(Qt::white);

    connect(command25_, &QPushButton::clicked, this, [this] {
        command25_->hide();
        list2_->show();
    });
    connect(command18_, &QPushButton::clicked, this, &QWidget::hide);
    for (int k = 0; k < 2; ++k)
        connect(command24_[k], &QPushButton::clicked, this, [this, k] { showReports(k); });
    connect(list2_, &QListWidget::itemClicked, this, [this] { showReports(0); });
    connect(list3_, &QListWidget::itemClicked, this, [this] {
        if (isVisible())
            showReports(0);
    });
}

void GraphPanel::setPrintAllowed(bool allowed) {
    command24_[1]->setVisible(allowed);
}

void GraphPanel::fillLists() {
    const RunState& state = context_.state;
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
    selectedStudent_ = context_.state.student.currentBangou;
    list2_->hide();
    command25_->show();
    list2_->clearSelection();
    list3_->clearSelection();
    for (int row = 0; row < qMin(3, list3_->count()); ++row)
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
    return trimHalfWidthSpaces(context_.state.tables.roster.nameOf(bangou));
}

void GraphPanel::showReports(int target) {
    if (drawing_)
        return;
    drawing_ = true;
    const RunState& state = context_.state;
    QList<int> students;
    for (int row : selectedRows(list2_)) {
        if (const int bangou = studentOfListLine(list2_->item(row)->text()); bangou > 0)
            students << bangou;
    }
    if (students.isEmpty())
        students << selectedStudent_;
    const QList<int> levels = selectedLevels();
    if (levels.isEmpty() && target == 1) {
        // Nothing to print: no empty pages for anybody.
        context_.messages.inform(this, state.catalogue.programTitle,
                                 QStringLiteral("印刷するレベルを選んでください。"));
        drawing_ = false;
        return;
    }

    Outcome<std::vector<ResultKeys>> records = loadReportRecords(
        state.settings.installation.resultsPath(), state.catalogue.levelCount, context_.clock.now());
    if (!records) {
        context_.messages.inform(this, state.catalogue.programTitle, records.error().text());
        drawing_ = false;
        return;
    }
    ReportSources sources;
    sources.records = *records;
    sources.rankings = context_.rankings;
    sources.programTitle = state.catalogue.programTitle;
    sources.levelCaption = [&state](int level) {
        return level >= 0 && level < RunState::kLevelSlots
                   ? state.catalogue.levelNames[static_cast<size_t>(level)]
                   : QString();
    };
    sources.studentName = [this](int bangou) { return studentTitle(bangou); };

    show();
    raise();
    if (target == 0) {
        for (int bangou : students) {
            selectedStudent_ = bangou;
            drawOnScreen(sources, levels);
        }
    } else if (context_.printer.choosePrinter(this)) {
        for (int bangou : students) {
            selectedStudent_ = bangou;
            if (!printStudent(sources, levels))
                break;
        }
    }
    if (!levels.isEmpty())
        selectedLevel_ = levels.last();
    drawing_ = false;
}

void GraphPanel::drawOnScreen(const ReportSources& sources, const QList<int>& levels) {
    draw::PictureCanvas canvas(&picture12_->image(), kScreenFontPixels, kScreenLineWidth);
    draw::drawStudentReports(canvas, studentTitle(selectedStudent_),
                             makePersonalReports(sources, selectedStudent_, levels));
    canvas.finish();
    picture12_->update();
}

bool GraphPanel::printStudent(const ReportSources& sources, const QList<int>& levels) {
    const QString name = studentTitle(selectedStudent_);
    std::unique_ptr<draw::PageCanvas> job =
        context_.printer.startJob(context_.state.catalogue.programTitle + u' ' + name);
    bool ok = job && job->isActive();
    if (ok) {
        draw::drawStudentReports(*job, name, makePersonalReports(sources, selectedStudent_, levels));
        ok = job->finish();
    }
    if (!ok) {
        context_.messages.inform(
            this, context_.state.catalogue.programTitle,
            QStringLiteral("%1 さんの成績を印刷できませんでした。プリンターを確かめてください。").arg(name));
    }
    return ok;
}

} // namespace kz

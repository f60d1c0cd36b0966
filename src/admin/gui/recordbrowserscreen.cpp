#include "admin/gui/recordbrowserscreen.h"

#include "core/gui/navigator.h"
#include "core/gui/screenkit.h"
#include "core/programrun.h"
#include "core/runstate.h"
#include "platform/gui/messagebox.h"

#include <QComboBox>
#include <QFrame>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>

namespace kz {

namespace {

// The screen's labels: gothic at a point size, text on the left.
QLabel* makeLabel(QWidget* parent, const QString& name, const QRect& place, int points = 14) {
    return kit::makeLabel(parent, name, QString(), place, kit::gothicFont(points));
}

} // namespace

RecordBrowserScreen::RecordBrowserScreen(AppContext& context, QWidget* parent)
    : QWidget(parent), context_(context), browser_(std::make_unique<RecordBrowser>(context.run)) {
    setObjectName(QStringLiteral("FrmData"));
    buildControls();

    // Opening: the cover stays hidden, the list is shown and built.
    list1_->show();
    rebuild();
    if (!browser_->roster().problem.isEmpty())
        context_.messages.inform(this, context_.run.state().catalogue.programTitle,
                                 browser_->roster().problem);
    if (const std::optional<QString> notice = browser_->leftoverCopyNotice())
        context_.messages.inform(this, QStringLiteral("注意"), *notice);
}

RecordBrowserScreen::~RecordBrowserScreen() {
    // The view lets go of the model before the browser that owns it goes.
    if (list1_)
        list1_->setModel(nullptr);
}

void RecordBrowserScreen::buildControls() {
    setFixedSize(kit::kScreenWidth, kit::kScreenHeight);
    setWindowTitle(context_.run.state().catalogue.programTitle);
    kit::paint(this, QColor(224, 236, 248));

    auto* label5 = makeLabel(this, QStringLiteral("Label5"), QRect(20, 12, 640, 36), 16);
    label5->setText(QStringLiteral("ダブルクリックすると変更、消去できます"));

    const QFont buttonFont = kit::gothicFont(13, true);
    auto* picture10 = new QFrame(this);
    picture10->setObjectName(QStringLiteral("Picture10"));
    picture10->setGeometry(884, 6, 130, 48);
    command4_ = kit::makeButton(picture10, QStringLiteral("Command4"), QStringLiteral("戻る"),
                                QRect(4, 4, 122, 40), buttonFont);
    connect(command4_, &QPushButton::clicked, this, &RecordBrowserScreen::goBack);

    // The edit panel: a band above the list.
    picture3_ = new QFrame(this);
    picture3_->setObjectName(QStringLiteral("Picture3"));
    picture3_->setGeometry(10, 58, 1004, 104);
    picture3_->setFrameShape(QFrame::Box);
    kit::paint(picture3_, QColor(255, 250, 220));
    label1_ = makeLabel(picture3_, QStringLiteral("Label1"), QRect(12, 10, 90, 36), 16);
    label1_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label2_[1] = makeLabel(picture3_, QStringLiteral("Label2_1"), QRect(116, 10, 100, 36));
    label2_[2] = makeLabel(picture3_, QStringLiteral("Label2_2"), QRect(220, 10, 130, 36));
    text1_ = new QLineEdit(picture3_);
    text1_->setObjectName(QStringLiteral("Text1_1"));
    text1_->setGeometry(360, 10, 90, 36);
    text1_->setFont(kit::gothicFont(16));
    text1_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label2_[0] = makeLabel(picture3_, QStringLiteral("Label2_0"), QRect(454, 10, 30, 36));
    label2_[0]->setText(QStringLiteral("秒"));
    vscroll1_ = new QScrollBar(Qt::Vertical, picture3_);
    vscroll1_->setObjectName(QStringLiteral("VScroll1"));
    vscroll1_->setGeometry(488, 6, 22, 92);
    vscroll1_->setRange(0, RecordBrowser::kScrollMaximum);
    vscroll1_->setSingleStep(1);
    vscroll1_->setPageStep(10);
    connect(vscroll1_, &QScrollBar::valueChanged, this,
            [this](int value) { text1_->setText(QString::number(value)); });
    combo1_ = new QComboBox(picture3_);
    combo1_->setObjectName(QStringLiteral("Combo1"));
    combo1_->setGeometry(526, 10, 300, 36);
    combo1_->setFont(kit::gothicFont(14));
    combo1_->setEditable(true);
    combo1_->setInsertPolicy(QComboBox::NoInsert);
    combo1_->setMaxVisibleItems(20);
    connect(combo1_, &QComboBox::currentTextChanged, this,
            [this](const QString& text) { label2_[4]->setText(browser_->gradeLabelOfChoice(text)); });
    label2_[4] = makeLabel(picture3_, QStringLiteral("Label2_4"), QRect(836, 10, 90, 36));
    command2_ = kit::makeButton(picture3_, QStringLiteral("Command2"), QStringLiteral("変更して記録"),
                                QRect(526, 56, 160, 40), buttonFont);
    command3_ = kit::makeButton(picture3_, QStringLiteral("Command3"), QStringLiteral("消去"),
                                QRect(696, 56, 110, 40), buttonFont);
    command6_ = kit::makeButton(picture3_, QStringLiteral("Command6"), QStringLiteral("キャンセル"),
                                QRect(816, 56, 130, 40), buttonFont);
    command2_->setEnabled(false);
    command3_->setEnabled(false);
    connect(command2_, &QPushButton::clicked, this, &RecordBrowserScreen::changeRecord);
    connect(command3_, &QPushButton::clicked, this, &RecordBrowserScreen::removeRecord);
    connect(command6_, &QPushButton::clicked, this, &RecordBrowserScreen::cancelEdit);
    picture3_->hide();

    list1_ = new QListView(this);
    list1_->setObjectName(QStringLiteral("List1"));
    list1_->setGeometry(10, 170, 1004, 588);
    list1_->setFont(kit::fixedPitch(kit::gothicFont(18)));
    list1_->setUniformItemSizes(true);
    list1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list1_->setSelectionMode(QAbstractItemView::SingleSelection);
    list1_->setModel(&browser_->model());
    list1_->hide();
    connect(list1_, &QListView::clicked, this, [this] { hideEditPanel(); });
    connect(list1_, &QListView::doubleClicked, this,
            [this](const QModelIndex& index) { openRow(index.row()); });
    connect(list1_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { hideEditPanel(); });

    // The blank cover shown while the screen hands over.
    picture1_ = new QFrame(this);
    picture1_->setObjectName(QStringLiteral("Picture1"));
    picture1_->setGeometry(0, 0, kit::kScreenWidth, kit::kScreenHeight);
    kit::paint(picture1_, QColor(224, 236, 248));
    picture1_->hide();
}

bool RecordBrowserScreen::editPanelOpen() const {
    return picture3_->isVisibleTo(this);
}

int RecordBrowserScreen::selectedRow() const {
    const QModelIndex current = list1_->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void RecordBrowserScreen::rebuild() {
    if (Status s = browser_->build(); !s)
        showError(s.error());
    refillStudents();
}

void RecordBrowserScreen::refillStudents() {
    combo1_->blockSignals(true);
    combo1_->clear();
    combo1_->addItems(browser_->roster().comboItems);
    combo1_->blockSignals(false);
}

void RecordBrowserScreen::hideEditPanel() {
    picture3_->hide();
    browser_->closeEdit();
}

void RecordBrowserScreen::showError(const Error& error) {
    context_.messages.inform(this, context_.run.state().catalogue.programTitle, error.text());
}

void RecordBrowserScreen::selectRow(int row) {
    if (row < 0 || row >= browser_->model().lineCount()) {
        list1_->setCurrentIndex({});
        hideEditPanel();
        return;
    }
    const QModelIndex index = browser_->model().index(row);
    list1_->setCurrentIndex(index);
    list1_->scrollTo(index);
    hideEditPanel();
}

void RecordBrowserScreen::openRow(int row) {
    if (row < 0)
        return;
    if (selectedRow() != row)
        list1_->setCurrentIndex(browser_->model().index(row));
    const Outcome<RecordEditView> view = browser_->openForEdit(row);
    if (!view) {
        hideEditPanel();
        showError(view.error());
        return;
    }
    label1_->setText(QString::number(view->recordNumber));
    command2_->setEnabled(true);
    command3_->setEnabled(true);
    label2_[1]->setText(view->levelText);
    label2_[2]->setText(view->dateText);
    // The scroll bar first, so that the box keeps the true time also beyond 6000.
    vscroll1_->blockSignals(true);
    vscroll1_->setValue(view->scrollValue);
    vscroll1_->blockSignals(false);
    text1_->setText(view->timeText);
    combo1_->setEditText(view->studentText);
    label2_[4]->setText(view->gradeText);
    picture3_->show();
    picture3_->raise();
}

void RecordBrowserScreen::changeRecord() {
    if (!browser_->editing())
        return;
    const Outcome<int> row = browser_->change(text1_->text(), combo1_->currentText());
    if (!row) {
        const int before = selectedRow();
        showError(row.error());
        // A refused entry keeps the panel open for a correction; anything else ends the edit.
        if (!browser_->editing()) {
            refillStudents();
            selectRow(qMin(before, browser_->model().lineCount() - 1));
        }
        return;
    }
    refillStudents();
    selectRow(*row);
}

void RecordBrowserScreen::removeRecord() {
    const int row = selectedRow();
    if (row < 0)
        return;
    if (context_.messages.okCancel(this, QStringLiteral("注意"), QStringLiteral("本当に消去しますか")) !=
        MessageBox::Answer::Ok)
        return;
    const Outcome<RecordBrowser::Removed> removed = browser_->remove(row);
    refillStudents();
    if (!removed) {
        showError(removed.error());
        selectRow(qMin(row, browser_->model().lineCount() - 1));
        return;
    }
    selectRow(removed->selectRow);
    if (!removed->notice.isEmpty())
        context_.messages.inform(this, QStringLiteral("注意"), removed->notice);
}

void RecordBrowserScreen::cancelEdit() {
    hideEditPanel();
}

void RecordBrowserScreen::goBack() {
    if (leaving_)
        return;
    leaving_ = true;
    picture1_->show();
    picture1_->raise();
    // The navigator shows the new level menu and then closes this screen.
    context_.navigator.showLevelMenu();
}

} // namespace kz

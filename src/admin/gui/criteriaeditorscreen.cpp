#include "admin/gui/criteriaeditorscreen.h"

#include "admin/criterianotices.h"
#include "admin/distribution.h"
#include "core/gui/navigator.h"
#include "core/gui/screenkit.h"
#include "core/programrun.h"
#include "core/runstate.h"
#include "platform/gui/messagebox.h"

#include <QApplication>
#include <QEvent>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>

namespace kz {

namespace {

constexpr int kRowsInView = 33;
constexpr int kRowHeight = 18;
constexpr int kHeaderHeight = 34; // two lines: the titles do not fit the narrow columns on one

const QColor kPanelColour(192, 255, 192);
const QColor kInputColour(128, 255, 128);
const QColor kMarkColour(255, 255, 0);
const QColor kCellColour(255, 255, 255);
const QColor kFixedColour(224, 224, 224);
const QColor kTextColour(0, 0, 0);
const QColor kNoticeColour(192, 0, 0);

QListWidget* makeList(QWidget* parent, const QString& name, const QRect& place) {
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    list->setGeometry(place);
    list->setFont(kit::fixedPitch(kit::gothicPixelFont(11)));
    list->setFocusPolicy(Qt::NoFocus);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    return list;
}

CriteriaEditor::Key editorKey(const QKeyEvent& event) {
    switch (event.key()) {
    case Qt::Key_Escape:
        return CriteriaEditor::Key::Escape;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return CriteriaEditor::Key::Enter;
    case Qt::Key_Up:
        return CriteriaEditor::Key::Up;
    case Qt::Key_Down:
        return event.modifiers().testFlag(Qt::ShiftModifier) ? CriteriaEditor::Key::ShiftDown
                                                             : CriteriaEditor::Key::Down;
    case Qt::Key_Left:
        return CriteriaEditor::Key::Left;
    case Qt::Key_Right:
        return CriteriaEditor::Key::Right;
    default:
        break;
    }
    return event.text() == u" " ? CriteriaEditor::Key::Space : CriteriaEditor::Key::Other;
}

} // namespace

CriteriaEditorScreen::CriteriaEditorScreen(const AppContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    setObjectName(QStringLiteral("FrmTimeData"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(context_.run.state().catalogue.programTitle);
    setFixedSize(kit::kScreenWidth, kit::kScreenHeight);
    buildControls();

    // Opening: the grid from the file, cell (1, 1) current, the input box over it with the
    // column's help, its text, and the distribution of level 1.
    label4_->clear();
    const Status loaded = editor_.load(context_.run);
    notice_ = openingNotice(loaded, editor_.loadNotice());
    label4_->setText(notice_);
    showGrid();
    sizeGrid();
    positionInput();
    showInputText();
    fillDistribution();
}

CriteriaEditorScreen::~CriteriaEditorScreen() = default;

void CriteriaEditorScreen::buildControls() {
    picture1_ = new QFrame(this);
    picture1_->setObjectName(QStringLiteral("Picture1"));
    picture1_->setGeometry(0, 0, kit::kScreenWidth, kit::kScreenHeight);
    kit::paintPanel(picture1_, kPanelColour, kTextColour);

    kit::makeLabel(picture1_, QStringLiteral("Label5"),
                   QStringLiteral("成績の基準となるデータを変更できます"), QRect(12, 8, 548, 32),
                   kit::gothicPixelFont(20, true));
    label4_ = kit::makeLabel(picture1_, QStringLiteral("Label4"), QString(), QRect(12, 40, 548, 24),
                             kit::gothicPixelFont(12));
    label4_->setWordWrap(true);
    kit::paintPanel(label4_, kPanelColour, kNoticeColour);

    kit::makeLabel(picture1_, QStringLiteral("Label6"), QStringLiteral("列の説明"), QRect(572, 8, 200, 22),
                   kit::gothicPixelFont(14, true));
    label3_ = kit::makeLabel(picture1_, QStringLiteral("Label3"), QString(), QRect(572, 32, 444, 76),
                             kit::gothicPixelFont(13));
    label3_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    grid_ = new QTableWidget(0, CriteriaEditor::kColumns, picture1_);
    grid_->setObjectName(QStringLiteral("MSFlexGrid1"));
    grid_->setFont(kit::gothicPixelFont(12));
    grid_->horizontalHeader()->setFont(kit::gothicPixelFont(11, true));
    grid_->horizontalHeader()->setDefaultAlignment(Qt::Alignment(Qt::AlignCenter) |
                                                   Qt::Alignment(Qt::TextWordWrap));
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->horizontalHeader()->setFixedHeight(kHeaderHeight);
    grid_->horizontalHeader()->setHighlightSections(false);
    grid_->verticalHeader()->hide();
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setDefaultSectionSize(kRowHeight);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionMode(QAbstractItemView::NoSelection);
    grid_->setFocusPolicy(Qt::NoFocus);
    grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid_->setCornerButtonEnabled(false);
    QStringList titles;
    for (int c = 0; c < CriteriaEditor::kColumns; ++c)
        titles << CriteriaEditor::headerText(c);
    grid_->setHorizontalHeaderLabels(titles);
    connect(grid_, &QTableWidget::cellClicked, this,
            [this](int tableRow, int column) { clickCell(tableRow + 1, column); });

    input_ = new QLineEdit(grid_->viewport());
    input_->setObjectName(QStringLiteral("Gridinputtext"));
    input_->setFrame(false);
    input_->setFont(kit::gothicPixelFont(12));
    kit::paintPanel(input_, kInputColour, kTextColour);
    input_->installEventFilter(this);
    // Every change of the box, typed or pasted, goes into the cell at once.
    connect(input_, &QLineEdit::textChanged, this, &CriteriaEditorScreen::storeTypedText);

    kit::makeLabel(picture1_, QStringLiteral("Label1"),
                   QStringLiteral("スペース：セルクリア　　Shift + ↓：セルコピー"), QRect(12, 712, 548, 28),
                   kit::gothicPixelFont(16, true));

    auto* picture3 = new QFrame(picture1_);
    picture3->setObjectName(QStringLiteral("Picture3"));
    picture3->setGeometry(572, 114, 444, 558);
    picture3->setFrameShape(QFrame::Box);
    kit::paintPanel(picture3, QColor(232, 255, 232), kTextColour);
    kit::makeLabel(picture3, QStringLiteral("Label7"), QStringLiteral("現在までの成績度数分布"),
                   QRect(8, 4, 428, 28), kit::gothicPixelFont(16, true));
    kit::makeLabel(picture3, QStringLiteral("Label9"), QStringLiteral("全成績"), QRect(8, 34, 212, 22),
                   kit::gothicPixelFont(14, true));
    kit::makeLabel(picture3, QStringLiteral("Label10"), QStringLiteral("最高タイム"), QRect(226, 34, 210, 22),
                   kit::gothicPixelFont(14, true));
    list3_ = makeList(picture3, QStringLiteral("List3"), QRect(8, 58, 212, 492));
    list4_ = makeList(picture3, QStringLiteral("List4"), QRect(226, 58, 210, 492));

    const QFont buttonFont = kit::gothicPixelFont(18, true);
    command2_ = kit::makeButton(picture1_, QStringLiteral("Command2"), QStringLiteral("元に戻す"),
                                QRect(572, 690, 140, 50), buttonFont);
    command3_ = kit::makeButton(picture1_, QStringLiteral("Command3"), QStringLiteral("更新記録"),
                                QRect(724, 690, 140, 50), buttonFont);
    command4_ = kit::makeButton(picture1_, QStringLiteral("Command4"), QStringLiteral("戻る"),
                                QRect(876, 690, 140, 50), buttonFont);
    connect(command2_, &QPushButton::clicked, this, &CriteriaEditorScreen::revert);
    connect(command3_, &QPushButton::clicked, this, [this] { save(); });
    connect(command4_, &QPushButton::clicked, this, &CriteriaEditorScreen::goBack);

    picture6_ = new QFrame(this);
    picture6_->setObjectName(QStringLiteral("Picture6"));
    picture6_->setGeometry(0, 0, kit::kScreenWidth, kit::kScreenHeight);
    kit::paintPanel(picture6_, kPanelColour, kTextColour);
    auto* label8 =
        kit::makeLabel(picture6_, QStringLiteral("Label8"), QStringLiteral("Just a moment,please."),
                       QRect(0, 0, kit::kScreenWidth, kit::kScreenHeight), kit::gothicPixelFont(40, true));
    label8->setAlignment(Qt::AlignCenter);
    picture6_->hide();
}

void CriteriaEditorScreen::sizeGrid() {
    // Every column a 13th of the grid's width, then column 1 four fifths of column 2;
    // the grid tall enough for 33 level rows under the header.
    const int frame = 2 * grid_->frameWidth();
    const int gridWidth = 548;
    const int column = (gridWidth - frame) / CriteriaEditor::kColumns;
    for (int c = 0; c < CriteriaEditor::kColumns; ++c)
        grid_->setColumnWidth(c, column);
    grid_->setColumnWidth(1, column * 4 / 5);
    grid_->setGeometry(12, 68, gridWidth, kHeaderHeight + kRowsInView * kRowHeight + frame);
}

void CriteriaEditorScreen::showGrid() {
    grid_->setRowCount(editor_.lastRow());
    for (int row = 1; row <= editor_.lastRow(); ++row) {
        for (int column = 0; column < CriteriaEditor::kColumns; ++column)
            showCell(row, column);
    }
}

void CriteriaEditorScreen::showCell(int row, int column) {
    QTableWidgetItem* item = grid_->item(row - 1, column);
    if (!item) {
        item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsEnabled);
        if (column == 0)
            item->setTextAlignment(Qt::AlignCenter);
        grid_->setItem(row - 1, column, item);
    }
    item->setText(editor_.cellText(row, column));
    const QColor background = column == 0                   ? kFixedColour
                              : editor_.marked(row, column) ? kMarkColour
                                                            : kCellColour;
    item->setBackground(background);
}

void CriteriaEditorScreen::positionInput() {
    const int row = editor_.currentRow();
    const int column = editor_.currentColumn();
    label3_->setText(CriteriaEditor::columnHelp(column).join(u'\n'));
    if (row < 1) {
        input_->hide();
        return;
    }
    QTableWidgetItem* item = grid_->item(row - 1, column);
    grid_->scrollToItem(item);
    input_->setGeometry(grid_->visualItemRect(item));
    input_->show();
    input_->raise();
    input_->setFocus();
}

void CriteriaEditorScreen::showInputText() {
    input_->setText(editor_.inputText());
    input_->setCursorPosition(editor_.caretPosition());
}

void CriteriaEditorScreen::fillDistribution() {
    const int level = editor_.currentLevel();
    // The lists are filled anew after every key; where the teacher had scrolled them stays.
    const int scrolled3 = list3_->verticalScrollBar()->value();
    const int scrolled4 = list4_->verticalScrollBar()->value();
    list3_->clear();
    list4_->clear();
    if (level < 1)
        return;
    const Outcome<ResultsDistribution> distribution = readResultsDistribution(context_.run);
    const Status read = distribution ? Status() : Status(distribution.error());
    label4_->setText(noticeWithDistribution(notice_, read));
    if (!distribution)
        return;
    list3_->addItems(distribution->allResultsLines(level));
    list4_->addItems(distribution->bestTimeLines(level));
    list3_->verticalScrollBar()->setValue(scrolled3);
    list4_->verticalScrollBar()->setValue(scrolled4);
}

void CriteriaEditorScreen::storeTypedText(const QString& text) {
    editor_.TextToGrid転送(text);
    showCell(editor_.currentRow(), editor_.currentColumn());
}

bool CriteriaEditorScreen::eventFilter(QObject* watched, QEvent* event) {
    if (watched != input_ || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    if (leaving_)
        return true;
    const auto* keyEvent = static_cast<QKeyEvent*>(event);
    const CriteriaEditor::KeyResult result = editor_.keyDown(editorKey(*keyEvent));
    if (result.refresh) {
        // A space or a Shift + down copy changed cells without the box being typed in.
        showGrid();
        if (result.currentMoved)
            positionInput();
        fillDistribution();
        showInputText();
    }
    return result.consumed;
}

void CriteriaEditorScreen::clickCell(int row, int column) {
    if (leaving_ || !editor_.click(row, column)) {
        input_->setFocus();
        return;
    }
    positionInput();
    fillDistribution();
    showInputText();
}

void CriteriaEditorScreen::revert() {
    if (leaving_)
        return;
    if (const Status loaded = editor_.load(context_.run); !loaded) {
        context_.messages.inform(this, context_.run.state().catalogue.programTitle,
                                 revertFailedText(loaded.error()));
        input_->setFocus();
        return;
    }
    notice_ = editor_.loadNotice();
    label4_->setText(notice_);
    showGrid();
    positionInput();
    showInputText();
    fillDistribution();
}

bool CriteriaEditorScreen::save() {
    if (leaving_)
        return false;
    showWaitPanel();
    const Status saved = editor_.save(context_.run);
    hideWaitPanel();
    if (!saved)
        context_.messages.inform(this, context_.run.state().catalogue.programTitle,
                                 saveFailedText(saved.error()));
    input_->setFocus();
    return saved.ok();
}

void CriteriaEditorScreen::goBack() {
    if (leaving_)
        return;
    if (editor_.changed()) {
        const MessageBox::Answer answer = context_.messages.yesNo(
            this, QStringLiteral("注意"), QStringLiteral("データが変更されています。記録しますか？"));
        // A save that failed keeps the teacher here with the edits, rather than dropping them.
        if (answer == MessageBox::Answer::Yes && !save())
            return;
    }
    leaving_ = true;
    showWaitPanel();
    // The navigator shows the new level menu and then closes this screen.
    context_.navigator.showLevelMenu();
}

bool CriteriaEditorScreen::waitPanelShown() const {
    return picture6_->isVisibleTo(this);
}

void CriteriaEditorScreen::showWaitPanel() {
    picture6_->show();
    picture6_->raise();
    picture6_->repaint();
}

void CriteriaEditorScreen::hideWaitPanel() {
    picture6_->hide();
}

} // namespace kz

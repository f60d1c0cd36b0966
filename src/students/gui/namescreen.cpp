#include "students/gui/namescreen.h"

#include "core/cues.h"
#include "core/gui/navigator.h"
#include "core/gui/paintnow.h"
#include "core/gui/screenkit.h"
#include "core/programrun.h"
#include "core/runstate.h"
#include "data/grade.h"
#include "data/roster.h"
#include "platform/clock.h"
#include "platform/gui/messagebox.h"
#include "platform/randomsource.h"
#include "students/nameline.h"
#include "students/programmenu.h"
#include "students/rosternotice.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>

namespace kz {

namespace {

const QString& chooseNameText() {
    static const QString text = QStringLiteral("名前を選びなさい");
    return text;
}

} // namespace

NameScreen::NameScreen(AppContext& context, NameSelSeams seams, QWidget* parent)
    : QWidget(parent), context_(context), seams_(std::move(seams)),
      handedOverFilter_(gradeFilters().first()) {
    setObjectName(QStringLiteral("namesel"));
    buildControls();
    // The form sees every key before its controls.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);

    seedFromClock(context_.random, context_.clock);
    if (seams_.builtHidden) {
        activate();
        return;
    }
    // Shown before the list is built, so the wait panel is what the student sees while
    // the results and the roster are read.
    show();
    activate();
}

// QWidget deletes the children before the screen's QObject part lets go of their
// signals: the list, emptied as it goes, would otherwise report a row change to labels
// already deleted.
NameScreen::~NameScreen() {
    for (QObject* child : children())
        child->disconnect(this);
}

void NameScreen::buildControls() {
    setFixedSize(kit::kScreenWidth, kit::kScreenHeight);
    const RunState& state = context_.run.state();
    setWindowTitle(state.catalogue.programTitle);
    const QColor season = kit::colour(state.levelMenu.seasonColour);
    kit::paint(this, season);

    // Title strip.
    picture4_ = new QFrame(this);
    picture4_->setObjectName(QStringLiteral("Picture4"));
    picture4_->setGeometry(0, 0, 1024, 104);
    kit::paint(picture4_, QColor(0, 40, 110));
    auto* picture3 = new QFrame(picture4_);
    picture3->setObjectName(QStringLiteral("Picture3"));
    picture3->setGeometry(14, 8, 88, 88);
    auto* image1 = new QLabel(picture3);
    image1->setObjectName(QStringLiteral("Image1"));
    image1->setGeometry(0, 0, 88, 88);
    image1->setPixmap(kit::programIcon(88));
    auto* label6 = new QLabel(picture4_);
    label6->setObjectName(QStringLiteral("Label6"));
    label6->setGeometry(116, 10, 560, 84);
    label6->setStyleSheet(
        QStringLiteral("background-color: rgb(255, 250, 205); border: 3px solid rgb(200, 150, 0);"
                       " border-radius: 12px;"));
    label4_ = new QLabel(picture4_);
    label4_->setObjectName(QStringLiteral("Label4"));
    label4_->setGeometry(116, 10, 560, 84);
    label4_->setFont(kit::gothicFont(48, true));
    label4_->setAlignment(Qt::AlignCenter);
    label4_->setText(state.catalogue.programTitle);
    label4_->setStyleSheet(QStringLiteral("color: rgb(0, 40, 110); background: transparent;"));
    label4_->setCursor(Qt::PointingHandCursor);

    // The choice and its confirmation.
    label1_ = new QLabel(this);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setGeometry(20, 116, 700, 72);
    label1_->setFont(kit::gothicFont(30, true));
    label1_->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    label1_->setIndent(14);
    label1_->setStyleSheet(QStringLiteral("background-color: white; color: rgb(0, 0, 128);"
                                          " border: 2px solid rgb(0, 40, 110);"));
    command14_ = new QPushButton(QStringLiteral("O.K."), this);
    command14_->setObjectName(QStringLiteral("Command14"));
    command14_->setGeometry(740, 116, 264, 72);
    command14_->setFont(kit::gothicFont(28, true));
    connect(command14_, &QPushButton::clicked, this, &NameScreen::confirm);
    label2_ = new QLabel(this);
    label2_->setObjectName(QStringLiteral("Label2"));
    label2_->hide();

    // The name list.
    list1_ = new QListWidget(this);
    list1_->setObjectName(QStringLiteral("List1"));
    list1_->setGeometry(20, 200, 620, 548);
    list1_->setFont(kit::fixedPitch(kit::gothicFont(20)));
    list1_->setStyleSheet(
        QStringLiteral("QListWidget { background-color: rgb(224, 255, 255); color: black; }"
                       " QListWidget::item:selected { background-color: rgb(0, 0, 128); color: white; }"));
    list1_->setSelectionMode(QAbstractItemView::SingleSelection);
    list1_->setUniformItemSizes(true);
    connect(list1_, &QListWidget::currentRowChanged, this, &NameScreen::selectLine);
    connect(list1_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        const int row = list1_->row(item);
        if (row <= 0) {
            label1_->setText(chooseNameText());
        } else {
            label1_->setText(doubleClickedLineLabel(item->text()));
            choose(lineBangou_.value(row));
        }
        confirm();
    });

    // Display modes.
    auto* picture7 = new QFrame(this);
    picture7->setObjectName(QStringLiteral("Picture7"));
    picture7->setGeometry(660, 200, 344, 212);
    picture7->setFrameShape(QFrame::Box);
    kit::paint(picture7, QColor(255, 255, 240));
    modes_ = new QButtonGroup(this);
    const QList<QString>& captions = nameListModeCaptions();
    for (int i = 0; i < kNameListModes; ++i) {
        auto* option = new QRadioButton(captions[i], picture7);
        option->setObjectName(QStringLiteral("Option1_%1").arg(i));
        option->setGeometry(16, 12 + i * 50, 320, 40);
        option->setFont(kit::gothicFont(15));
        modes_->addButton(option, i);
    }
    connect(modes_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            chooseMode(id);
    });

    // Grade filter.
    combo1_ = new QComboBox(this);
    combo1_->setObjectName(QStringLiteral("Combo1"));
    combo1_->setGeometry(660, 428, 344, 52);
    combo1_->setFont(kit::gothicFont(20));
    combo1_->setToolTip(QStringLiteral("表示する学年を選びなさい"));
    combo1_->setMaxVisibleItems(12);
    connect(combo1_, &QComboBox::activated, this, &NameScreen::pickFilter);

    standingNotice_ = new QLabel(this);
    standingNotice_->setObjectName(QStringLiteral("standingNotice"));
    standingNotice_->setGeometry(660, 488, 344, 180);
    standingNotice_->setFont(kit::gothicFont(14, true));
    standingNotice_->setWordWrap(true);
    standingNotice_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    kit::paint(standingNotice_, QColor(255, 235, 235), QColor(180, 0, 0));
    standingNotice_->hide();

    command7_ = new QPushButton(QStringLiteral("ﾌﾟﾟﾛｸﾞﾗﾑメニューへ(0)"), this);
    command7_->setObjectName(QStringLiteral("Command7"));
    command7_->setGeometry(660, 676, 344, 72);
    command7_->setFont(kit::gothicFont(18));
    connect(command7_, &QPushButton::clicked, this, &NameScreen::leaveForProgramMenu);

    // Wait panel over the whole screen.
    picture5_ = new QFrame(this);
    picture5_->setObjectName(QStringLiteral("Picture5"));
    picture5_->setGeometry(0, 0, kit::kScreenWidth, kit::kScreenHeight);
    kit::paint(picture5_, season);
    auto* label19 = new QLabel(QStringLiteral("Just a moment, please."), picture5_);
    label19->setObjectName(QStringLiteral("Label19"));
    label19->setGeometry(0, 300, 1024, 120);
    label19->setAlignment(Qt::AlignCenter);
    label19->setFont(kit::gothicFont(40, true));
    picture5_->raise();
}

void NameScreen::activate() {
    picture5_->show();
    picture5_->raise();
    {
        const QSignalBlocker blockModes(modes_);
        mode_ = kDefaultNameListMode;
        modes_->button(mode_)->setChecked(true);
    }
    {
        const QSignalBlocker blockCombo(combo1_);
        combo1_->clear();
        combo1_->addItems(gradeFilters());
        combo1_->setCurrentIndex(0);
    }
    handedOverFilter_ = gradeFilters().first();
    context_.run.setGradeFilter(handedOverFilter_);
    名簿表示();
    label1_->setText(chooseNameText());
    picture5_->hide();
    list1_->setFocus();
}

QString NameScreen::gradeFilter() const {
    return combo1_->currentText();
}

void NameScreen::名簿表示() {
    if (rebuilding_)
        return;
    const RunState& state = context_.run.state();
    rebuilding_ = true;
    const bool panelWasUp = picture5_->isVisible();
    if (!panelWasUp) {
        picture5_->show();
        picture5_->raise();
    }
    // The wait panel is on the screen before the results and the roster are read.
    if (isVisible())
        paintNow();
    {
        const QPointer<NameScreen> self(this);
        (void)context_.run.refreshStatistics();
        if (!self)
            return;
    }
    const Outcome<RosterLoadResult> loaded = context_.run.readRoster();
    rebuilding_ = false;
    if (!panelWasUp)
        picture5_->hide();

    list1_->clear();
    choose(kNoChoice);
    // All lines in one insertion: the list lays itself out once, not once per student.
    const QList<NameListLine> lines =
        buildNameList(state.tables.roster.listed, state.tables.statistics, mode_, gradeFilter());
    QStringList texts;
    texts.reserve(lines.size() + 1);
    lineBangou_.clear();
    lineBangou_.reserve(lines.size() + 1);
    texts.append(nameListSeparator());
    lineBangou_.append(0);
    for (const NameListLine& line : lines) {
        texts.append(line.text);
        lineBangou_.append(line.bangou);
    }
    list1_->addItems(texts);
    list1_->setCurrentRow(0);
    selectLine(0);
    const QString standing = standingNameScreenNotice(state, loaded);
    standingNotice_->setText(standing);
    standingNotice_->setVisible(!standing.isEmpty());

    if (rosterNoticeShown_)
        return;
    const QString notice = rosterNoticeText(loaded, state.settings.installation.rosterPath());
    if (!notice.isEmpty()) {
        rosterNoticeShown_ = true;
        context_.messages.inform(this, state.catalogue.programTitle, notice);
    }
}

void NameScreen::choose(int bangou) {
    chosenBangou_ = bangou;
    label2_->setText(bangou == kNoChoice ? QString() : QString::number(bangou));
}

void NameScreen::selectLine(int row) {
    if (row <= 0) {
        label1_->setText(chooseNameText());
        return;
    }
    const QListWidgetItem* item = list1_->item(row);
    if (!item)
        return;
    label1_->setText(clickedLineLabel(item->text()));
    choose(lineBangou_.value(row));
}

void NameScreen::chooseMode(int mode) {
    if (mode == mode_ || mode < 0 || mode >= kNameListModes)
        return;
    mode_ = mode;
    名簿表示();
}

void NameScreen::pickFilter(int index) {
    Q_UNUSED(index);
    handedOverFilter_ = combo1_->currentText();
    context_.run.setGradeFilter(handedOverFilter_);
    名簿表示();
    list1_->setFocus();
}

void NameScreen::confirm() {
    if (handingOver_ || rebuilding_)
        return;
    const QString shown = label1_->text();
    const int bangou = chosenBangou_;
    if (shown.isEmpty() || shown == chooseNameText() || bangou < 0 || bangou >= RosterTables::kStudents) {
        context_.cues.playWrongSound();
        return;
    }
    handingOver_ = true;
    context_.run.setGradeFilter(handedOverFilter_);
    context_.run.chooseStudent(bangou);

    command14_->hide();
    picture5_->show();
    picture5_->raise();
    paintNow();

    context_.navigator.showLevelMenu();
}

void NameScreen::leaveForProgramMenu() {
    if (handingOver_ || rebuilding_)
        return;
    handingOver_ = true;
    const RunState& state = context_.run.state();
    ProgramMenuStart start;
    if (seams_.launcher) {
        start = startProgramMenu(state.settings.installation, *seams_.launcher);
    } else {
        start.launcherPath = state.settings.installation.launcherPath();
        start.reason = QStringLiteral("起動の手段がありません");
    }
    // Without a program menu (no folder "起動") there is nothing to start: just end.
    if (start.started || start.noMenu) {
        context_.navigator.quitProgram(0);
        return;
    }
    context_.messages.inform(this, state.catalogue.programTitle, programMenuFailureText(start));
    context_.navigator.quitProgram(1);
}

bool NameScreen::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress)
        return handleKey(watched, static_cast<QKeyEvent*>(event));
    if (watched == label4_ && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && label4_->rect().contains(mouse->position().toPoint())) {
            if (seams_.openVersionWindow)
                seams_.openVersionWindow(this);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool NameScreen::handleKey(QObject* watched, QKeyEvent* key) {
    const QString text = key->text();
    if (text == u"1" && command14_->isVisibleTo(this)) {
        confirm();
        return true;
    }
    if (text == u"0" && command7_->isVisibleTo(this)) {
        leaveForProgramMenu();
        return true;
    }
    const bool inList = watched == list1_ || watched == list1_->viewport();
    if (inList &&
        (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Space)) {
        confirm();
        return true;
    }
    return false;
}

} // namespace kz

#include "levelmenu/gui/levelmenuscreen.h"

#include "core/catalogue.h"
#include "core/gui/navigator.h"
#include "core/gui/paintnow.h"
#include "core/gui/screenkit.h"
#include "core/programrun.h"
#include "core/runstate.h"
#include "data/grade.h"
#include "levelmenu/teacheraccess.h"
#include "platform/clock.h"
#include "platform/gui/folderpicker.h"
#include "platform/gui/messagebox.h"
#include "reports/gui/graphpanel.h"
#include "reports/gui/reportprinter.h"
#include "reports/gui/resultslistmodel.h"
#include "reports/personalhistory.h"
#include "reports/personalreport.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QProgressBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>

namespace kz {

namespace {

// Vertical places of a level column, in pixels from the top of the form.
constexpr int kHeadingY = 112; // Label5
constexpr int kNameRowY = 140; // Label1, Label3
constexpr int kNameRowH = 26;
constexpr int kStartY = 170; // Command4, Text1
constexpr int kStartH = 34;
constexpr int kCaptionY = 208; // Label9, Label10
constexpr int kCaptionH = 20;
constexpr int kFigureY = 230; // Label14, Label15
constexpr int kFigureH = 22;
constexpr int kRecentY = 254; // Label8
constexpr int kRecentH = 22;
constexpr int kListY = 280; // List5
constexpr int kListH = 396;
constexpr int kCriteriaY = 680; // Label7
constexpr int kCriteriaH = 24;
constexpr int kScrollY = 716; // HScroll1
constexpr int kColumnGap = 6; // free pixels between two columns

const QColor kLightGrey(224, 224, 224);
const QColor kLockGrey(192, 192, 192);

// Shows every character of the password box as "*".
class StarPasswordStyle final : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter)
            return u'*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QString indexed(const char16_t* base, int index) {
    return QString::fromUtf16(base) + u'_' + QString::number(index);
}

} // namespace

LevelMenuScreen::LevelMenuScreen(AppContext& context, LevelMenuHooks hooks, QWidget* parent)
    : QWidget(parent), context_(context), hooks_(std::move(hooks)) {
    setObjectName(QStringLiteral("seisekitime1"));
    const RunState& state = context_.run.state();
    setWindowTitle(state.catalogue.programTitle);
    setFixedSize(kit::kScreenWidth, kit::kScreenHeight);
    setFont(kit::gothicFont(10));

    // Loading: the period of the all-attempts table starts at 3 (ResultsDisplay); the form
    // and the wait panel take the season colour and the wait panel covers the screen.
    const Rgb& season = state.levelMenu.seasonColour;
    kit::paint(this, kit::colour(season));

    const int levels = std::clamp<int>(state.catalogue.levelCount, 0, kLastSlotLevel);
    geometry_ = columnGeometry(levels);
    columns_.resize(static_cast<size_t>(levels) + 1);
    topRows_.assign(static_cast<size_t>(levels) + 1, 0);
    if (hooks_.tables && hooks_.tables->levelCount() == levels) {
        builder_ = hooks_.tables;
    } else {
        ownBuilder_ = std::make_unique<ResultsTableBuilder>(
            TableSources{state.tables.roster, state.tables.statistics, state.tables.criteria, levels});
        builder_ = ownBuilder_.get();
    }

    buildHeader();
    buildColumns();
    buildPanels();
    placeColumns();

    qApp->installEventFilter(this);
}

LevelMenuScreen::~LevelMenuScreen() {
    if (qApp)
        qApp->removeEventFilter(this);
}

void LevelMenuScreen::buildHeader() {
    label11_ = kit::makeLabel(this, QStringLiteral("Label11"));
    label11_->setGeometry(16, 4, 320, 48);
    label12_ = kit::makeLabel(this, QStringLiteral("Label12"));
    label12_->setGeometry(344, 4, 360, 34);
    label12_->setFont(kit::gothicFont(18, true));
    label13_ = kit::makeLabel(this, QStringLiteral("Label13"));
    label13_->setGeometry(344, 40, 360, 22);
    label13_->setFont(kit::gothicFont(11));
    label17_ = kit::makeLabel(this, QStringLiteral("Label17"));
    label17_->setGeometry(712, 8, 170, 22);
    label17_->setFont(kit::gothicFont(11));
    label18_ = kit::makeLabel(this, QStringLiteral("Label18"));
    label18_->setGeometry(712, 36, 170, 22);
    label18_->setFont(kit::gothicFont(11));

    command1_ = kit::makeButton(this, QStringLiteral("Command1"), QStringLiteral("戻る(0)"));
    command1_->setGeometry(890, 6, 120, 38);
    command1_->setFont(kit::gothicFont(12, true));
    connect(command1_, &QPushButton::clicked, this, &LevelMenuScreen::goBack);

    command8_ = kit::makeButton(this, QStringLiteral("Command8"), QStringLiteral("データ処理"));
    command8_->setGeometry(890, 48, 120, 28);
    command8_->hide();
    connect(command8_, &QPushButton::clicked, this, &LevelMenuScreen::openTeacherPanel);

    // Grade filter of the results lists, preset with the filter handed over by the name screen.
    combo1_ = new QComboBox(this);
    combo1_->setObjectName(QStringLiteral("Combo1"));
    combo1_->setGeometry(16, 80, 140, 26);
    combo1_->addItems(gradeFilters());
    const int handedOver = combo1_->findText(context_.run.state().levelMenu.handedOverFilter);
    combo1_->setCurrentIndex(handedOver >= 0 ? handedOver : 0);
    connect(combo1_, &QComboBox::activated, this, &LevelMenuScreen::gradeFilterChosen);

    // Which table the lists show.
    option1Group_ = new QButtonGroup(this);
    const QStringList tableCaptions = ResultsDisplay::tableCaptions(ResultsDisplay::Display::Points);
    for (int i = 1; i <= 3; ++i) {
        auto* option = new QRadioButton(tableCaptions[i - 1], this);
        option->setObjectName(indexed(u"Option1", i));
        option->setGeometry(168 + (i - 1) * 88, 80, 86, 26);
        option1Group_->addButton(option, i);
        option1_[i] = option;
    }
    connect(option1Group_, &QButtonGroup::idClicked, this, &LevelMenuScreen::tableChosen);

    // Period of the all-attempts table; shown with that table.
    combo2_ = new QComboBox(this);
    combo2_->setObjectName(QStringLiteral("Combo2"));
    combo2_->setGeometry(440, 80, 220, 26);
    combo2_->addItems(ResultsDisplay::periodItems());
    combo2_->setCurrentIndex(kDefaultPeriod - 1);
    combo2_->hide();
    connect(combo2_, &QComboBox::activated, this, &LevelMenuScreen::periodChosen);

    // Times, points or the student's own times.
    option2Group_ = new QButtonGroup(this);
    const QString displayCaptions[] = {QStringLiteral("ﾀｲﾑ表示"), QStringLiteral("ﾎﾟｲﾝﾄ表示"),
                                       QStringLiteral("個人ﾀｲﾑ")};
    for (int k = 0; k < 3; ++k) {
        auto* option = new QRadioButton(displayCaptions[k], this);
        option->setObjectName(indexed(u"Option2", k));
        option->setGeometry(672 + k * 100, 80, 98, 26);
        option2Group_->addButton(option, k);
        option2_[k] = option;
    }
    connect(option2Group_, &QButtonGroup::idClicked, this, &LevelMenuScreen::displayChosen);

    label5_ = kit::makeLabel(this, QStringLiteral("Label5"));
    label5_->setGeometry(16, kHeadingY, 600, 24);
    label5_->setFont(kit::gothicFont(12, true));
    // The graph button, shown with the personal times.
    command17_ = kit::makeButton(this, QStringLiteral("Command17"), QStringLiteral("グラフ"));
    command17_->setGeometry(630, kHeadingY - 3, 110, 28);
    command17_->hide();
    connect(command17_, &QPushButton::clicked, this, [this] {
        if (!rebuilding_ && !leaving_ && display_.display() == ResultsDisplay::Display::PersonalTimes)
            graphPanel_->open();
    });

    hscroll1_ = new QScrollBar(Qt::Horizontal, this);
    hscroll1_->setObjectName(QStringLiteral("HScroll1"));
    hscroll1_->setGeometry(16, kScrollY, kit::kScreenWidth - 32, 20);
    hscroll1_->setRange(geometry_.scrollMinimum, geometry_.scrollMaximum);
    hscroll1_->setPageStep(1);
    hscroll1_->setSingleStep(1);
    hscroll1_->setVisible(geometry_.scrollBar);
    connect(hscroll1_, &QScrollBar::valueChanged, this, &LevelMenuScreen::scrollColumnsTo);
}

void LevelMenuScreen::buildColumns() {
    const RunState& state = context_.run.state();
    const QFont listFont = kit::fixedPitch(kit::gothicPixelFont(12));
    for (int level = 1; level <= levelCount(); ++level) {
        LevelColumn& c = columns_[static_cast<size_t>(level)];
        const QString name = state.catalogue.levelName(level);

        c.label1 = kit::makeLabel(this, indexed(u"Label1", level), QString::number(level));
        c.label1->setAlignment(Qt::AlignCenter);
        c.label1->setFont(kit::gothicFont(12, true));
        kit::paint(c.label1, Qt::white);

        c.label3 = kit::makeLabel(this, indexed(u"Label3", level), name);
        c.label3->setToolTip(name);
        c.label3->setFont(kit::gothicFont(12, true));
        c.label3->setCursor(Qt::PointingHandCursor);
        kit::paint(c.label3, Qt::white);

        c.command4 =
            kit::makeButton(this, indexed(u"Command4", level), QStringLiteral("ｽﾀｰﾄ(&%1)").arg(level));
        c.command4->setToolTip(QStringLiteral("クリックしてスタートします。番号を押してもよろしい"));
        c.command4->setFont(kit::gothicFont(12, true));
        connect(c.command4, &QPushButton::clicked, this, [this, level] { startLevel(level); });

        c.text1 = kit::makeLabel(this, indexed(u"Text1", level));
        c.text1->setAlignment(Qt::AlignCenter);
        c.text1->setFont(kit::gothicFont(12, true));
        c.text1->setFrameShape(QFrame::Box);
        kit::paint(c.text1, kLockGrey);
        c.text1->hide();

        c.label9 = kit::makeLabel(this, indexed(u"Label9", level), QStringLiteral("今日"));
        c.label9->setAlignment(Qt::AlignCenter);
        c.label10 = kit::makeLabel(this, indexed(u"Label10", level), QStringLiteral("今まで"));
        c.label10->setAlignment(Qt::AlignCenter);
        c.label14 = kit::makeLabel(this, indexed(u"Label14", level));
        c.label14->setAlignment(Qt::AlignCenter);
        c.label15 = kit::makeLabel(this, indexed(u"Label15", level));
        c.label15->setAlignment(Qt::AlignCenter);
        c.label8 = kit::makeLabel(this, indexed(u"Label8", level));
        c.label8->setAlignment(Qt::AlignCenter);

        c.results = new ResultsListModel(this);
        c.list5 = new QListView(this);
        c.list5->setObjectName(indexed(u"List5", level));
        c.list5->setFont(listFont);
        c.list5->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        c.list5->setUniformItemSizes(true);
        c.list5->setSelectionMode(QAbstractItemView::NoSelection);
        c.list5->setEditTriggers(QAbstractItemView::NoEditTriggers);
        c.list5->setAutoFillBackground(true);
        c.list5->setModel(c.results);

        c.label7 = kit::makeLabel(this, indexed(u"Label7", level),
                                  criteriaLineText(state.tables.criteria.level(level)));
        c.label7->setAlignment(Qt::AlignCenter);

        c.command3 = kit::makeButton(this, indexed(u"Command3", level), QString::number(level));
        c.command3->hide();
    }
}

void LevelMenuScreen::buildPanels() {
    // Second wait panel over the column area, shown while the results lists are built.
    picture6_ = new QFrame(this);
    picture6_->setObjectName(QStringLiteral("Picture6"));
    picture6_->setGeometry(0, kNameRowY, kit::kScreenWidth, kScrollY - kNameRowY);
    picture6_->setFrameShape(QFrame::Box);
    const Rgb& season = context_.run.state().levelMenu.seasonColour;
    kit::paint(picture6_, kit::colour(season));
    progressBar2_ = new QProgressBar(picture6_);
    progressBar2_->setObjectName(QStringLiteral("ProgressBar2"));
    progressBar2_->setGeometry(312, 260, 400, 24);
    progressBar2_->setTextVisible(false);
    picture6_->raise();

    // Graph panel of the personal reports; its print button is for teachers only.
    ReportPrinter* printer = hooks_.printer;
    if (!printer) {
        ownPrinter_ = std::make_unique<SystemReportPrinter>();
        printer = ownPrinter_.get();
    }
    FolderPicker* folders = hooks_.folders;
    if (!folders) {
        ownFolders_ = std::make_unique<DialogFolderPicker>();
        folders = ownFolders_.get();
    }
    graphPanel_ = new GraphPanel(
        GraphPanelContext{context_.run, context_.clock, context_.messages, *printer, *folders,
                          [this](int level) {
                              // Ranked as the lists of this menu rank: its grade filter, its
                              // points kind and its student.
                              const RunState& state = context_.run.state();
                              const TableChoice choice = display_.choice(
                                  gradeFilterText(), state.student.currentBangou, context_.clock.now());
                              return graphRankingSource(*builder_, choice.pointsKind, choice.gradeFilter,
                                                        choice.currentBangou)(level);
                          }},
        this);
    graphPanel_->setGeometry(120 / kTwipsPerPixel, 1740 / kTwipsPerPixel, 1000, 620);
    graphPanel_->hide();

    // Teachers' data-change panel.
    picture7_ = new QFrame(this);
    picture7_->setObjectName(QStringLiteral("Picture7"));
    picture7_->setGeometry(312, 240, 400, 210);
    picture7_->setFrameShape(QFrame::Panel);
    picture7_->setFrameShadow(QFrame::Raised);
    picture7_->setLineWidth(3);
    kit::paint(picture7_, QColor(255, 255, 192));
    auto* label28 =
        kit::makeLabel(picture7_, QStringLiteral("Label28"), QStringLiteral("データ変更パスワード"));
    label28->setGeometry(24, 18, 352, 26);
    label28->setFont(kit::gothicFont(13, true));
    text3_ = new QLineEdit(picture7_);
    text3_->setObjectName(QStringLiteral("Text3"));
    text3_->setGeometry(24, 52, 352, 32);
    text3_->setFont(kit::gothicFont(14));
    auto* starStyle = new StarPasswordStyle;
    starStyle->setParent(text3_);
    text3_->setStyle(starStyle);
    text3_->setEchoMode(QLineEdit::Password);
    const QString choiceCaptions[] = {QStringLiteral("データ変更"), QStringLiteral("合格タイムデータ変更")};
    for (int k = 0; k < 2; ++k) {
        auto* choice = kit::makeButton(picture7_, indexed(u"Command10", k), choiceCaptions[k]);
        choice->setGeometry(24 + k * 180, 100, 172, 40);
        connect(choice, &QPushButton::clicked, this, [this, k] { teacherChoice(k); });
    }
    auto* command12 = kit::makeButton(picture7_, QStringLiteral("Command12"), QStringLiteral("戻る"));
    command12->setGeometry(276, 156, 100, 34);
    connect(command12, &QPushButton::clicked, picture7_, &QWidget::hide);
    picture7_->hide();

    // Wait panel over the whole screen while the screen loads or a level is started.
    picture2_ = new QFrame(this);
    picture2_->setObjectName(QStringLiteral("Picture2"));
    picture2_->setGeometry(0, 0, kit::kScreenWidth, kit::kScreenHeight);
    kit::paint(picture2_, kit::colour(season));
    label19_ = kit::makeLabel(picture2_, QStringLiteral("Label19"), QStringLiteral("Just a moment, please."));
    label19_->setGeometry(0, 300, kit::kScreenWidth, 60);
    label19_->setAlignment(Qt::AlignCenter);
    label19_->setFont(kit::gothicFont(28, true));
    progressBar1_ = new QProgressBar(picture2_);
    progressBar1_->setObjectName(QStringLiteral("ProgressBar1"));
    progressBar1_->setGeometry(262, 380, 500, 24);
    progressBar1_->setTextVisible(false);
    picture2_->raise();
}

const LevelColumn& LevelMenuScreen::column(int level) const {
    static const LevelColumn none;
    if (level < 1 || level > levelCount())
        return none;
    return columns_[static_cast<size_t>(level)];
}

QString LevelMenuScreen::gradeFilterText() const {
    return combo1_->currentText();
}

int LevelMenuScreen::firstVisibleLevel() const {
    return context_.run.state().levelMenu.firstVisibleLevel;
}

bool LevelMenuScreen::teacherPanelOpen() const {
    return picture7_->isVisibleTo(this);
}

bool LevelMenuScreen::waitPanelShown() const {
    return picture2_->isVisibleTo(this);
}

void LevelMenuScreen::placeColumns() {
    const int first = std::max<int>(1, context_.run.state().levelMenu.firstVisibleLevel);
    const double widthPx = static_cast<double>(geometry_.widthTwips) / kTwipsPerPixel;
    const int inner = std::max(40, static_cast<int>(widthPx) - kColumnGap);
    const int numberWidth = inner / 5;
    const int half = inner / 2;
    for (int level = 1; level <= levelCount(); ++level) {
        const LevelColumn& c = columns_[static_cast<size_t>(level)];
        const int x = columnX(level, first, geometry_, kit::kScreenWidth);
        c.label1->setGeometry(x, kNameRowY, numberWidth, kNameRowH);
        c.label3->setGeometry(x + numberWidth, kNameRowY, inner - numberWidth, kNameRowH);
        c.command4->setGeometry(x, kStartY, inner, kStartH);
        c.text1->setGeometry(x, kStartY, inner, kStartH);
        c.label9->setGeometry(x, kCaptionY, half, kCaptionH);
        c.label10->setGeometry(x + half, kCaptionY, inner - half, kCaptionH);
        c.label14->setGeometry(x, kFigureY, half, kFigureH);
        c.label15->setGeometry(x + half, kFigureY, inner - half, kFigureH);
        c.label8->setGeometry(x, kRecentY, inner, kRecentH);
        c.list5->setGeometry(x, kListY, inner, kListH);
        c.label7->setGeometry(x, kCriteriaY, inner, kCriteriaH);
        c.command3->setGeometry(x, kStartY, inner, kStartH);
    }
}

void LevelMenuScreen::scrollColumnsTo(int value) {
    context_.run.setFirstVisibleLevel(firstVisibleFromScroll(value, levelCount()));
    placeColumns();
}

void LevelMenuScreen::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!activated_ && !activationQueued_) {
        activationQueued_ = true;
        QTimer::singleShot(0, this, [this] {
            if (!activated_)
                activate();
        });
    }
}

void LevelMenuScreen::activate() {
    if (activating_ || leaving_)
        return;
    activating_ = true;
    const RunState& state = context_.run.state();
    const int bangou = state.student.currentBangou;

    // 1. Teachers' buttons.
    const bool teacher = state.student.currentIsTeacher();
    command8_->setVisible(teacher);
    graphPanel_->setPrintAllowed(teacher);

    // 2. Minutes since the name was confirmed; keys off; the wait panel across the form.
    label17_->setText(elapsedText(
        minutesSinceSessionStart(state.student.sessionStartSeconds, context_.clock.secondsSinceMidnight())));
    keysAccepted_ = false;
    showWaitPanel();
    progressBar1_->show();
    if (isVisible())
        paintNow(); // the panel is on the screen before the results file is read

    // 3. Fresh statistics and today's total.
    (void)context_.run.refreshStatistics();
    label18_->setText(
        todayTotalText(state.tables.statistics.sumOverLevels(StatisticsTables::TodayAttempts, bangou)));

    // 4. Results display preset: the points display and its ranking by points so far.
    settingOptions_ = true;
    const QStringList preset = ResultsDisplay::presetCaptions();
    option1_[1]->setText(preset[0]);
    option1_[2]->setText(preset[1]);
    option2_[1]->setChecked(true);
    option1_[1]->setChecked(true);
    display_.preset();
    settingOptions_ = false;
    rebuildResults();
    command1_->setEnabled(true);

    // 5. Every level's results list in view; the second wait panel goes.
    for (int level = 1; level <= levelCount(); ++level)
        columns_[static_cast<size_t>(level)].list5->show();
    picture6_->hide();

    // 6. Who practises where.
    label12_->setText(studentText(state.student.currentGradeLabel, state.student.currentName));
    label13_->setText(siteText(state.settings.installation.siteName, bangou));
    label11_->setText(state.catalogue.programTitle);
    label11_->setFont(kit::gothicFont(titlePointSize(state.catalogue.programTitle, 24, 20), true));

    // 7. Scroll to where the last level menu was left.
    const int first = geometry_.scrollBar
                          ? openingFirstVisible(state.levelMenu.firstVisibleLevel, geometry_.scrollMaximum)
                          : 1;
    context_.run.setFirstVisibleLevel(first);
    {
        const QSignalBlocker blocker(hscroll1_);
        hscroll1_->setValue(first);
    }
    placeColumns();

    // 8. The student's figures per level.
    for (int level = 1; level <= levelCount(); ++level) {
        const LevelColumn& c = columns_[static_cast<size_t>(level)];
        const PassCriteria& criteria = state.tables.criteria.level(level);
        const StatisticsTables& s = state.tables.statistics;
        kit::paint(c.label7, kLightGrey);
        kit::paint(c.label8, kLightGrey);
        c.label7->setText(criteriaLineText(criteria));
        c.label8->setText(recentFigureText(criteria.passPeriodDays, s.passPeriodAttempts(level, bangou),
                                           s.passPeriodPoints(level, bangou)));
        c.command4->setEnabled(true);
        c.label15->setText(totalFigureText(s.totalAttempts(level, bangou), s.totalPoints(level, bangou)));
        c.label14->setText(todayFigureText(s.todayAttempts(level, bangou), s.todayPoints(level, bangou)));
    }

    // 9. Which levels may be started.
    applyAvailability();

    // 10. Ready: the wait panel goes and the level keys work.
    hideWaitPanel();
    progressBar1_->hide();
    activating_ = false;
    activated_ = true;
    keysAccepted_ = true;
}

void LevelMenuScreen::applyAvailability() {
    const RunState& state = context_.run.state();
    availability_ =
        decideLevelAvailability(state.tables.criteria, state.tables.statistics, state.student.currentBangou,
                                state.catalogue.levelCount, state.catalogue.finalLevel);
    for (int level = 1; level <= levelCount(); ++level) {
        const LevelColumn& c = columns_[static_cast<size_t>(level)];
        const LevelAvailability a = availability_.level(level);
        c.command4->setEnabled(a.enabled);
        if (a.locked) {
            c.text1->setText(QStringLiteral("やりすぎ禁止"));
            c.text1->raise();
            c.text1->show();
        } else {
            c.text1->hide();
        }
    }
    // Panels stay in front of the columns.
    picture6_->raise();
    graphPanel_->raise();
    picture7_->raise();
    picture2_->raise();
}

void LevelMenuScreen::setTableCaptions(const QStringList& captions) {
    for (int i = 1; i <= 3 && i <= captions.size(); ++i)
        option1_[i]->setText(captions[i - 1]);
}

void LevelMenuScreen::displayChosen(int option2) {
    if (settingOptions_ || rebuilding_ || leaving_ || activating_)
        return;
    graphPanel_->hide();
    command17_->hide();
    const auto display = static_cast<ResultsDisplay::Display>(std::clamp(option2, 0, 2));
    display_.chooseDisplay(display);
    if (display == ResultsDisplay::Display::PersonalTimes) {
        showPersonalTimes();
        return;
    }
    setTableCaptions(ResultsDisplay::tableCaptions(display));
    display_.chooseTable(option1Group_->checkedId());
    rebuildResults();
}

void LevelMenuScreen::tableChosen(int option1) {
    if (settingOptions_ || rebuilding_ || leaving_ || activating_)
        return;
    display_.chooseTable(option1);
    // A table leaves the personal times: their graph button and panel go with them.
    graphPanel_->hide();
    command17_->hide();
    // After the personal times the table comes in the display kind shown before them.
    const int shown = static_cast<int>(display_.display());
    if (option2Group_->checkedId() != shown) {
        const QSignalBlocker blocker(option2Group_);
        option2_[shown]->setChecked(true);
    }
    rebuildResults();
}

void LevelMenuScreen::periodChosen(int index) {
    if (settingOptions_ || rebuilding_ || leaving_ || activating_)
        return;
    if (display_.choosePeriod(index))
        rebuildResults();
}

void LevelMenuScreen::gradeFilterChosen() {
    if (rebuilding_ || leaving_ || activating_)
        return;
    if (display_.display() == ResultsDisplay::Display::PersonalTimes)
        showPersonalTimes();
    else
        rebuildResults();
    if (const LevelColumn& first = column(1); first.command4)
        first.command4->setFocus();
}

void LevelMenuScreen::beginRebuild() {
    rebuilding_ = true;
    command1_->setEnabled(false);
    for (int level = 1; level <= levelCount(); ++level) {
        const LevelColumn& c = columns_[static_cast<size_t>(level)];
        c.command4->setEnabled(false);
        c.list5->hide();
    }
    combo2_->hide();
    progressBar2_->setRange(0, 100);
    progressBar2_->setValue(0);
    picture6_->show();
    picture6_->raise();
    if (picture2_->isVisible())
        picture2_->raise();
    // The lines shown go now, not once the new ones are made: at 5000 students a set of
    // lists is 10 MB, and only one set is alive.
    for (int level = 1; level <= levelCount(); ++level)
        columns_[static_cast<size_t>(level)].results->clear();
    // The panel is painted before the work starts: the lists are built without a pause.
    if (picture6_->isVisible())
        picture6_->repaint();
}

void LevelMenuScreen::endRebuild() {
    command1_->setEnabled(true);
    applyAvailability();
    for (int level = 1; level <= levelCount(); ++level) {
        const LevelColumn& c = columns_[static_cast<size_t>(level)];
        c.list5->show();
        const int top = topRows_[static_cast<size_t>(level)];
        if (top < c.results->rowCount())
            c.list5->scrollTo(c.results->index(top), QAbstractItemView::PositionAtTop);
        else
            c.list5->scrollToTop();
    }
    picture6_->hide();
    rebuilding_ = false;
}

void LevelMenuScreen::clearLists() {
    for (int level = 1; level <= levelCount(); ++level) {
        const LevelColumn& c = columns_[static_cast<size_t>(level)];
        c.label9->setText(QStringLiteral("今日"));
        c.label10->setText(QStringLiteral("今まで"));
        c.results->clear();
        topRows_[static_cast<size_t>(level)] = 0;
    }
}

void LevelMenuScreen::rebuildResults() {
    beginRebuild();
    const RunState& state = context_.run.state();
    const TableChoice choice =
        display_.choice(gradeFilterText(), state.student.currentBangou, context_.clock.now());
    // The bar advances per level or per record read. It paints itself as its value
    // changes, so it is moved at most every 50 ms: a quick build is not slowed down by
    // its own progress display.
    QElapsedTimer sincePaint;
    sincePaint.start();
    const TableProgress progress = [this, &sincePaint](int done, int total) {
        if (sincePaint.elapsed() < 50 || !picture6_->isVisible())
            return;
        progressBar2_->setValue(total > 0 ? static_cast<int>(qint64{done} * 100 / total) : 100);
        sincePaint.restart();
    };
    const Outcome<ResultsTables> tables =
        builder_->buildReading(choice, context_.run.newestResultsReader(), progress);
    if (tables) {
        display_.built(choice);
        showTables(*tables);
        if (choice.table == TableKind::Period)
            combo2_->show();
    } else {
        clearLists();
        context_.messages.inform(this, state.catalogue.programTitle, tables.error().text());
    }
    endRebuild();
}

void LevelMenuScreen::showTables(const ResultsTables& tables) {
    label5_->setText(tables.title);
    for (int level = 1; level <= levelCount(); ++level) {
        const LevelColumn& c = columns_[static_cast<size_t>(level)];
        const size_t slot = static_cast<size_t>(level);
        c.label9->setText(QStringLiteral("今日"));
        c.label10->setText(QStringLiteral("今まで"));
        static const LevelList none;
        const LevelList& list = slot < tables.levels.size() ? tables.levels[slot] : none;
        c.results->setLines(list.lines);
        topRows_[slot] = list.topRow;
        if (list.colour != ListColour::Unchanged) {
            const Rgb rgb = listColourRgb(list.colour);
            QPalette palette = c.list5->palette();
            palette.setColor(QPalette::Base, kit::colour(rgb));
            c.list5->setPalette(palette);
        }
        if (!rebuilding_ && list.topRow < c.results->rowCount())
            c.list5->scrollTo(c.results->index(list.topRow), QAbstractItemView::PositionAtTop);
    }
}

void LevelMenuScreen::showPersonalTimes() {
    beginRebuild();
    const RunState& state = context_.run.state();
    graphPanel_->fillLists();
    display_.setTableKind(TableKind::Period);
    clearLists();
    label5_->setText(QStringLiteral("個人別ﾀｲﾑ"));
    const Outcome<std::vector<ResultKeys>> records = readReportRecords(
        context_.run.newestResultsReader(), state.catalogue.levelCount, context_.clock.now());
    if (!records) {
        context_.messages.inform(this, state.catalogue.programTitle, records.error().text());
    } else {
        const int bangou = state.student.currentBangou;
        const int grade = state.tables.roster.gradeOf(bangou);
        if (levelMenuGradeMatches(gradeFilterText(), grade)) {
            const std::vector<QList<TableLine>> lists = personalHistoryLists(*records, bangou, levelCount());
            for (int level = 1; level <= levelCount(); ++level)
                columns_[static_cast<size_t>(level)].results->setLines(lists[static_cast<size_t>(level)]);
        }
    }
    endRebuild();
    command17_->show();
    command17_->raise();
}

void LevelMenuScreen::showWaitPanel() {
    picture2_->setGeometry(0, 0, width(), height());
    picture2_->show();
    picture2_->raise();
}

void LevelMenuScreen::hideWaitPanel() {
    picture2_->hide();
}

bool LevelMenuScreen::mayStart(int level) const {
    if (!activated_ || activating_ || leaving_)
        return false;
    if (teacherPanelOpen() || waitPanelShown())
        return false;
    const LevelColumn& c = column(level);
    return c.command4 && c.command4->isEnabled();
}

void LevelMenuScreen::startLevel(int level) {
    startSelectedLevel(level, LevelStart::ButtonOrKey);
}

void LevelMenuScreen::startLevelFromName(int level) {
    startSelectedLevel(level, LevelStart::NameClick);
}

void LevelMenuScreen::startSelectedLevel(int level, LevelStart how) {
    if (!mayStart(level))
        return;
    context_.run.chooseLevel(level);
    if (how == LevelStart::NameClick) {
        // A click on the level's name leaves at once, without the wait panel.
        leaveThrough(&Navigator::showDrillScreen);
        return;
    }
    // The wait panel stays in front until the navigator closes this screen for the drill.
    showWaitPanel();
    keysAccepted_ = false;
    leaving_ = true;
    context_.navigator.showDrillScreen();
}

void LevelMenuScreen::goBack() {
    if (!activated_ || activating_ || leaving_ || waitPanelShown() || !command1_->isEnabled())
        return;
    showWaitPanel();
    leaveThrough(&Navigator::showNameScreen);
}

void LevelMenuScreen::leaveThrough(void (Navigator::*handOver)()) {
    keysAccepted_ = false;
    leaving_ = true;
    // The navigator shows the next screen and then closes this one.
    (context_.navigator.*handOver)();
}

void LevelMenuScreen::openTeacherPanel() {
    if (!context_.run.state().student.currentIsTeacher() || leaving_ || activating_)
        return;
    picture7_->show();
    picture7_->raise();
    text3_->setFocus();
}

void LevelMenuScreen::teacherChoice(int k) {
    if (!teacherPanelOpen() || leaving_ || activating_)
        return;
    const QString typed = text3_->text();
    const RunState& state = context_.run.state();
    if (!teacherPasswordAccepted(typed, state.settings.installation.teacherPassword)) {
        context_.messages.inform(this, state.catalogue.programTitle,
                                 QStringLiteral("パスワードを入力して下さい"));
        return;
    }
    leaveThrough(k == 0 ? &Navigator::showRecordBrowser : &Navigator::showCriteriaEditor);
}

bool LevelMenuScreen::handleKey(const QString& text) {
    // While the password panel is open every key belongs to the password box, "0" included.
    if (!keysAccepted_ || teacherPanelOpen())
        return false;
    const LevelMenuKey key = levelMenuKey(text, levelCount());
    switch (key.kind) {
    case LevelMenuKey::StartLevel:
        startLevel(key.level);
        return true;
    case LevelMenuKey::Back:
        if (command1_->isVisible() && command1_->isEnabled())
            goBack();
        return true;
    case LevelMenuKey::None:
        break;
    }
    return false;
}

bool LevelMenuScreen::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::MouseButtonRelease)
        return QWidget::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this)
        return QWidget::eventFilter(watched, event);

    if (type == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            return false;
        return handleKey(key->text());
    }

    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::LeftButton) {
        for (int level = 1; level <= levelCount(); ++level) {
            if (watched == columns_[static_cast<size_t>(level)].label3) {
                if (columns_[static_cast<size_t>(level)].label3->rect().contains(mouse->position().toPoint()))
                    startLevelFromName(level);
                return true;
            }
        }
    }
    return false;
}

} // namespace kz

#pragma once

#include "reports/graphrequest.h"
#include "reports/reportassembly.h"

#include <QFrame>
#include <QImage>

#include <functional>

class QListWidget;
class QPushButton;
class QLabel;

namespace kz {

class ProgramRun;
class Clock;
class FolderPicker;
class MessageBox;
class ReportPrinter;

// What the graph panel needs from the level menu that holds it.
struct GraphPanelContext {
    ProgramRun& run; // the state to read, the records of the reports to read
    Clock& clock;
    MessageBox& messages;
    ReportPrinter& printer;
    FolderPicker& folders; // where PDF files go on a computer without a printer
    // The graph ranking lists of a level, built as the level menu ranks its students
    // now (grade filter, points kind, current student).
    std::function<GraphRankingLists(int level)> rankings;
};

// The drawing area `Picture12`: shows the last page drawn.
class ReportPicture final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ReportPicture)
public:
    explicit ReportPicture(QWidget* parent);
    QImage& image() { return image_; }
    const QImage& image() const { return image_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_; // the page last drawn; none before the first (the picture paints white)
};

// The graph panel `Picture11` of the level menu: the levels (`List3`) and students
// (`List2`) to report, the drawing area and the buttons "表示", "印刷" (teachers only),
// "他の人のデータを見る" and "戻る".
class GraphPanel final : public QFrame {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(GraphPanel)
public:
    GraphPanel(GraphPanelContext context, QWidget* parent);

    // Fills the level list with 1..levelCount and the student list from the roster, and
    // makes the current student the selected one (when "個人ﾀｲﾑ" is chosen).
    void fillLists();
    // "グラフ": the current student, the list of students hidden, levels 1 to 3 drawn.
    void open();
    // `Command24`(k): 0 draws on the screen, 1 prints (one job per student).
    void showReports(int target);
    void setPrintAllowed(bool allowed);

    int selectedStudent() const { return selectedStudent_; }
    int selectedLevel() const { return selectedLevel_; }
    // The levels selected in the level list, from the top.
    QList<int> selectedLevels() const;
    const QImage& picture() const;

private:
    void showStudentList(); // "他の人のデータを見る"
    void drawOnScreen(const ReportSources& sources, const QList<int>& levels);
    bool printStudent(const ReportSources& sources, const QList<int>& levels);
    void savePdfFiles(const ReportSources& sources, const GraphRequest& request);
    QString studentTitle(int bangou) const;

    GraphPanelContext context_;
    QListWidget* list3_ = nullptr;     // the level numbers 1 to levelCount to report
    QListWidget* list2_ = nullptr;     // the roster's students, shown on "他の人のデータを見る"
    QPushButton* command25_ = nullptr; // "他の人のデータを見る": shows the student list in its place
    QPushButton* command24_[2] = {};   // (0) "表示" draws on the screen, (1) "印刷" prints
    QPushButton* command18_ = nullptr;   // "戻る": hides the panel
    ReportPicture* picture12_ = nullptr; // the last page drawn
    int selectedStudent_ = 0;            // the student last reported
    int selectedLevel_ = 1;              // the last level of the last report
    bool drawing_ = false;               // a report is being drawn or printed
};

} // namespace kz

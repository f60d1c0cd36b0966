#pragma once

#include "reports/personalreport.h"

#include <QDate>
#include <QList>
#include <QString>

#include <span>

// The companion's report for parents and teachers: the same figures as the graph panel's
// personal report, written out in words a parent reads (the screen's and the printer's
// report keep their own summary block).
namespace kz {

// The head of every page of a student.
struct ParentReportHeader {
    QString title;   // "カズリンその２　成績表"
    QString school;  // the site name; empty when the installation has none
    QString student; // "テスト さん"
    QString grade;   // "小３"; empty when unknown
    QString number;  // "番号 17"
    QString period;  // "対象期間　2024年3月1日～2024年4月15日"
    QString printed; // "印刷日　2024年4月15日"
};

struct ParentReportFacts {
    QString programTitle;
    QString school;
    int bangou = 0;
    QString name;
    QString gradeLabel;
    QDate printed;
};
// The period is the one the figures cover: from the day of the oldest record the reports
// look at to the day printed.
ParentReportHeader parentReportHeader(const ParentReportFacts& facts, std::span<const ResultKeys> records);

// "2024年4月15日"
QString japaneseDate(const QDate& date);

// One level of the report: a row of label and value each. A level the student has no
// attempt at says "記録なし" and nothing else; ranks are shown only where they mean
// something (a time rank with a time, a points rank with points).
struct ParentLevelBlock {
    QString title; // "レベル1　１４(1-10)"
    bool hasResult = false;
    struct Row {
        QString label;
        QString value;
    };
    QList<Row> rows;
    ReportFigures figures; // for the chart
};
ParentLevelBlock parentLevelBlock(const PersonalReport& report, int level, const QString& caption);

} // namespace kz

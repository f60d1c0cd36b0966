#include "core/catalogue.h"

#include "data/grade.h"

namespace kz {

QString programTitle() {
    return QStringLiteral("カズリンその２");
}

void initRunState(RunState& state) {
    state.catalogue.programTitle = programTitle();
}

double titlePointSize(const QString& title, double usualSize, double longTitleSize) {
    return title.size() > 9 ? longTitleSize : usualSize;
}

QString catalogueLevelName(int level) {
    static const QString names[kLevelCount + 1] = {QString(),
                                                   QStringLiteral("１４(1-10)"),
                                                   QStringLiteral("１４(1-10R)"),
                                                   QStringLiteral("１４(10-15)"),
                                                   QStringLiteral("１４(10-15R)"),
                                                   QStringLiteral("１４(16-20)"),
                                                   QStringLiteral("１４(15-20R)"),
                                                   QStringLiteral("１４(1-20)"),
                                                   QStringLiteral("１４(1-20R)"),
                                                   QStringLiteral("１５(1-10)"),
                                                   QStringLiteral("１５(1-10R)"),
                                                   QStringLiteral("１５(11-15)"),
                                                   QStringLiteral("１５(11-15R)"),
                                                   QStringLiteral("１５(16-20)"),
                                                   QStringLiteral("１５(16-20R)"),
                                                   QStringLiteral("１５( 1-20)"),
                                                   QStringLiteral("１５( 1-20R)"),
                                                   QStringLiteral("１６(1-10)"),
                                                   QStringLiteral("１６(1-10R)"),
                                                   QStringLiteral("１６(11-15)"),
                                                   QStringLiteral("１６(11-15R)"),
                                                   QStringLiteral("１６(16-20)"),
                                                   QStringLiteral("１６(16-20R)"),
                                                   QStringLiteral("１６(1-20)"),
                                                   QStringLiteral("１６(1-20R)"),
                                                   QStringLiteral("１４－１６")};
    if (level < 1 || level > kLevelCount)
        return {};
    return names[level];
}

void buildLevelCatalogue(RunState& state) {
    state.catalogue.levelCount = kLevelCount;
    state.catalogue.finalLevel = kLevelCount;
    for (int level = 0; level < kLevelSlots; ++level)
        state.catalogue.levelNames[static_cast<size_t>(level)] = catalogueLevelName(level);
}

QString gradeMark(int grade) {
    static const QString marks[] = {QStringLiteral("①"), QStringLiteral("②"), QStringLiteral("③"),
                                    QStringLiteral("④"), QStringLiteral("⑤"), QStringLiteral("⑥"),
                                    QStringLiteral("Ⅰ"), QStringLiteral("Ⅱ"), QStringLiteral("Ⅲ")};
    if (grade < 1 || grade > 9)
        return QStringLiteral("　");
    return marks[grade - 1];
}

bool levelMenuGradeMatches(QStringView filterText, int grade) {
    return matchesFilter(filterText, grade);
}

} // namespace kz

#include "core/catalogue.h"
#include "core/runstate.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kazurin2"));
    auto state = std::make_unique<kz::RunState>();
    kz::initRunState(*state);
    return 0;
}

#pragma once

#include "platform/outcome.h"

#include <QString>
#include <QStringList>

namespace kz {

// Starts other programs as separate processes that outlive this one.
class ProcessLauncher {
public:
    ProcessLauncher() = default;
    Q_DISABLE_COPY_MOVE(ProcessLauncher)
    virtual ~ProcessLauncher() = default;
    // Starts program with the arguments in workingFolder without waiting for it; an
    // error says why it could not be started.
    virtual Status startDetached(const QString& program, const QStringList& arguments,
                                 const QString& workingFolder) = 0;
};

class SystemProcessLauncher final : public ProcessLauncher {
public:
    Status startDetached(const QString& program, const QStringList& arguments,
                         const QString& workingFolder) override;
};

} // namespace kz

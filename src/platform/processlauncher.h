#pragma once

#include <QString>
#include <QStringList>

namespace kz {

// Starts other programs as separate processes that outlive this one.
class ProcessLauncher {
public:
    ProcessLauncher() = default;
    Q_DISABLE_COPY_MOVE(ProcessLauncher)
    virtual ~ProcessLauncher() = default;
    // Starts program with the arguments in workingFolder without waiting for it.
    // Returns an empty text on success, otherwise a readable reason.
    virtual QString startDetached(const QString& program, const QStringList& arguments,
                                  const QString& workingFolder) = 0;
};

class SystemProcessLauncher final : public ProcessLauncher {
public:
    QString startDetached(const QString& program, const QStringList& arguments,
                          const QString& workingFolder) override;
};

} // namespace kz

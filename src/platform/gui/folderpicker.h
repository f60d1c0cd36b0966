#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

class QWidget;

namespace kz {

// Where the user picks a folder (to save files into), so that tests choose one without
// a dialog and without blocking.
class FolderPicker {
    Q_DISABLE_COPY_MOVE(FolderPicker)
public:
    FolderPicker() = default;
    virtual ~FolderPicker() = default;
    // The folder chosen, starting at start; empty when the user cancels.
    virtual QString chooseFolder(QWidget* parent, const QString& title, const QString& start) = 0;
};

// Qt's own folder dialog (in Japanese with the program's translations), the same on
// every desktop.
class DialogFolderPicker final : public FolderPicker {
    Q_DISABLE_COPY_MOVE(DialogFolderPicker)
public:
    DialogFolderPicker() = default;
    QString chooseFolder(QWidget* parent, const QString& title, const QString& start) override;
};

// Answers with a preset folder (empty: cancels) and records every question.
class PresetFolderPicker final : public FolderPicker {
    Q_DISABLE_COPY_MOVE(PresetFolderPicker)
public:
    PresetFolderPicker() = default;
    struct Asked {
        QString title;
        QString start;
    };
    QString folder;
    QList<Asked> asked;
    QString chooseFolder(QWidget*, const QString& title, const QString& start) override {
        asked.append({title, start});
        return folder;
    }
};

} // namespace kz

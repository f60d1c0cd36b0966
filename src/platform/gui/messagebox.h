#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

class QWidget;

namespace kz {

// Every message the program shows goes through this seam, so that tests can answer
// boxes without a user and without blocking.
class MessageBox {
    Q_DISABLE_COPY_MOVE(MessageBox)
public:
    enum class Answer { Ok, Cancel, Yes, No };
    MessageBox() = default;
    virtual ~MessageBox() = default;
    // Box with a single OK button.
    virtual void inform(QWidget* parent, const QString& title, const QString& text) = 0;
    // Box with a single OK button that also closes itself after closeAfterMs, for
    // notices that must not hold up a computer nobody is sitting at.
    virtual void informClosingAfter(QWidget* parent, const QString& title, const QString& text,
                                    int closeAfterMs) {
        (void)closeAfterMs;
        inform(parent, title, text);
    }
    // Box with OK and Cancel; returns Ok or Cancel.
    virtual Answer okCancel(QWidget* parent, const QString& title, const QString& text) = 0;
    // Box with Yes and No; returns Yes or No.
    virtual Answer yesNo(QWidget* parent, const QString& title, const QString& text) = 0;
};

// The text a box shows, made to fit the screen: at most kMaxLines lines, an unbroken run
// of more than kMaxRun characters that cannot wrap (a path, a long number) shortened to
// its start and end around "…", and at most kMaxChars characters in all.
QString fitTextForBox(const QString& text);

// Real modal boxes; every text goes through fitTextForBox.
class WidgetMessageBox final : public MessageBox {
    Q_DISABLE_COPY_MOVE(WidgetMessageBox)
public:
    WidgetMessageBox() = default;
    void inform(QWidget* parent, const QString& title, const QString& text) override;
    void informClosingAfter(QWidget* parent, const QString& title, const QString& text,
                            int closeAfterMs) override;
    Answer okCancel(QWidget* parent, const QString& title, const QString& text) override;
    Answer yesNo(QWidget* parent, const QString& title, const QString& text) override;
};

// Records every box and answers with a preset answer; never blocks.
class PresetMessageBox final : public MessageBox {
    Q_DISABLE_COPY_MOVE(PresetMessageBox)
public:
    PresetMessageBox() = default;
    struct Shown {
        QString title;        // the box's title
        QString text;         // its text as handed in (before fitting)
        int closeAfterMs = 0; // 0: waits for OK
    };
    Answer answer = Answer::Ok; // the answer to every question box
    QList<Shown> shown;         // every box shown, oldest first

    void inform(QWidget*, const QString& title, const QString& text) override { shown.append({title, text}); }
    void informClosingAfter(QWidget*, const QString& title, const QString& text, int closeAfterMs) override {
        shown.append({title, text, closeAfterMs});
    }
    Answer okCancel(QWidget*, const QString& title, const QString& text) override {
        shown.append({title, text});
        return answer == Answer::Cancel ? Answer::Cancel : Answer::Ok;
    }
    Answer yesNo(QWidget*, const QString& title, const QString& text) override {
        shown.append({title, text});
        return answer == Answer::No ? Answer::No : Answer::Yes;
    }
};

} // namespace kz

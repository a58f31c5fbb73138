#pragma once
// The UI seam's test script: it records every prompt and answers the ones the
// test expects, in order. A prompt the script does not expect, or one that
// differs from the next expectation, is recorded as a failure and answered
// with the safe choice (Cancel, No, or no file).

#include "support/UiSeam.h"

#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

class ScriptedUi : public UiSeam {
public:
    enum class Kind { Message, Modal, SaveFile, OpenFile, Password, Print };

    struct Prompt {
        Kind kind;
        QString text;    // the message, or the dialog's object name
        unsigned style;  // message box style
    };

    using DialogDriver = std::function<int(QDialog&)>;

    ScriptedUi();
    ~ScriptedUi() override;

    // The next prompt is a message box with exactly this text.
    ScriptedUi& expectMessage(const QString& text, int answer = IDOK);
    // The next prompt is a message box whose text contains this part.
    ScriptedUi& expectMessageContaining(const QString& part, int answer = IDOK);
    // The next prompt is the modal run of the dialog with this object name;
    // the driver operates it and returns its result (it may call exec()).
    ScriptedUi& expectDialog(const QString& objectName, DialogDriver driver);
    ScriptedUi& expectSaveFile(std::optional<QString> answer);
    ScriptedUi& expectOpenFile(std::optional<QString> answer);
    ScriptedUi& expectPassword(std::optional<QString> answer);
    // The print dialog; accepted with a file, the printer prints into that PDF file.
    ScriptedUi& expectPrint(bool accept, const QString& pdfFile = {});

    const std::vector<Prompt>& prompts() const { return m_prompts; }
    // Messages shown, in order (for assertions on the exact texts).
    QStringList messages() const;
    QStringList failures() const { return m_failures; }
    bool allAnswered() const { return m_expected.empty(); }
    int beeps() const { return m_beeps; }
    int waitCursorDepth() const { return m_waitDepth; }

    int messageBox(QWidget* parent, const QString& text, unsigned style) override;
    void beep() override;
    void setWaitCursor(bool on) override;
    int runModal(QDialog& dialog) override;
    std::optional<QString> saveFileName(QWidget* parent, const SaveFileRequest& request) override;
    std::optional<QString> openFileName(QWidget* parent, const OpenFileRequest& request) override;
    std::optional<QString> password(QWidget* parent, const PasswordPrompt& prompt) override;
    bool printDialog(QWidget* parent, QPrinter& printer) override;

private:
    struct Expectation {
        Kind kind;
        QString text;
        bool exact = true;
        int answer = IDOK;
        DialogDriver driver;
        std::optional<QString> textAnswer;
    };

    // The next expectation when it is of this kind and matches; else records a failure.
    std::optional<Expectation> take(Kind kind, const QString& text);

    std::deque<Expectation> m_expected;
    std::vector<Prompt> m_prompts;
    QStringList m_failures;
    int m_beeps = 0;
    int m_waitDepth = 0;
    UiSeam* m_previous = nullptr;
};

#pragma once
// The UI seam of the command-line tool: messages go to standard error, the
// jobs' questions are answered from a flag, and there are no windows. The
// gateway password is the one given, else it is asked on the terminal;
// without a terminal the prompt counts as cancelled.

#include "support/UiSeam.h"

class ConsoleUi : public UiSeam {
public:
    // answer: the reply to every Yes/No question (IDYES or IDNO).
    explicit ConsoleUi(int answer = IDNO, std::optional<QString> password = std::nullopt);
    ~ConsoleUi() override;

    int messageBox(QWidget* parent, const QString& text, unsigned style) override;
    void beep() override;
    void setWaitCursor(bool on) override;
    int runModal(QDialog& dialog) override;
    std::optional<QString> saveFileName(QWidget* parent, const SaveFileRequest& request) override;
    std::optional<QString> openFileName(QWidget* parent, const OpenFileRequest& request) override;
    std::optional<QString> password(QWidget* parent, const PasswordPrompt& prompt) override;
    bool printDialog(QWidget* parent, QPrinter& printer) override;

private:
    int m_answer;
    std::optional<QString> m_password;
    UiSeam* m_previous;
};

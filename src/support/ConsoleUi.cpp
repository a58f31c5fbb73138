#include "support/ConsoleUi.h"

#include <QDialog>

#include <cstdio>
#include <iostream>
#include <string>

#include <termios.h>
#include <unistd.h>

ConsoleUi::ConsoleUi(int answer, std::optional<QString> password)
    : m_answer(answer)
    , m_password(std::move(password))
    , m_previous(&ui())
{
    setUi(this);
}

ConsoleUi::~ConsoleUi() { setUi(m_previous == this ? nullptr : m_previous); }

int ConsoleUi::messageBox(QWidget*, const QString& text, unsigned style)
{
    const char* label = "message";
    switch (style & MB::IconMask) {
    case MB::IconStop:
        label = "error";
        break;
    case MB::IconExclamation:
        label = "warning";
        break;
    case MB::IconQuestion:
        label = "question";
        break;
    default:
        break;
    }
    const unsigned buttons = style & MB::ButtonMask;
    int reply = IDOK;
    if (buttons == MB::YesNo || buttons == MB::YesNoCancel)
        reply = m_answer;
    else if (buttons == MB::OkCancel)
        reply = m_answer == IDYES ? IDOK : IDCANCEL;
    std::fprintf(stderr, "%s: %s\n", label, qPrintable(text));
    if (buttons != MB::Ok)
        std::fprintf(stderr, "  answered %s\n", reply == IDYES ? "Yes" : reply == IDNO ? "No" : reply == IDOK ? "OK" : "Cancel");
    return reply;
}

void ConsoleUi::beep() {}

void ConsoleUi::setWaitCursor(bool) {}

int ConsoleUi::runModal(QDialog& dialog)
{
    std::fprintf(stderr, "error: dialog %s cannot be shown without a window\n", qPrintable(dialog.objectName()));
    return IDCANCEL;
}

std::optional<QString> ConsoleUi::saveFileName(QWidget*, const SaveFileRequest&) { return std::nullopt; }

std::optional<QString> ConsoleUi::openFileName(QWidget*, const OpenFileRequest&) { return std::nullopt; }

std::optional<QString> ConsoleUi::password(QWidget*, const PasswordPrompt& prompt)
{
    if (m_password || !isatty(STDIN_FILENO))
        return m_password;
    std::fprintf(stderr, "%s\n%s ", qPrintable(prompt.title), qPrintable(prompt.label));
    std::fflush(stderr);
    // The password is not echoed, as in the prompt's password field.
    termios saved{};
    const bool quiet = tcgetattr(STDIN_FILENO, &saved) == 0;
    if (quiet) {
        termios silent = saved;
        silent.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(STDIN_FILENO, TCSANOW, &silent);
    }
    std::string line;
    const bool answered = bool(std::getline(std::cin, line));
    if (quiet)
        tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    std::fputc('\n', stderr);
    if (!answered)
        return std::nullopt;
    // Asked once: the next job of the same run uses it too.
    m_password = QString::fromStdString(line);
    return m_password;
}

bool ConsoleUi::printDialog(QWidget*, QPrinter&) { return false; }

#include "support/ConsoleUi.h"

#include <QDialog>

#include <cstdio>

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

std::optional<QString> ConsoleUi::password(QWidget*, const PasswordPrompt&) { return m_password; }

bool ConsoleUi::printDialog(QWidget*, QPrinter&) { return false; }

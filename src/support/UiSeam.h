#pragma once
// The one place through which the program meets the operator: message boxes,
// beeps, the wait cursor, file, print and password dialogs, and the modal run
// of every child dialog. The program installs the Qt implementation; tests
// install a script that answers the prompts it expects; the command-line tool
// installs a console implementation that answers its questions from a flag.

#include <QString>

#include <optional>

class QDialog;
class QPrinter;
class QWidget;

// Message box styles and answers, with the values the callers combine.
namespace MB {
enum : unsigned {
    Ok = 0x0,
    OkCancel = 0x1,
    YesNoCancel = 0x3,
    YesNo = 0x4,
    IconStop = 0x10,
    IconQuestion = 0x20,
    IconExclamation = 0x30,
    IconInformation = 0x40,
    DefaultButton2 = 0x100,
};
constexpr unsigned ButtonMask = 0xF;
constexpr unsigned IconMask = 0xF0;
} // namespace MB

enum DialogResult : int {
    IDOK = 1,
    IDCANCEL = 2,
    IDYES = 6,
    IDNO = 7,
};

struct SaveFileRequest {
    QString title;
    QString directory;
    QString fileName;
    QString filter;           // Qt filter text, e.g. "Curve files (*.csv)"
    QString defaultSuffix;    // without the dot
    bool confirmOverwrite = true;
};

struct OpenFileRequest {
    QString title;
    QString directory;
    QString filter;           // Qt filter text, e.g. "iCalendar files (*.ics)"
};

// The texts of the gateway password prompt, as the caller passes them.
struct PasswordPrompt {
    QString title;
    QString checkingSupport;
    QString checking;
    QString label;
    QString ok;
    QString cancel;
};

class UiSeam {
public:
    virtual ~UiSeam();

    // Shows a message box; returns IDOK, IDCANCEL, IDYES or IDNO.
    virtual int messageBox(QWidget* parent, const QString& text, unsigned style) = 0;
    virtual void beep() = 0;
    // Nested: the cursor is a wait cursor while any request is on.
    virtual void setWaitCursor(bool on) = 0;
    // Runs a child dialog modally; returns its result code.
    virtual int runModal(QDialog& dialog) = 0;
    virtual std::optional<QString> saveFileName(QWidget* parent, const SaveFileRequest& request) = 0;
    // The file dialog that chooses an existing file to read.
    virtual std::optional<QString> openFileName(QWidget* parent, const OpenFileRequest& request) = 0;
    virtual std::optional<QString> password(QWidget* parent, const PasswordPrompt& prompt) = 0;
    // The print dialog; false when the operator cancels.
    virtual bool printDialog(QWidget* parent, QPrinter& printer) = 0;
};

// The seam in use; the Qt implementation until another is installed.
UiSeam& ui();
// Installs a seam (not owned); null goes back to the Qt implementation.
void setUi(UiSeam* seam);

// The Qt implementation, for the program.
class QtUi : public UiSeam {
public:
    int messageBox(QWidget* parent, const QString& text, unsigned style) override;
    void beep() override;
    void setWaitCursor(bool on) override;
    int runModal(QDialog& dialog) override;
    std::optional<QString> saveFileName(QWidget* parent, const SaveFileRequest& request) override;
    std::optional<QString> openFileName(QWidget* parent, const OpenFileRequest& request) override;
    std::optional<QString> password(QWidget* parent, const PasswordPrompt& prompt) override;
    bool printDialog(QWidget* parent, QPrinter& printer) override;

private:
    int m_waitDepth = 0;
};

// The wait cursor for the length of a scope.
class WaitCursor {
public:
    WaitCursor() { ui().setWaitCursor(true); }
    ~WaitCursor() { ui().setWaitCursor(false); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

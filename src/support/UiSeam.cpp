#include "support/UiSeam.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QGridLayout>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

UiSeam::~UiSeam() = default;

namespace {

UiSeam* installed = nullptr;

QtUi& qtUi()
{
    static QtUi seam;
    return seam;
}

QString windowTitle(QWidget* parent)
{
    if (parent && !parent->window()->windowTitle().isEmpty())
        return parent->window()->windowTitle();
    return QApplication::applicationDisplayName();
}

// Room beside the title for the title bar's buttons and the frame.
constexpr int TitleBarExtraWidth = 140;

// The width at which a window shows its title whole.
int titleWidth(const QWidget& window)
{
    return window.fontMetrics().horizontalAdvance(window.windowTitle()) + TitleBarExtraWidth;
}

// Gives the window under a closed modal box its activation back at once,
// so that the focus a caller sets next lands there even without a window
// manager to activate it.
void reactivate(QWidget* parent)
{
    if (parent)
        parent->window()->activateWindow();
}

} // namespace

UiSeam& ui() { return installed ? *installed : qtUi(); }

void setUi(UiSeam* seam) { installed = seam; }

int QtUi::messageBox(QWidget* parent, const QString& text, unsigned style)
{
    QMessageBox box(parent);
    box.setWindowTitle(windowTitle(parent));
    box.setText(text);
    switch (style & MB::IconMask) {
    case MB::IconStop:
        box.setIcon(QMessageBox::Critical);
        break;
    case MB::IconQuestion:
        box.setIcon(QMessageBox::Question);
        break;
    case MB::IconExclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MB::IconInformation:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    QList<QMessageBox::StandardButton> buttons;
    switch (style & MB::ButtonMask) {
    case MB::OkCancel:
        buttons = {QMessageBox::Ok, QMessageBox::Cancel};
        break;
    case MB::YesNoCancel:
        buttons = {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
        break;
    case MB::YesNo:
        buttons = {QMessageBox::Yes, QMessageBox::No};
        break;
    default:
        buttons = {QMessageBox::Ok};
        break;
    }
    QMessageBox::StandardButtons all;
    for (auto b : buttons)
        all |= b;
    box.setStandardButtons(all);
    const int defaultIndex = (style & MB::DefaultButton2) ? 1 : 0;
    if (defaultIndex < buttons.size())
        box.setDefaultButton(buttons[defaultIndex]);
    box.setEscapeButton(buttons.contains(QMessageBox::Cancel) ? QMessageBox::Cancel
                        : buttons.contains(QMessageBox::No) ? QMessageBox::No
                                                            : QMessageBox::Ok);
    // A message box sizes itself to its text; a spacer keeps its title whole too.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(titleWidth(box), 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
    const int answer = box.exec();
    reactivate(parent);
    switch (answer) {
    case QMessageBox::Cancel:
        return IDCANCEL;
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    default:
        return IDOK;
    }
}

void QtUi::beep() { QApplication::beep(); }

void QtUi::setWaitCursor(bool on)
{
    if (on) {
        if (m_waitDepth++ == 0)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (m_waitDepth > 0 && --m_waitDepth == 0) {
        QApplication::restoreOverrideCursor();
    }
}

int QtUi::runModal(QDialog& dialog)
{
    const int result = dialog.exec();
    reactivate(dialog.parentWidget());
    return result;
}

std::optional<QString> QtUi::saveFileName(QWidget* parent, const SaveFileRequest& request)
{
    QFileDialog dialog(parent, request.title, request.directory, request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    dialog.selectFile(request.fileName);
    const int result = dialog.exec();
    reactivate(parent);
    if (result != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

std::optional<QString> QtUi::openFileName(QWidget* parent, const OpenFileRequest& request)
{
    QFileDialog dialog(parent, request.title, request.directory, request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    const int result = dialog.exec();
    reactivate(parent);
    if (result != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

std::optional<QString> QtUi::password(QWidget* parent, const PasswordPrompt& prompt)
{
    QInputDialog dialog(parent);
    dialog.setWindowTitle(prompt.title);
    dialog.setLabelText(prompt.label);
    dialog.setTextEchoMode(QLineEdit::Password);
    dialog.setOkButtonText(prompt.ok);
    dialog.setCancelButtonText(prompt.cancel);
    dialog.setMinimumWidth(titleWidth(dialog));
    dialog.resize(dialog.minimumWidth(), dialog.sizeHint().height());
    const int result = dialog.exec();
    reactivate(parent);
    if (result != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

bool QtUi::printDialog(QWidget* parent, QPrinter& printer)
{
    QPrintDialog dialog(&printer, parent);
    // Here this option is the printer "Print to File (PDF)", the one printer every
    // machine has; there is no print-to-file box of a printer driver to hide.
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    const int result = dialog.exec();
    reactivate(parent);
    return result == QDialog::Accepted;
}

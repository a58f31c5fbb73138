// "&Print" of the function list as the program wires it: the print dialog,
// then "Printing MCF blocks" telling what came of the print run.

#include "CheckedScript.h"
#include "TestHome.h"
#include "list/FunctionListCtrl.h"
#include "list/MCFODlg.h"
#include "list/ProgramOperations.h"
#include "model/ApplicationState.h"
#include "model/McdefAccess.h"
#include "protocol/TypeCatalogue.h"
#include "report/PrintingMcfBlocksDlg.h"
#include "support/DbStatus.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include <functional>

namespace {

class PrintingMcfBlocksDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.ok());
        appState().mode = AppMode::Edit;
        appState().capacity.totalMemory = 64 * 1024;
        appState().capacity.freeMemory = 48 * 1024;
        TestHome::addFunction(1, FunctionType::YearlySchedule, "Week");
        TestHome::addFunction(2, FunctionType::DayNightControl, "Night");
    }
    void TearDown() override { appState() = ApplicationState(); }

    // Presses "&Print" with function 2 selected; the report dialog's text, and
    // whether it was visible until it was left (by default with its Cancel) with result 1.
    QString printFunction2(const std::function<void(QDialog&)>& leave = [](QDialog& d) {
        d.findChild<QPushButton*>("cancelButton")->click();
    })
    {
        MCFODlg list("001:125", "GW Market North", true, ProgramListOperations());
        list.show();
        FunctionListCtrl& functions = list.list();
        functions.clearRowSelection();
        functions.setRowSelected(functions.rowOf(2), true);
        QString shown;
        m_script.expectDialog("PrintingMcfBlocksDlg", [&shown, &leave](QDialog& d) {
            d.show();
            EXPECT_TRUE(d.isVisible());
            shown = d.findChild<QLabel*>("statusLabel")->text();
            leave(d);
            EXPECT_FALSE(d.isVisible());
            EXPECT_EQ(d.result(), 1);
            return d.result();
        });
        list.findChild<QPushButton*>("printButton")->click();
        EXPECT_TRUE(list.isVisible()) << "the list stays open after the report";
        return shown;
    }

    TestHome m_home;
    CheckedScript m_script;
};

TEST_F(PrintingMcfBlocksDlgTest, CancelInThePrintDialogPrintsNothingAndSaysSo)
{
    m_script.expectPrint(false);
    EXPECT_EQ(printFunction2(), "Nothing was printed: printing was cancelled.");
}

TEST_F(PrintingMcfBlocksDlgTest, APrinterThatCannotStartTheDocumentPrintsNothingAndSaysSo)
{
    const std::string unwritable = m_home.path() + "no-such-folder/report.pdf";
    m_script.expectPrint(true, QString::fromStdString(unwritable));
    m_script.expectMessageContaining("Nothing was printed: the report could not be started on");
    EXPECT_TRUE(printFunction2().contains(QString::fromStdString(unwritable)));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(unwritable)));
}

TEST_F(PrintingMcfBlocksDlgTest, AnAcceptedPrintDialogPrintsTheReport)
{
    const QString pdf = QString::fromStdString(m_home.path() + "report.pdf");
    m_script.expectPrint(true, pdf);
    EXPECT_EQ(printFunction2(), "The report was printed. Pages: 1");
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(5) == "%PDF-");
}

// Functions deleted by another program after the list was read: those left
// are printed and the others named; with none left nothing is printed at all.
TEST_F(PrintingMcfBlocksDlgTest, FunctionsThatNoLongerExistAreNamedAndNothingIsPrintedForNone)
{
    const auto printed = [this](std::vector<uint8_t> numbers, const QString& pdf) {
        QString shown;
        m_script.expectPrint(true, pdf);
        m_script.expectDialog("PrintingMcfBlocksDlg", [&shown](QDialog& d) {
            shown = d.findChild<QLabel*>("statusLabel")->text();
            return IDOK;
        });
        PrintingMcfBlocksDlg("001:125", "GW Market North", std::move(numbers)).run();
        return shown;
    };
    const QString some = QString::fromStdString(m_home.path() + "some.pdf");
    EXPECT_EQ(printed({2, 9}, some), "The report was printed. Pages: 1\nLeft out: No. 9 (does not exist)");
    EXPECT_TRUE(QFile::exists(some));

    const QString none = QString::fromStdString(m_home.path() + "none.pdf");
    EXPECT_EQ(printed({8, 9}, none), "Nothing was printed: none of the chosen functions could be read.\n"
                                     "Left out: No. 8 (does not exist), No. 9 (does not exist)");
    EXPECT_FALSE(QFile::exists(none)) << "not even an overview";
}

// The report dialog has only Cancel: Escape, the close box and Enter leave it
// as Cancel does, once, and print nothing more.
TEST_F(PrintingMcfBlocksDlgTest, EscapeTheCloseBoxAndEnterLeaveAsCancelDoes)
{
    const auto key = [](Qt::Key pressed) {
        return [pressed](QDialog& d) {
            QKeyEvent event(QEvent::KeyPress, pressed, Qt::NoModifier);
            QApplication::sendEvent(&d, &event);
        };
    };
    const std::pair<const char*, std::function<void(QDialog&)>> ways[] = {
        {"Escape", key(Qt::Key_Escape)},
        {"close box", [](QDialog& d) { d.close(); }},
        {"Enter", key(Qt::Key_Return)},
    };
    for (const auto& [name, leave] : ways) {
        m_script.expectPrint(false);
        EXPECT_EQ(printFunction2(leave), "Nothing was printed: printing was cancelled.") << name;
    }
}

} // namespace

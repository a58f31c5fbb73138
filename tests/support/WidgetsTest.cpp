#include "support/CEditCtrlEx.h"
#include "support/CListCtrlEx.h"
#include "support/CutTextToolTips.h"
#include "support/ScriptedUi.h"
#include "support/UiSeam.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QHelpEvent>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QToolTip>

namespace {

struct NumberRow : ListRow {
    int number;
    QString name;
    NumberRow(int n, QString s) : number(n), name(std::move(s)) {}
};

class NumberList : public CListCtrlEx {
public:
    NumberList()
    {
        setColumns({{"Name", 100}, {"No.", 40, Qt::AlignRight}});
        SetFullRowSel(true);
    }
    void add(int n, const QString& name) { appendRow(std::make_unique<NumberRow>(n, name)); }
    const NumberRow& row(int i) const { return static_cast<const NumberRow&>(rowAt(i)); }

protected:
    QString cellText(const ListRow& r, int column) const override
    {
        const auto& row = static_cast<const NumberRow&>(r);
        return column == 0 ? row.name : QString::number(row.number);
    }
    int compareRows(const ListRow& a, const ListRow& b, int column) const override
    {
        if (column == 1)
            return static_cast<const NumberRow&>(a).number - static_cast<const NumberRow&>(b).number;
        return CListCtrlEx::compareRows(a, b, column);
    }
};

using WidgetsTest = ::testing::Test;

TEST_F(WidgetsTest, ListSortsItsRowsAndKeepsTheSelectionWithThem)
{
    NumberList list;
    list.add(10, "delta");
    list.add(2, "Alpha");
    list.add(33, "charlie");
    list.add(4, "bravo");
    list.setRowSelected(0, true); // delta
    list.setRowSelected(2, true); // charlie

    list.sortByHeader(0);
    EXPECT_EQ(list.text(0, 0), "Alpha") << "texts compare without regard to case";
    EXPECT_EQ(list.text(3, 0), "delta");
    EXPECT_EQ(list.selectedRows(), (std::vector<int>{2, 3}));

    list.sortByHeader(0);
    EXPECT_FALSE(list.sortAscending()) << "the same column again reverses";
    EXPECT_EQ(list.text(0, 0), "delta");

    list.sortByHeader(1);
    EXPECT_TRUE(list.sortAscending()) << "another column starts ascending";
    EXPECT_EQ(list.row(0).number, 2);
    EXPECT_EQ(list.row(3).number, 33) << "numbers compare as numbers";
    EXPECT_EQ(list.selectedRows(), (std::vector<int>{2, 3}));
    EXPECT_EQ(list.row(list.selectedRows()[0]).name, "delta");

    list.removeRow(0);
    EXPECT_EQ(list.rowCount(), 3);
    EXPECT_EQ(list.selectedRows(), (std::vector<int>{1, 2}));
    list.removeAllRows();
    EXPECT_TRUE(list.selectedRows().empty());
}

TEST_F(WidgetsTest, ACutCellShowsItsWholeTextAsToolTip)
{
    NumberList list;
    list.add(1, "Dairy");
    list.add(2, "Dairy cabinets along the north wall of the sales area");
    const auto toolTip = [&list](int row) { return list.model()->index(row, 0).data(Qt::ToolTipRole); };
    EXPECT_FALSE(toolTip(0).isValid()) << "a text that fits needs none";
    EXPECT_EQ(toolTip(1).toString(), "Dairy cabinets along the north wall of the sales area");
    list.setColumnWidth(0, 2000);
    EXPECT_FALSE(toolTip(1).isValid()) << "widened, the column shows it all";
}

TEST_F(WidgetsTest, MessageBoxesAndThePasswordPromptShowTheirTitlesWhole)
{
    QDialog parent;
    parent.setWindowTitle("ZUL control function - Central Defrost");
    QtUi seam;
    const auto measure = [](int& width, int& titleAdvance) {
        QTimer::singleShot(0, [&width, &titleAdvance] {
            QWidget* shown = QApplication::activeModalWidget();
            ASSERT_NE(shown, nullptr);
            width = shown->width();
            titleAdvance = shown->fontMetrics().horizontalAdvance(shown->windowTitle());
            shown->close();
        });
    };
    int width = 0;
    int titleAdvance = 0;
    measure(width, titleAdvance);
    seam.messageBox(&parent, "Day", MB::Ok);
    EXPECT_GE(width, titleAdvance + 100) << "a short text does not cut the title";

    PasswordPrompt prompt;
    prompt.title = "Enter ZUL Password";
    prompt.label = "Password:";
    prompt.ok = "OK";
    prompt.cancel = "Cancel";
    measure(width, titleAdvance);
    seam.password(&parent, prompt);
    EXPECT_GE(width, titleAdvance + 100);
}

TEST_F(WidgetsTest, TheFocusSetAfterAMessageLandsInTheWindowBelowIt)
{
    QDialog window;
    auto* first = new QPushButton("OK", &window);
    auto* second = new QPushButton("Input", &window);
    first->move(0, 0);
    second->move(0, 40);
    window.show();
    window.activateWindow();
    first->setFocus();
    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    QtUi().messageBox(&window, "Please specify at least one QEB or parameter reference.", MB::Ok);
    second->setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), &window);
    EXPECT_EQ(QApplication::focusWidget(), second);
}

TEST_F(WidgetsTest, NumericEditValidatesItsRange)
{
    ScriptedUi script;
    CEditCtrlEx edit;
    edit.SetNumRange(10, 40);
    edit.setText("25");
    EXPECT_TRUE(edit.ValidateData());
    edit.setText("41");
    script.expectMessage("Please enter a number from 10 to 40.");
    EXPECT_FALSE(edit.ValidateData());
    edit.setText("");
    script.expectMessageContaining("10");
    EXPECT_FALSE(edit.ValidateData());

    edit.SetNumRange(0.0, 5.0);
    edit.setText("1,5");
    EXPECT_TRUE(edit.ValidateData()) << "a decimal comma is accepted";
    EXPECT_DOUBLE_EQ(edit.doubleValue(), 1.5);

    edit.SetNumRange(-50, 50);
    edit.setText("-50");
    EXPECT_TRUE(edit.ValidateData());
    EXPECT_TRUE(script.failures().isEmpty()) << script.failures().join("\n").toStdString();
    EXPECT_TRUE(script.allAnswered());
}

TEST_F(WidgetsTest, ScriptRecordsPromptsItDidNotExpect)
{
    ScriptedUi script;
    script.expectMessage("first", IDYES);
    EXPECT_EQ(ui().messageBox(nullptr, "first", MB::YesNo), IDYES);
    EXPECT_EQ(ui().messageBox(nullptr, "surprise", MB::YesNo | MB::IconQuestion), IDNO) << "the safe answer";
    EXPECT_EQ(script.failures().size(), 1);

    QDialog dialog;
    dialog.setObjectName("SomeDlg");
    script.expectDialog("SomeDlg", [](QDialog& d) {
        d.accept();
        return d.result();
    });
    EXPECT_EQ(ui().runModal(dialog), QDialog::Accepted);
    EXPECT_TRUE(script.allAnswered());
}

} // namespace

// Lists of the standard kind show a cut text whole as tool tip too, and a
// text that fits shows none.
TEST_F(WidgetsTest, AStandardListShowsACutItemWholeOnHovering)
{
    QListWidget list;
    list.addItems({"Plan", "Plan of the night covers in the dairy and the meat cabinets"});
    list.resize(120, 100);
    ShowCutTextsAsToolTips(list);
    list.show();
    QApplication::processEvents();
    EXPECT_FALSE(IsTextCut(list, list.model()->index(0, 0)));
    EXPECT_TRUE(IsTextCut(list, list.model()->index(1, 0)));

    const auto hover = [&list](int row) {
        const QPoint at = list.visualItemRect(list.item(row)).center();
        QHelpEvent help(QEvent::ToolTip, at, list.viewport()->mapToGlobal(at));
        QApplication::sendEvent(list.viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(hover(0), "");
    EXPECT_EQ(hover(1), "Plan of the night covers in the dairy and the meat cabinets");
}

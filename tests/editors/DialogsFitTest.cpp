// Every dialog on a 1024x768 screen, as the operator opens it on the demo
// gateway: the function list, each type's editor and the dialogs its buttons
// open. None may be larger than the screen, and none may cut a label or a
// column heading.

#include "editors/EditorFixture.h"

#include "editors/defrost/DefrostDlg.h"
#include "editors/energy/AlimDlg.h"
#include "editors/energy/PeakBDlg.h"
#include "editors/energy/PoDefrostDelayDlg.h"
#include "editors/energy/PoOptimiserDlg.h"
#include "editors/schedule/DayNiDlg.h"
#include "editors/schedule/QEBOnDlg.h"
#include "editors/schedule/YeSchDlg.h"
#include "list/FunctionListCtrl.h"
#include "list/MCFODlg.h"
#include "list/NewFunctionDlg.h"
#include "list/ProgramOperations.h"

#include <QHeaderView>
#include <QRegularExpression>
#include <QLabel>
#include <QStyle>

#include <memory>

namespace {

constexpr int ScreenWidth = 1024;
constexpr int ScreenHeight = 768;
// The window's title bar, above what the dialog itself fills.
constexpr int TitleBarHeight = 30;

std::string describe(const QWidget& widget, const QString& text)
{
    return widget.objectName().toStdString() + " \"" + text.toStdString() + "\"";
}

// What does not fit on the screen in a shown dialog: its size, labels whose
// text is wider than they are, column headings cut.
std::vector<std::string> fitProblems(QDialog& dialog)
{
    QApplication::processEvents();
    std::vector<std::string> problems;
    if (dialog.width() > ScreenWidth || dialog.height() + TitleBarHeight > ScreenHeight)
        problems.push_back(QStringLiteral("%1x%2 pixels").arg(dialog.width()).arg(dialog.height()).toStdString());
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        if (!label->isVisibleTo(&dialog) || label->wordWrap() || label->text().isEmpty()
            || Qt::mightBeRichText(label->text()))
            continue;
        QString shown = label->text();
        if (label->buddy())
            shown.remove(QRegularExpression(QStringLiteral("&(?=.)")));
        const int room = label->contentsRect().width() - 2 * label->margin();
        if (label->fontMetrics().horizontalAdvance(shown) > room)
            problems.push_back("label " + describe(*label, shown) + " cut");
    }
    for (const QHeaderView* header : dialog.findChildren<QHeaderView*>()) {
        if (header->orientation() != Qt::Horizontal || !header->isVisibleTo(&dialog) || !header->model())
            continue;
        const int margin = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
        for (int section = 0; section < header->count(); ++section) {
            if (header->isSectionHidden(section) || header->sectionSize(section) == 0)
                continue;
            const QString text = header->model()->headerData(section, Qt::Horizontal).toString();
            if (header->sectionSize(section) < header->fontMetrics().horizontalAdvance(text) + margin)
                problems.push_back("column " + describe(*header->parentWidget(), text) + " cut");
        }
    }
    return problems;
}

class DialogsFitTest : public EditorFixture {
protected:
    // The dialog an editor's button opens is checked and left with Cancel.
    void expectFitting(const char* objectName)
    {
        m_script.expectDialog(objectName, [this](QDialog& d) {
            runDialog(d, [this, &d] { check(d); });
            return IDCANCEL;
        });
    }
    void check(QDialog& d)
    {
        EXPECT_TRUE(d.isVisible()) << d.objectName().toStdString();
        const std::vector<std::string> problems = fitProblems(d);
        for (const std::string& problem : problems)
            ADD_FAILURE() << d.objectName().toStdString() << ": " << problem;
        m_checked.push_back(d.objectName());
    }
    // Opens the editor of a demo function, stopped so that every button
    // works (or started, with the line that says to stop it), checks it,
    // presses the buttons, and leaves it with Cancel.
    template <typename Editor>
    void openEditor(uint8_t number, uint8_t type, std::vector<std::pair<const char*, const char*>> buttons,
                    bool stopped = true)
    {
        SCOPED_TRACE(number);
        if (stopped)
            stopFunction(number);
        Editor editor(request(type, number));
        run(editor, [&] {
            check(editor);
            for (const auto& [button, opens] : buttons) {
                expectFitting(opens);
                EditorFixture::button(editor, button)->click();
            }
        });
    }

    std::vector<QString> m_checked;
};

TEST_F(DialogsFitTest, EveryDialogFitsTheScreenAndCutsNoLabel)
{
    start();
    {
        MCFODlg list("001:125", "GW Market North", true, ProgramListOperations());
        runDialog(list, [&] {
            check(list);
            list.list().setRowSelected(list.list().rowOf(1), true);
            m_script.expectPrint(false);
            expectFitting("PrintingMcfBlocksDlg");
            button(list, "printButton")->click();
        });
        NewFunctionDlg types({0, 1, 2, 3, 4, 5, 6, 7, 8});
        runDialog(types, [&] { check(types); });
        PoDefrostDelayDlg delay(20);
        runDialog(delay, [&] { check(delay); });
    }
    openEditor<YeSchDlg>(1, FunctionType::YearlySchedule, {});
    openEditor<DayNiDlg>(4, FunctionType::DayNightExternal, {{"scheduleButton", "SelSchDlg"},
                                                             {"outputButton", "SelPaDlg"},
                                                             {"manualButton", "ManualDayNightDlg"}});
    openEditor<PeakBDlg>(5, FunctionType::PeakShaving, {{"consumptionButton", "PeakGDlg"}});
    {
        // The advanced dialog is shown beside its editor, not run.
        PeakBDlg editor(request(FunctionType::PeakShaving, 5));
        run(editor, [&] {
            button(editor, "advancedButton")->click();
            auto* advanced = editor.findChild<QDialog*>("PeakAdvancedDlg");
            ASSERT_NE(advanced, nullptr);
            check(*advanced);
            button(*advanced, "cancelButton")->click();
        });
    }
    openEditor<AlimDlg>(7, FunctionType::AlarmLimitDirect, {{"indoorButton", "SelPaDlg"},
                                                            {"manualButton", "ManualValueDlg"}});
    openEditor<QEBOnDlg>(8, FunctionType::QebOn, {{"manualButton", "ManualOnOffDlg"}});
    openEditor<DefrostDlg>(9, FunctionType::CentralDefrost, {}, false);
    openEditor<DefrostDlg>(9, FunctionType::CentralDefrost, {{"schedulesButton", "DefrostSchedulesDlg"},
                                                             {"manualButton", "ManualDefrostDlg"}});
    openEditor<PoOptimiserDlg>(12, FunctionType::PoOptimizer, {{"advancedButton", "PoAdvancedDlg"},
                                                               {"historyButton", "PoOptimizerHistory"},
                                                               {"inputSelectButton", "SelectEvaporatorDlg"},
                                                               {"compressorSelectButton", "SelectCompressorDlg"}});
    EXPECT_EQ(m_checked.size(), 26u) << "every dialog was opened";
}

} // namespace

// How every editor ends after each result of the gateway update that its OK
// runs, against a real qelnetd whose faults give each result: refused (1),
// the link lost before the first answer (2) and after it (3), and a local
// failure (4, an answer that answers something else). The editor renames a
// function of the demo gateway 001; the event log then holds the update's own
// row and, only where the editor logs after the update, the change lines.

#include "editors/EditorFixture.h"

#include <QLineEdit>

namespace {

struct EditorCase {
    const char* name;
    const char* dialog; // the editor's object name
    uint8_t type;
    uint8_t number;
    // Where the update failed locally: the yearly schedule editor closes with -2 and logs nothing, the
    // others log their lines and close with OK.
    bool closesAfterLocalFailure;
};

struct ResultCase {
    const char* name;
    UpdateResult result;
    const char* fault;       // the server's option
    int afterUpload;         // the fault comes with this telegram after the upload's
    const char* message;     // what the update tells the operator
    const char* rowReason;   // how the update's own event row begins its reason
};

const EditorCase Editors[] = {
    {"DayNightExternal", "DayNiDlg", FunctionType::DayNightExternal, 4, false},
    {"ControllerOn", "QEBOnDlg", FunctionType::QebOn, 8, false},
    {"YearlySchedule", "YeSchDlg", FunctionType::YearlySchedule, 2, true},
    {"CentralDefrost", "DefrostDlg", FunctionType::CentralDefrost, 9, false},
    {"AlarmLimit", "AlimDlg", FunctionType::AlarmLimitDirect, 7, false},
    {"PeakShaving", "PeakBDlg", FunctionType::PeakShaving, 5, false},
    {"PoOptimizer", "PoOptimiserDlg", FunctionType::PoOptimizer, 12, false},
};

const ResultCase Results[] = {
    {"Refused", UpdateResult::Refused, "--refuse-writes", 0, "Error updating ZUL.\nReturn code is 3.",
     "refused by the gateway"},
    {"NotSent", UpdateResult::NotSent, "--fail-link-after", 0, "Communication error. Please try again.",
     "not sent: link failure"},
    {"LinkFailure", UpdateResult::LinkFailure, "--fail-link-after", 1, "Communication error. Please try again.",
     "link failure, partly sent"},
    {"LocalFailure", UpdateResult::LocalFailure, "--unexpected-answer", 1,
     "Control function setup changed by another user. Please upload again.", "unexpected answer: "},
};

class UpdateResultsTest : public EditorFixture,
                          public ::testing::WithParamInterface<std::tuple<EditorCase, ResultCase>> {
protected:
    // The upload of gateway 001, then a server with the fault counted from the first telegram after it.
    void startWithFault(const ResultCase& fault)
    {
        start();
        const int uploadTelegrams = int(sentCommands().size());
        m_session.reset();
        m_server.reset();
        ServerLink::instance().reset();
        const QString value = fault.result == UpdateResult::Refused
            ? QStringLiteral("3")
            : QString::number(uploadTelegrams + fault.afterUpload);
        start({fault.fault, value});
    }

    // The demo marks ice cream 2 (071) as not answering on the central defrost's start, which refuses OK.
    static void clearConflictMarks(uint8_t number)
    {
        McdefRecord reference;
        if (ReadBlock(number, BlockType::Output, 1, 71, reference) != DbStatus::Success)
            return;
        reference[5] = 0;
        ASSERT_EQ(UpdateBlock(reference), DbStatus::Success);
    }
};

TEST_P(UpdateResultsTest, TheEditorEndsAsItsUpdateResultSays)
{
    const auto& [editor, fault] = GetParam();
    startWithFault(fault);
    stopFunction(editor.number);
    clearConflictMarks(editor.number);
    McdefRecord header;
    ASSERT_EQ(ReadBlock(editor.number, BlockType::Header, 0, 0, header), DbStatus::Success);
    const QString loadedName = QString::fromStdString(header.name());

    const bool staysOpen = fault.result == UpdateResult::NotSent || fault.result == UpdateResult::LinkFailure;
    std::optional<bool> openAfterOk;
    m_script.expectDialog(editor.dialog,
                          [&](QDialog& d) {
                              // The editor reads its function when it runs: the operator's steps come after.
                              return runDialog(d, [&] {
                                         rename(d, "Renamed");
                                         button(d, "okButton")->click();
                                         openAfterOk = d.isVisible();
                                         if (!d.isVisible())
                                             return;
                                         // Nothing left to save: Cancel then says that the gateway still
                                         // needs the update.
                                         auto* name = child<QLineEdit>(d, "nameEdit");
                                         name->setText(loadedName);
                                         name->setModified(false);
                                         button(d, "cancelButton")->click();
                                     })
                                  .value_or(0);
                          });
    expectUpdate();
    m_script.expectMessage(fault.message);

    const EditorResult result = EditorForType(editor.type)(nullptr, request(editor.type, editor.number));

    ASSERT_TRUE(openAfterOk.has_value());
    EXPECT_EQ(*openAfterOk, staysOpen) << "results 2 and 3 keep the editor open";
    const EditorResult expected = fault.result == UpdateResult::LocalFailure
        ? (editor.closesAfterLocalFailure ? EditorResult::DatabaseFailure : EditorResult::Ok)
        : EditorResult::ConnectionLost;
    EXPECT_EQ(result, expected);

    std::vector<std::string> rows;
    for (const EventLogRecord& row : eventRows())
        rows.push_back(row.text);
    ASSERT_FALSE(rows.empty());
    EXPECT_NE(rows.front().find("\nRenamed\nnot sent to the gateway: " + std::string(fault.rowReason)),
              std::string::npos)
        << rows.front();
    const bool logged = fault.result == UpdateResult::LocalFailure && !editor.closesAfterLocalFailure;
    EXPECT_EQ(rows.size(), logged ? 2u : 1u) << "the editor's change lines only where it logs after the update";
    if (logged)
        EXPECT_NE(rows.back().find(" -> Renamed"), std::string::npos) << rows.back();
}

INSTANTIATE_TEST_SUITE_P(EveryEditorAndResult, UpdateResultsTest,
                         ::testing::Combine(::testing::ValuesIn(Editors), ::testing::ValuesIn(Results)),
                         [](const ::testing::TestParamInfo<UpdateResultsTest::ParamType>& info) {
                             return std::string(std::get<0>(info.param).name) + "_"
                                 + std::get<1>(info.param).name;
                         });

} // namespace

// The function list against a real qelnetd: a function whose update the
// gateway did not accept is marked in the list and in mcftool status, and the
// row's context menu sends it again. Gateway 002 of the demo wants the
// password 1234.

#include "GatewayFixture.h"

#include "gateway/CurrentServer.h"
#include "gateway/MCUplDlg.h"
#include "list/FunctionListCtrl.h"
#include "list/MCFODlg.h"
#include "list/ProgramOperations.h"
#include "model/FunctionSettings.h"
#include "model/McdefAccess.h"
#include "model/Records.h"
#include "protocol/TypeCatalogue.h"
#include "support/DbStatus.h"
#include "ToolRun.h"

#include <QApplication>
#include <QFile>
#include <QJsonArray>
#include <QKeyEvent>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>

namespace {

class SendToGatewayTest : public GatewayFixture {
protected:
    void SetUp() override
    {
        GatewayFixture::SetUp();
        startServer({}, Gateway);
        MCUplDlg upload(Gateway, serverWindow(), false);
        ASSERT_EQ(UploadResult(upload.exec()), UploadResult::UpToDate);
        SetCurrentServerWindow(serverWindow());
    }
    void TearDown() override
    {
        SetCurrentServerWindow(0);
        GatewayFixture::TearDown();
    }

    // Opens the row's context menu with the right mouse button and clicks
    // `entry` when it is enabled, else closes the menu. Whether it was enabled.
    static bool chooseFromContextMenu(MCFODlg& dialog, uint8_t number, const QString& entry)
    {
        FunctionListCtrl& list = dialog.list();
        const QPoint at = list.visualRect(list.model()->index(list.rowOf(number), FunctionListCtrl::NameColumn)).center();
        bool found = false;
        bool enabled = false;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QAction* chosen = nullptr;
            for (QAction* action : menu ? menu->actions() : QList<QAction*>())
                if (action->text() == entry)
                    chosen = action;
            found = chosen;
            enabled = chosen && chosen->isEnabled();
            if (!enabled) {
                if (menu)
                    menu->close();
                return;
            }
            const QPoint center = menu->actionGeometry(chosen).center();
            for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
                QMouseEvent click(type, center, menu->mapToGlobal(center), Qt::LeftButton,
                                  type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
                QApplication::sendEvent(menu, &click);
            }
        });
        QContextMenuEvent request(QContextMenuEvent::Mouse, at, list.viewport()->mapToGlobal(at));
        QApplication::sendEvent(list.viewport(), &request);
        EXPECT_TRUE(found) << "the row's context menu has no entry " << entry.toStdString();
        return enabled;
    }

    // The progress dialog of the update runs, and its password prompt gets `password`.
    void expectUpdate(std::optional<QString> password)
    {
        m_script.expectDialog("MCUpdDlg", [](QDialog& dialog) { return dialog.exec(); });
        m_script.expectPassword(std::move(password));
    }

    static QVariant cell(const FunctionListCtrl& list, uint8_t number, int column, int role)
    {
        return list.model()->index(list.rowOf(number), column).data(role);
    }

    ToolRun status() const
    {
        return RunTool(QStringLiteral(MCFTOOL_PATH), {"status", QString::fromStdString(m_home.path()), "002"}, 60000);
    }

    static constexpr const char* Gateway = "002:125";
    static constexpr uint8_t NightCovers = 2;
    const QString SendToGateway = QStringLiteral("Send to gateway");
};

TEST_F(SendToGatewayTest, AWrongPasswordLeavesTheFunctionMarkedUntilItIsSentAgain)
{
    MCFODlg dialog(Gateway, "GW", true, ProgramListOperations());
    dialog.show();
    const FunctionListCtrl& list = dialog.list();
    ASSERT_GE(list.rowOf(NightCovers), 0);
    EXPECT_FALSE(cell(list, NightCovers, FunctionListCtrl::TypeColumn, Qt::DecorationRole).isValid());

    expectUpdate(QStringLiteral("9999"));
    m_script.expectMessage("Password is invalid");
    ASSERT_TRUE(chooseFromContextMenu(dialog, NightCovers, SendToGateway));
    EXPECT_TRUE(dialog.isVisible()) << "a refused password leaves the list open";
    EXPECT_TRUE(list.item(list.rowOf(NightCovers)).notSent);
    EXPECT_TRUE(cell(list, NightCovers, FunctionListCtrl::TypeColumn, Qt::DecorationRole).isValid());
    for (int column = 0; column < list.columnCount(); ++column) {
        const QString tip = cell(list, NightCovers, column, Qt::ToolTipRole).toString();
        EXPECT_TRUE(tip.startsWith("Not sent to the gateway\nsince 20")) << tip.toStdString();
        EXPECT_TRUE(tip.endsWith(" UTC: local failure: the gateway refused the password")) << tip.toStdString();
        EXPECT_TRUE(cell(list, NightCovers, column, Qt::BackgroundRole).isValid()) << "the whole row is tinted";
    }
    EXPECT_EQ(cell(list, NightCovers, FunctionListCtrl::NameColumn, Qt::DisplayRole).toString(), "Night covers")
        << "the mark changes no text of the row";
    dialog.list().setColumnWidth(FunctionListCtrl::NameColumn, 20);
    EXPECT_TRUE(cell(list, NightCovers, FunctionListCtrl::NameColumn, Qt::ToolTipRole)
                    .toString()
                    .startsWith("Night covers\nNot sent to the gateway\nsince "))
        << "a cut name is shown whole beside the mark";
    EXPECT_EQ(dialog.findChild<QLabel*>("statusLabel")->text(), "2 Night covers: not sent to the gateway");

    const ToolRun marked = status();
    EXPECT_EQ(marked.exitCode, 0) << marked.err;
    EXPECT_NE(marked.out.find("gateway 002:125: 1 function not sent"), std::string::npos) << marked.out;
    EXPECT_NE(marked.out.find("  2\tNight covers\tsince "), std::string::npos) << marked.out;
    EXPECT_NE(marked.out.find("local failure: the gateway refused the password"), std::string::npos)
        << marked.out;

    {
        MCFODlg reopened(Gateway, "GW", true, ProgramListOperations());
        EXPECT_TRUE(reopened.list().item(reopened.list().rowOf(NightCovers)).notSent) << "the mark outlives the list";
    }

    expectUpdate(QStringLiteral("1234"));
    ASSERT_TRUE(chooseFromContextMenu(dialog, NightCovers, SendToGateway));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(list.item(list.rowOf(NightCovers)).notSent);
    EXPECT_FALSE(cell(list, NightCovers, FunctionListCtrl::TypeColumn, Qt::DecorationRole).isValid());
    EXPECT_FALSE(cell(list, NightCovers, FunctionListCtrl::NameColumn, Qt::BackgroundRole).isValid());
    EXPECT_EQ(dialog.findChild<QLabel*>("statusLabel")->text(), "2 Night covers: sent to the gateway");
    McdefRecord header;
    ASSERT_EQ(ReadBlock(NightCovers, BlockType::Header, 0, 0, header), DbStatus::Success);
    EXPECT_EQ(header.stamp(), readImage("002").functions.at(NightCovers).stamp) << "the gateway took it";

    const ToolRun sent = status();
    EXPECT_EQ(sent.exitCode, 0) << sent.err;
    EXPECT_EQ(sent.out, "gateway 002:125: all functions sent\n");

    std::vector<std::string> rows;
    for (const auto& bytes : TestHome::records(table::EventLog))
        rows.push_back(EventLogRecord::read(bytes.data()).text);
    EXPECT_EQ(rows, (std::vector<std::string>{
                        "002:125 GW Market South\nNight covers\nnot sent to the gateway: local failure: the gateway "
                        "refused the password",
                        "002:125 GW Market South\nNight covers\nsent to the gateway"}));
}

// A value out of range that another program put into MCDEF stops the update before the password is asked
// and anything is sent; the operator reads function, field, value and range, and the function stays marked.
TEST_F(SendToGatewayTest, AValueOutOfRangeInTheTableIsNamedAndNothingIsSent)
{
    McdefRecord manual;
    ASSERT_EQ(ReadBlock(NightCovers, BlockType::Data, 1, 0, manual), DbStatus::Success);
    SetSettingValue(FunctionType::DayNightControl, "manual value", manual, 5);
    ASSERT_EQ(UpdateBlock(manual), DbStatus::Success);

    MCFODlg dialog(Gateway, "GW", true, ProgramListOperations());
    dialog.show();
    const size_t sentBefore = sentCommands().size();
    m_script.expectDialog("MCUpdDlg", [](QDialog& d) { return d.exec(); });
    m_script.expectMessage("Not sent to the gateway: a value is outside its range.\n"
                           "function 2 'Night covers': manual value is 5, allowed 0..1");
    ASSERT_TRUE(chooseFromContextMenu(dialog, NightCovers, SendToGateway));
    EXPECT_EQ(m_script.prompts().back().style, MB::Ok | MB::IconStop);
    EXPECT_EQ(sentCommands().size(), sentBefore) << "no telegram went out";
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.list().item(dialog.list().rowOf(NightCovers)).notSent);
    const ToolRun marked = status();
    EXPECT_NE(marked.out.find("local failure: a value is outside its range: function 2 'Night covers': manual "
                              "value is 5, allowed 0..1"),
              std::string::npos)
        << marked.out;
}

// The function list exports its functions as a JSON document and takes a changed one back: the changes
// are reviewed first (Cancel writes nothing), OK writes them, the row shows its new name and its unsent
// mark, and "Send to gateway" sends it.
TEST_F(SendToGatewayTest, ExportImportReviewAndSend)
{
    MCFODlg dialog(Gateway, "GW", true, ProgramListOperations());
    dialog.show();
    const QString document = QString::fromStdString(m_home.path()) + "functions.json";
    m_script.expectSaveFile(document);
    dialog.findChild<QPushButton*>("exportButton")->click();
    EXPECT_EQ(dialog.findChild<QLabel*>("statusLabel")->text(), "exported to " + document);

    QFile file(document);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
    file.close();
    QJsonArray functions = root["functions"].toArray();
    int covers = -1;
    for (int i = 0; i < functions.size(); ++i)
        if (functions[i].toObject()["number"].toInt() == NightCovers)
            covers = i;
    ASSERT_GE(covers, 0);
    QJsonObject function = functions[covers].toObject();
    function["name"] = "Night blinds";
    functions[covers] = function;
    root["functions"] = functions;
    const QString changed = QString::fromStdString(m_home.path()) + "changed.json";
    QFile out(changed);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(QJsonDocument(root).toJson());
    out.close();
    const auto before = TestHome::records(table::Mcdef);

    // Cancel, Escape and the close box write nothing; OK writes.
    for (const char* way : {"cancel", "escape", "close", "ok"}) {
        SCOPED_TRACE(way);
        const std::string how = way;
        m_script.expectOpenFile(changed);
        m_script.expectDialog("ImportFunctionsDlg", [how](QDialog& d) {
            d.show();
            const QString text = d.findChild<QPlainTextEdit*>("changesText")->toPlainText();
            EXPECT_EQ(text, "function 2 Night blinds: 1 change\n  name: Night covers -> Night blinds\n");
            if (how == "escape") {
                QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                QApplication::sendEvent(&d, &escape);
            } else if (how == "close") {
                d.close();
            } else {
                d.findChild<QPushButton*>(how == "ok" ? "okButton" : "cancelButton")->click();
            }
            return d.result();
        });
        dialog.findChild<QPushButton*>("importButton")->click();
        if (how != "ok") {
            EXPECT_EQ(TestHome::records(table::Mcdef), before) << "nothing written";
        }
    }
    const FunctionListCtrl& list = dialog.list();
    EXPECT_EQ(dialog.functionName(NightCovers), "Night blinds");
    EXPECT_TRUE(list.item(list.rowOf(NightCovers)).notSent);

    expectUpdate(QStringLiteral("1234"));
    ASSERT_TRUE(chooseFromContextMenu(dialog, NightCovers, SendToGateway));
    EXPECT_FALSE(list.item(list.rowOf(NightCovers)).notSent);
    EXPECT_EQ(readImage("002").functions.at(NightCovers).name, "Night blinds");
}

TEST_F(SendToGatewayTest, OnlyAnEditableListSendsAFunction)
{
    const size_t sentByUpload = sentCommands().size();
    MCFODlg outdated(Gateway, "GW", false, ProgramListOperations());
    outdated.show();
    EXPECT_FALSE(chooseFromContextMenu(outdated, NightCovers, SendToGateway))
        << "the net configuration is not up to date";

    appState().mode = AppMode::Browse;
    MCFODlg browsing(Gateway, "GW", true, ProgramListOperations());
    browsing.show();
    EXPECT_FALSE(chooseFromContextMenu(browsing, NightCovers, SendToGateway));
    EXPECT_EQ(sentCommands().size(), sentByUpload);
}

} // namespace

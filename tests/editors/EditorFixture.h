#pragma once
// The editors end to end: the demo gateway 001 uploaded from a real qelnetd,
// the real dialogs offscreen, the operator's clicks run once a dialog is open,
// the dialogs an editor opens answered by the UI script.

#include "gateway/GatewayFixture.h"

#include "editors/EditorDispatch.h"
#include "editors/schedule/ScheList.h"
#include "editors/schedule/SelSchDlg.h"
#include "gateway/CurrentServer.h"
#include "gateway/MCUplDlg.h"
#include "model/McdefAccess.h"
#include "model/Records.h"
#include "protocol/TypeCatalogue.h"
#include "references/IOList.h"
#include "support/Db.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <functional>
#include <optional>
#include <vector>


constexpr uint8_t NewNumber = 20;

class EditorFixture : public GatewayFixture {
protected:
    void start(const QStringList& options = {})
    {
        startServer(options);
        MCUplDlg upload("001:125", serverWindow(), false);
        ASSERT_EQ(UploadResult(upload.exec()), UploadResult::UpToDate);
        SetCurrentServerWindow(serverWindow());
    }
    void TearDown() override
    {
        SetCurrentServerWindow(0);
        GatewayFixture::TearDown();
    }

    // As start(), with a server whose link fails at the first telegram after the upload.
    void startWithLinkFailureAfterUpload()
    {
        start();
        const int uploadTelegrams = int(sentCommands().size());
        m_session.reset();
        m_server.reset();
        ServerLink::instance().reset();
        start({"--fail-link-after", QString::number(uploadTelegrams)});
    }

    EditorRequest request(uint8_t type, uint8_t number, bool readOnly = false)
    {
        EditorRequest r;
        r.gatewayAddress = "001:125";
        r.type = type;
        r.number = number;
        r.readOnly = readOnly;
        r.editorFor = EditorForType;
        return r;
    }

    // Runs a dialog; the steps run once it is open, as the operator's
    // clicks. A dialog the steps leave open has no result.
    static std::optional<int> runDialog(QDialog& dialog, const std::function<void()>& steps)
    {
        constexpr int stillOpen = -99;
        QTimer::singleShot(0, &dialog, [&dialog, steps] {
            steps();
            if (dialog.isVisible())
                dialog.done(stillOpen);
        });
        const int result = dialog.exec();
        if (result == stillOpen)
            return std::nullopt;
        return result;
    }
    // The same for an editor, with its result.
    static std::optional<EditorResult> run(QDialog& editor, const std::function<void()>& steps)
    {
        const std::optional<int> result = runDialog(editor, steps);
        if (!result)
            return std::nullopt;
        return EditorResult(*result);
    }
    // The ways of leaving a dialog by the window alone, by name: Escape and the close box.
    using LeavingWay = std::pair<const char*, std::function<void(QDialog&)>>;
    static std::vector<LeavingWay> escapeAndCloseBox()
    {
        return {
            {"Escape",
             [](QDialog& d) {
                 QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                 QApplication::sendEvent(&d, &escape);
             }},
            {"close box", [](QDialog& d) { d.close(); }},
        };
    }
    // The three ways of leaving a dialog without its OK: its cancel button
    // (this object name), Escape, the close box.
    static std::vector<LeavingWay> leavingWays(const char* cancelButton)
    {
        std::vector<LeavingWay> ways = escapeAndCloseBox();
        ways.insert(ways.begin(), {cancelButton, [cancelButton](QDialog& d) { button(d, cancelButton)->click(); }});
        return ways;
    }

    template <typename T>
    static T* child(QDialog& d, const char* name)
    {
        T* found = d.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    static QPushButton* button(QDialog& d, const char* name) { return child<QPushButton>(d, name); }

    void expectUpdate() { m_script.expectDialog("MCUpdDlg", [](QDialog& d) { return d.exec(); }); }

    // The schedule selection: choose exactly these schedules (the list's
    // current ones come selected) and press "&Select".
    void expectScheduleChoice(std::vector<uint8_t> schedules)
    {
        m_script.expectDialog("SelSchDlg", [schedules](QDialog& d) {
            auto& dialog = static_cast<SelSchDlg&>(d);
            ScheList& list = dialog.candidates();
            list.clearSelection();
            for (uint8_t schedule : schedules)
                list.item(list.lineOf(schedule))->setSelected(true);
            button(d, "selectButton")->click();
            return d.result();
        });
    }
    // The reference selection: choose the rows of these addresses (automatic
    // or first parameter row) and press "&Select".
    void expectReferenceChoice(std::vector<std::pair<std::string, bool>> rows)
    {
        m_script.expectDialog("SelPaDlg", [rows](QDialog& d) {
            auto* candidates = d.findChild<IOList*>("candidateList");
            candidates->clearRowSelection();
            for (const auto& [address, automatic] : rows) {
                const int row = automatic ? candidates->FindRow(address, 255, 255, 255, false)
                                          : [&] {
                                                for (int i = 0; i < candidates->rowCount(); ++i)
                                                    if (candidates->row(i).address == address
                                                        && !candidates->row(i).automatic()
                                                        && candidates->row(i).status == 0)
                                                        return i;
                                                return -1;
                                            }();
                EXPECT_GE(row, 0) << address;
                candidates->setRowSelected(row, true);
            }
            button(d, "selectButton")->click();
            return d.result();
        });
    }

    // A function as a stopped one, whose name and references can be edited.
    static void stopFunction(uint8_t number)
    {
        McdefRecord header;
        ASSERT_EQ(ReadBlock(number, BlockType::Header, 0, 0, header), DbStatus::Success);
        header.setFlags(uint8_t(header.flags() & ~FunctionFlag::Started));
        ASSERT_EQ(UpdateBlock(header), DbStatus::Success);
    }

    static std::vector<EventLogRecord> eventRows()
    {
        std::vector<EventLogRecord> rows;
        for (const auto& bytes : TestHome::records(table::EventLog))
            rows.push_back(EventLogRecord::read(bytes.data()));
        return rows;
    }

    // The update's own event row is the only one: the gateway did not take the function, for this reason;
    // the editor's change lines are not written.
    static void expectOnlyNotSentRow(const std::string& name, const std::string& reason)
    {
        const std::vector<EventLogRecord> rows = eventRows();
        ASSERT_EQ(rows.size(), 1u);
        const std::string head = "001:125 GW Market North\n" + name + "\nnot sent to the gateway: ";
        EXPECT_EQ(rows[0].text.substr(0, head.size()), head) << rows[0].text;
        EXPECT_NE(rows[0].text.find(reason, head.size()), std::string::npos) << rows[0].text;
    }

    // Enter in a widget, as the keyboard gives it: the widget passes it on to
    // its dialog, whose default button takes it once.
    static void pressEnter(QWidget* widget)
    {
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(widget, &enter);
    }

    // Replaces an edit's text through the keyboard, as the operator types.
    static void typeInto(QLineEdit* edit, const QString& text)
    {
        edit->setFocus();
        edit->selectAll();
        QKeyEvent erase(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
        QApplication::sendEvent(edit, &erase);
        for (const QChar c : text) {
            QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(edit, &key);
        }
    }

    // Types a new name into the editor's name edit, as the operator does.
    static void rename(QDialog& editor, const QString& name)
    {
        auto* edit = child<QLineEdit>(editor, "nameEdit");
        edit->setText(name);
        edit->setModified(true);
    }
};

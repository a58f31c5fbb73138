#pragma once
// "ZUL control functions": the functions of the connected gateway with their
// type, name, number and state, and the starting point of every operation.
// The list is editable only while the net configuration matched the gateway
// at upload. A function whose last update the gateway did not accept is
// marked; the context menu of its row sends it to the gateway again.

#include "list/FunctionListRules.h"
#include "list/ListOperations.h"

#include <QDialog>

#include <memory>

namespace Ui {
class MCFODlg;
}
class FunctionListCtrl;

class MCFODlg : public QDialog {
    Q_OBJECT

public:
    MCFODlg(std::string gatewayAddress, const std::string& idCode, bool netConfigUpToDate, ListOperations operations,
            QWidget* parent = nullptr);
    ~MCFODlg() override;

    const std::string& gatewayAddress() const { return m_gatewayAddress; }
    const std::string& idCode() const { return m_idCode; }
    FunctionListCtrl& list() const;

    // Re-reads a function's header into its row; false after a database error
    // (the list then closes). A header that is gone leaves the row as it is.
    bool refreshRow(uint8_t number);
    // Takes a function's row out of the list.
    void removeRow(uint8_t number);
    // The listed name of a function; empty when it is not listed.
    std::string functionName(uint8_t number) const;

protected:
    void reject() override;

private:
    void updateButtons();
    void updateUsedSpace();
    // The operations, as the buttons run them.
    void onNew();
    void onEdit();
    void onDelete();
    void onPrint();
    void onStart();
    void onStop();
    void startOrStop(int command, const std::vector<uint8_t>& numbers);
    void onHistory();
    // The functions as a JSON document, and such a document reviewed and taken into MCDEF.
    void onExport();
    void onImport();
    // Adds the row of a function that MCDEF now holds and the list does not.
    bool addRow(uint8_t number);
    void onContextMenu(const QPoint& position);
    // The operator may send this function to the gateway again.
    bool maySend(const FunctionItem& item) const;
    void sendToGateway(const FunctionItem& item);
    // Marks the rows of the functions the gateway has not accepted.
    void refreshSyncMarks();
    bool fillList();
    EditorResult runEditor(uint8_t type, uint8_t number);
    // What an editor's result means for the list: a new row, a refreshed row,
    // or the list closes (false).
    bool applyEditorResult(uint8_t number, EditorResult result, bool created);
    bool readOnlyForUser() const;
    void closeList();
    // Says that the connection to the gateway counts as lost, then closes the list.
    void closeAfterLostConnection();
    // Says in the status area what the last export, import or send did.
    void showStatus(const QString& text);

    std::unique_ptr<Ui::MCFODlg> m_ui;
    std::string m_gatewayAddress;
    std::string m_idCode;
    bool m_editable;
    ListOperations m_operations;
    // A file of marks that cannot be read is reported once, not at every refresh.
    bool m_syncProblemReported = false;
};

#pragma once
// "Select Schedule" (dialog 16): the Yearly Schedule functions of the gateway
// for one schedule group of an editor, the group's current references
// selected. "&Select" puts the chosen schedules into the editor's list;
// "&New..." and "&Edit..." open the yearly schedule editor on the spot.

#include "editors/EditorRequest.h"

#include <QDialog>

#include <memory>

namespace Ui {
class SelSchDlg;
}
class ScheList;

struct ScheduleSelection {
    QString groupText;        // the caption of the editor's schedule group
    uint8_t functionType = 0; // the editor's type
    uint8_t functionNumber = 0;
    ScheList* list = nullptr; // the editor's list, changed only by "&Select"
    uint32_t spaceReserve = 0;  // the memory the editor's function still needs when it is new
    uint8_t maximum = 1;      // schedules the group may hold
};

class SelSchDlg : public QDialog {
    Q_OBJECT

public:
    SelSchDlg(const EditorRequest& editor, const ScheduleSelection& selection, QWidget* parent = nullptr);
    ~SelSchDlg() override;

    int exec() override;
    ScheList& candidates();

protected:
    // Cancel, Escape and the close box all end with IDCANCEL.
    void reject() override;

private:
    void onSelect();
    void onNew();
    void onEdit();
    void updateButtons();
    // Runs the yearly schedule editor and tells the function list; false when
    // the list must close (the dialog then ends with -1).
    bool runScheduleEditor(uint8_t number, bool created);

    std::unique_ptr<Ui::SelSchDlg> m_ui;
    EditorRequest m_editor;
    ScheduleSelection m_selection;
    bool m_filled = false;
};

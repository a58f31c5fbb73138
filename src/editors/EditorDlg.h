#pragma once
// What every function editor shares: it is opened with the gateway address,
// the type, the function number and a view-only flag; it reads the function's
// records when it opens; on OK it validates, tests for changes, saves to
// MCDEF, has the gateway updated and logs the change, in this order; on
// Cancel it asks whether to save changes. It ends with an EditorResult.
// An editor provides the steps; this class keeps their order.

#include "editors/EditorRequest.h"
#include "model/EventLog.h"
#include "model/McdefAccess.h"
#include "references/ReferenceRow.h"

#include <QDialog>
#include <QPointer>

#include <array>
#include <optional>
#include <vector>

class IOList;
class MaModDlg;
class QLabel;
class QLineEdit;

// What a save did: written; refused by a check that kept the dialog open
// (message shown, focus set); or failed on the database (reported).
enum class SaveOutcome { Saved, KeptOpen, Failed };

struct UpdatePlan {
    uint32_t mode;                     // 0 data blocks only, else the whole function
    std::array<uint8_t, 4> writable;   // the data blocks that may be written
};

class EditorDlg : public QDialog {
    Q_OBJECT

public:
    ~EditorDlg() override;

    // Reads the function and runs the dialog; EditorResult::DatabaseFailure when reading failed.
    int exec() override;
    // Runs the editor through the UI seam.
    EditorResult run();
    // OK: validate, test for changes, save, update the gateway, log.
    void accept() override;
    // Cancel: asks whether to save changes.
    void reject() override;

protected:
    EditorDlg(const EditorRequest& request, QWidget* parent);

    // Reads the records into the controls; false after a database error.
    virtual bool load() = 0;
    // Checks the input; shows the message and focuses the control, false to stay.
    virtual bool validate() = 0;
    // 0 when nothing changed; otherwise what changed (the editor's own codes).
    virtual int changeCode() const = 0;
    // Saved even when nothing changed (a new function that must exist in the gateway).
    virtual bool mustSave() const { return false; }
    virtual SaveOutcome save(int change) = 0;
    virtual bool log(int change) = 0;
    // Which update the change needs: by default the whole function with the
    // data blocks the type writes.
    virtual UpdatePlan updatePlan(int change) const;
    // After the update's local failure: log and close (true), or close with EditorResult::DatabaseFailure.
    virtual bool logAfterLocalUpdateFailure() const { return true; }
    // How the editor ends when its save failed.
    virtual EditorResult saveFailureResult() const { return EditorResult::DatabaseFailure; }
    // The operator chose to stay after Cancel's question.
    virtual void cancelKept() {}

    const EditorRequest& request() const { return m_request; }
    uint8_t number() const { return m_request.number; }
    uint8_t type() const { return m_request.type; }
    bool viewOnly() const { return m_request.readOnly; }
    // The function had no header when the editor opened.
    bool created() const { return m_created; }
    // The function's header is in MCDEF (after it was loaded or first saved).
    bool headerExists() const { return m_header.existed; }

    // "ZUL control function - <type name>".
    void setEditorCaption();
    // Reads the header (a new function gets a zeroed one) and shows the
    // function's number and name; the name edit is limited to 16 characters and
    // shows the header's name, the type name for a new function, which is
    // remembered as the loaded name. False after a database error.
    bool loadHeader(QLabel* numberLabel, QLineEdit* nameEdit);
    const McdefRecord& header() const { return m_header.record; }
    // Reads the header again, clears its error marks, stores the name and writes it.
    bool saveHeader(const std::string& name, uint8_t extraFlags = 0);
    // saveHeader() for the editors with a manual mode: a function saved for the
    // first time also gets its zeroed manual-mode block (data block 1), and
    // its manual button becomes usable.
    bool saveHeaderWithManualBlock(const std::string& name, QWidget* manualButton);
    // An empty name is refused with its message and the focus on the name.
    bool validateName();
    // Disables controls (a started function's references, a view-only editor).
    static void disable(std::initializer_list<QWidget*> controls);
    // Disables the controls a started function keeps, and says so below the name.
    void disableWhileStarted(std::initializer_list<QWidget*> controls);
    std::string nameText() const;
    const std::string& loadedName() const { return m_loadedName; }
    const std::string& savedName() const { return m_savedName; }
    bool nameModified() const;

    // Reference groups.
    void addReferenceGroup(const ReferenceGroup& group, const QString& caption, QWidget* button);
    bool loadReferenceGroups();
    // False (after the message) when a group that must hold references is
    // empty or has conflicts; `optional` groups may stay empty.
    bool validateReferenceGroup(size_t index, bool optional);
    bool storeReferenceGroups();
    bool anyReferenceGroupModified() const;
    // Opens the selection dialog of a group and refreshes the text mode of every list.
    void selectReferences(size_t index);

    // The changed reference groups as the change log names them.
    std::vector<ChangedList> changedGroups() const;
    // The change log: "is created" for a new function; otherwise each batch
    // of change lines that is not empty as one entry, in the given order.
    bool writeChangeLog(std::initializer_list<std::vector<std::string>> batches);
    // The manual mode sequence with one of the manual mode dialogs. False when
    // the editor closed; otherwise the dialog holds the state now stored.
    bool runManualMode(MaModDlg& dialog, EditorResult dialogFailure);

    // Reads a data block; a missing one when `mayBeMissing` gives a zeroed
    // block with its key. False after a database error (reported).
    bool readDataBlock(uint8_t block, McdefRecord& record, bool mayBeMissing);
    bool writeDataBlock(const McdefRecord& record);
    // Whether a data block exists, read by its key alone; none after a
    // database error (reported).
    std::optional<bool> dataBlockExists(uint8_t block);
    // Records that share one key {number, 4, block, *}: read, and replaced as
    // a whole (all deleted, the new ones inserted in order). False after a
    // database error (reported).
    bool readDataBlockRange(uint8_t block, std::vector<McdefRecord>& records);
    bool replaceDataBlockRange(uint8_t block, const std::vector<McdefRecord>& records);
    // A database failure of a step: the message naming MCDEF.
    void reportDatabaseError(uint16_t status);

    // The last update failed on the link: Cancel then closes the list.
    bool m_updateFailed = false;

private:
    void end(EditorResult result) { done(int(result)); }
    // An output parameter that the editor adds and another function writes too: asks whether to save
    // all the same (Yes) or to return to the editor (No).
    bool sharedOutputsAccepted();

    struct Group {
        ReferenceGroup group;
        QString caption;
        QPointer<QWidget> button;
    };

    EditorRequest m_request;
    EditorHeader m_header;
    bool m_created = false;
    QPointer<QLineEdit> m_nameEdit;
    std::string m_loadedName;
    std::string m_savedName;
    std::vector<Group> m_groups;
};

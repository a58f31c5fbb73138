#pragma once
// The manual mode dialogs: the operator puts a function into manual mode with
// a value (Day or Night, On or Off, a value in K, an activated defrost). Each
// dialog writes the manual state into MCDEF itself; the editor then sends it
// to the gateway and puts the state back when the gateway could not be told.

#include "editors/EditorRequest.h"

#include <QDialog>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace Ui {
class MaModDlg;
}

// How the manual value is kept: one byte, or a signed 16-bit number.
namespace ManualKind {
enum : uint8_t { Byte = 248, Word = 249 };
}

// The state texts an editor shows for its variant.
enum class ManualVariant { DayNight, OnOff, Value, Defrost };
QString ManualStateText(ManualVariant variant, bool manual, int16_t value);

class MaModDlg : public QDialog {
    Q_OBJECT

public:
    ~MaModDlg() override;

    // A dialog whose state could not be read ends at once with -1.
    int exec() override;

    bool LoadManualState();
    bool StoreManualState(int16_t value, bool manual);
    // Puts back the state read when the dialog opened.
    bool RestoreManualState();
    // Writes the dialog's change lines to the event log; its result.
    bool LogChangeLines(const std::string& gatewayAddress, const std::string& functionName) const;

    uint8_t functionNumber() const { return m_number; }
    bool manual() const { return m_manual; }
    int16_t value() const { return m_value; }
    ManualVariant variant() const { return m_variant; }
    // The state text after the dialog, for the editor's manual mode group.
    QString stateText() const { return ManualStateText(m_variant, m_manual, m_value); }

protected:
    MaModDlg(uint8_t number, uint8_t kind, ManualVariant variant, uint16_t dialogId, QWidget* parent);
    void accept() override;
    // Cancel, Escape and the close box all end with IDCANCEL.
    void reject() override;

    // Shows the state read (each dialog calls it when it is built); and takes
    // the operator's choice into the flag and value.
    virtual void showState() = 0;
    // Whether the choice can be taken; a dialog that refuses says why and keeps the focus.
    virtual bool inputValid();
    virtual void readChoice() = 0;
    // By default one line: the state before and after.
    virtual std::vector<std::string> changeLines() const;

    std::unique_ptr<Ui::MaModDlg> m_ui;
    uint8_t m_number;
    uint8_t m_kind;
    ManualVariant m_variant;
    bool m_manual = false;
    int16_t m_value = 0;
    bool m_loadedManual = false;
    int16_t m_loadedValue = 0;
    bool m_loaded = false;
};

// Dialog 11: Auto, Day, Night.
class ManualDayNightDlg : public MaModDlg {
public:
    ManualDayNightDlg(uint8_t number, QWidget* parent = nullptr);

protected:
    void showState() override;
    void readChoice() override;
};

// Dialog 12: Auto, On, Off.
class ManualOnOffDlg : public MaModDlg {
public:
    ManualOnOffDlg(uint8_t number, QWidget* parent = nullptr);

protected:
    void showState() override;
    void readChoice() override;
};

// Dialog 13: Auto or Manual with a value in the caller's unit and range.
class ManualValueDlg : public MaModDlg {
public:
    ManualValueDlg(uint8_t number, const QString& unit, int minimum, int maximum, QWidget* parent = nullptr);

protected:
    void showState() override;
    bool inputValid() override;
    void readChoice() override;
    std::vector<std::string> changeLines() const override;
};

// Dialog 156: "Activate" sets manual mode with value 1.
class ManualDefrostDlg : public MaModDlg {
public:
    ManualDefrostDlg(uint8_t number, QWidget* parent = nullptr);

protected:
    void showState() override;
    void readChoice() override;
    std::vector<std::string> changeLines() const override;
};

// The manual mode sequence of an editor: runs the dialog, sends data block 1
// to the gateway in a data-blocks-only update, logs the change lines, or puts
// the state back when the update could not be done. The result the editor
// closes with; none when it stays open. `dialogFailure` is what the editor
// closes with when the dialog failed on the database.
std::optional<EditorResult> RunManualModeSequence(MaModDlg& dialog, const std::string& gatewayAddress,
                                                  const std::string& functionName, EditorResult dialogFailure);

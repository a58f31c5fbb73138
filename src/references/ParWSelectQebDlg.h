#pragma once
// "Define parameters" (dialog 9), page 1 of the definition wizard: the
// controllers the wizard runs for, each marked "+" when parameters are defined
// for it and "-" when not. "&Next >" goes on with the chosen controller;
// "&Finish" waits until every controller is "+".

#include "references/ParameterDefinitions.h"
#include "support/CListCtrlEx.h"

#include <QDialog>

#include <memory>
#include <string>
#include <vector>

namespace Ui {
class ParWSelectQebDlg;
}

// The page's list: mark, address, ID code and identification of each entry.
class WizardQebList : public CListCtrlEx {
    Q_OBJECT

public:
    enum Column { MarkColumn, AddressColumn, IdCodeColumn, IdentColumn };

    explicit WizardQebList(QWidget* parent = nullptr);

    void setEntries(const std::vector<WizardEntry>& entries);
    // The index in the entries of a row.
    int entryOf(int row) const;
    int rowOf(int entry) const;

protected:
    QString cellText(const ListRow& row, int column) const override;
};

class ParWSelectQebDlg : public QDialog {
    Q_OBJECT

public:
    // Computes the marks of the entries first when asked to.
    ParWSelectQebDlg(std::vector<WizardEntry>& entries, int chosenEntry, bool computeMarks,
                     const std::string& networkPrefix, uint8_t functionParameter, QWidget* parent = nullptr);
    ~ParWSelectQebDlg() override;

    // The marks could not be computed: the page ends at once with -1.
    bool openingFailed() const { return m_openingFailed; }
    // The entry chosen with "&Next >"; -1 before.
    int chosenEntry() const { return m_chosen; }
    WizardQebList& list();

public Q_SLOTS:
    void reject() override;

private:
    void updateButtons();
    void next();

    std::unique_ptr<Ui::ParWSelectQebDlg> m_ui;
    const std::vector<WizardEntry>& m_entries;
    int m_chosen = -1;
    bool m_openingFailed = false;
};

#pragma once
// The list of one input or output reference group of an editor: six columns
// (mark, address, ID code, parameter, message, identification) served from
// the row data, a text mode (default or custom parameter texts) and a changed
// mark that the editor reads to decide whether to store the group.

#include "references/ParameterDefinitions.h"
#include "references/ReferenceRow.h"
#include "references/SelectionRules.h"
#include "support/CListCtrlEx.h"

#include <array>
#include <string>
#include <vector>

class IOList : public CListCtrlEx {
    Q_OBJECT

public:
    enum Column { MarkColumn, AddressColumn, IdCodeColumn, ParameterColumn, MessageColumn, IdentColumn };

    explicit IOList(QWidget* parent = nullptr);

    // Shows the reference rows of the slots (ReadReferenceRows) and tells the
    // operator of broken descriptions and database errors; false after a
    // database error, a referenced controller missing from the network
    // configuration, or a full list.
    bool LoadReferences(const std::string& gatewayAddress, uint8_t functionNumber, uint8_t blockType,
                        const std::array<uint8_t, 4>& blockNumbers);
    // Replaces the records of the slots by the rows each slot takes (automatic
    // rows into an automatic slot, parameter rows of the slot's class into a
    // parameter slot); false after a database error.
    bool StoreReferences(uint8_t functionType, uint8_t functionNumber, uint8_t blockType,
                         const std::array<uint8_t, 4>& blockNumbers);
    // True when no row carries a flag other than "QEB not found".
    bool ReferencesValid() const;
    bool IsModified() const { return m_modified; }
    void SetModified(bool modified) { m_modified = modified; }
    // Takes over a changed text mode (QEBCtrl/TxtMode).
    void RefreshTextMode();
    int textMode() const { return m_textMode; }

    // Index of the new last row, or -1.
    int AddRow(uint32_t status, const std::string& address, const std::string& idCode,
               const std::string& defaultText, const std::string& customText, const std::string& message,
               const std::string& ident, const std::string& descKey, uint16_t flags, uint8_t par1, uint8_t par2,
               uint8_t par3, uint8_t parameterClass, uint8_t nodeKind);
    int AddRow(const ReferenceRow& row);
    // The first row of the address (and, unless addressOnly, of the parameter numbers); -1 when none.
    int FindRow(const std::string& address, uint8_t par1, uint8_t par2, uint8_t par3, bool addressOnly) const;
    // This list becomes a copy of the source's rows (all, or only the selected ones).
    bool CopyRows(const IOList& source, bool select, bool onlySelected);
    void DeleteAllRows();
    // Confirms every row that waited for approval.
    void ApproveRows();
    // Shows what the selection dialog offers the group of the list
    // (ReadCandidateRows), the group's own rows selected when asked; false
    // after a database error (told to the operator, with the rows read until
    // then shown) or a full list.
    bool FillCandidates(const std::string& networkPrefix, const GroupLimits& limits, const IOList& group, bool select);
    // The list shows these rows, sorted as it sorts, the ones marked in
    // selected (by index) selected; false when it is full (told to the operator).
    bool ShowRows(const std::vector<ReferenceRow>& rows, const std::vector<bool>& selected = {});
    std::vector<ReferenceRow> Rows() const;
    // The selected rows in list order.
    std::vector<ReferenceRow> SelectedReferences() const;

    const ReferenceRow& row(int index) const;
    ReferenceRow& row(int index);

protected:
    QString cellText(const ListRow& row, int column) const override;

private:
    int m_textMode = 0;
    bool m_modified = false;
};

struct RowReadFailure;
// Shows a failed read of rows from the tables with the database error message.
void ReportRowReadFailure(const RowReadFailure& failure, QWidget* parent);

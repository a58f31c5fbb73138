#pragma once
// The list control of controller loops with several parameters each (the
// evaporators and the compressor of a Po optimizer). Each derived list gives
// its columns a kind that says what the column shows of a row; the list
// loads and stores its rows as the reference records of one slot, fills the
// candidates of a selection dialog, and keeps a changed mark.

#include "references/MultiParmRows.h"
#include "support/CListCtrlEx.h"

#include <string>
#include <vector>

class MultiParmList : public CListCtrlEx {
    Q_OBJECT

public:
    // What a column shows of a row.
    enum ColumnKind : uint32_t {
        Position = 1,     // row position + 1
        Address = 2,
        Loop = 4,
        IdCode = 8,
        DefrostDelay = 16, // in whole minutes
        Ident = 32,
        Message = 64,
        Input1 = 128,
        Input2 = 256,
        Input3 = 512,
        Input4 = 1024,
        Output = 2048,
        Input1Alt = 4096,
        Input2Alt = 8192,
        Input3Alt = 16384,
        Input4Alt = 32768,
        Input5 = 65536,
    };
    struct KindColumn {
        Column column;
        uint32_t kind;
    };

    // role: PoRole; block: the input slot the list serves.
    MultiParmList(int role, uint8_t block, QWidget* parent = nullptr);

    int role() const { return m_role; }
    uint8_t block() const { return m_block; }
    void SetFunctionNumber(uint8_t number) { m_functionNumber = number; }
    uint8_t functionNumber() const { return m_functionNumber; }

    // Shows the rows of the records {number, block type, block of the list};
    // false after a database error (reported), a referenced controller
    // missing from the network configuration, or a full list.
    bool LoadMultiReferences(const std::string& gatewayAddress, uint8_t functionNumber, uint8_t blockType);
    // Replaces the records by the rows in display order; false when the
    // slot takes no references or after a database error (reported).
    bool StoreMultiReferences(uint8_t functionType, uint8_t functionNumber, uint8_t blockType);
    // Shows the candidates of the gateway for the list's role; the loops that
    // the editor's list holds are selected, incomplete rows are drawn grey.
    // False after a database error (reported, the rows read until then shown).
    bool FillMultiCandidates(const std::string& gatewayAddress, const MultiParmList& editorList);
    // The list shows these rows (the changed mark is set when that changes
    // anything); false when it is full (told to the operator).
    bool ShowRows(const std::vector<MultiParmRow>& rows, const std::vector<bool>& selected = {});
    bool CopyRows(const MultiParmList& source, bool onlySelected);

    bool IsModified() const { return m_modified; }
    void SetModified(bool modified) { m_modified = modified; }

    std::vector<MultiParmRow> Rows() const;
    std::vector<MultiParmRow> SelectedMultiRows() const;
    const MultiParmRow& row(int index) const;
    MultiParmRow& row(int index);

protected:
    // Sets the columns and what each shows.
    void setKindColumns(const std::vector<KindColumn>& columns);
    QString cellText(const ListRow& row, int column) const override;
    QVariant cellData(const ListRow& row, int column, int role) const override;

private:
    std::vector<MultiParmRow> rowsAt(const std::vector<int>& indexes) const;
    QString slotText(const ParameterSlot& slot) const;

    int m_role;
    uint8_t m_block;
    uint8_t m_functionNumber = 0;
    int m_textMode = 0;
    bool m_modified = false;
    std::vector<uint32_t> m_kinds;
};

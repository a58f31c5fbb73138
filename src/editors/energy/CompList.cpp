#include "editors/energy/CompList.h"

#include "editors/energy/PoOptimizerSettings.h"
#include "model/McdefAccess.h"
#include "model/Messages.h"
#include "model/Texts.h"
#include "references/IOList.h"
#include "protocol/TypeCatalogue.h"
#include "support/Db.h"

CompList::CompList(QWidget* parent)
    : MultiParmList(PoRole::Compressor, InputBlock, parent)
{
    setKindColumns({
        {{QText(txt::PoColumnAddress), 37}, Address},
        {{QText(txt::PoColumnCircuit), 41}, Loop},
        {{QText(txt::PoColumnIdCode), 84}, IdCode},
        {{QText(txt::PoColumnIdent), 86}, Ident},
        {{QText(txt::PoColumnMessage), 86}, Message},
        {{QText(txt::PoColumnDp0Out), 68}, Output},
        {{QText(txt::PoColumnP0In), 65}, Input1},
        {{QText(txt::PoColumnP0SpIn), 70}, Input2},
        {{QText(txt::PoColumnP0RefIn), 70}, Input3},
        {{QText(txt::PoColumnP0RefMinIn), 70}, Input4},
        {{QText(txt::PoColumnP0RefMaxIn), 70}, Input5},
    });
}

bool CompList::LoadCompressor(const std::string& gatewayAddress, uint8_t functionNumber)
{
    const MultiRowsRead read = ReadCompressorRows(gatewayAddress, functionNumber, QebTypeIni());
    if (read.failure)
        ReportRowReadFailure(*read.failure, this);
    if (!read.complete())
        return false;
    const bool shown = ShowRows(read.rows);
    SetModified(false);
    return shown;
}

bool CompList::StoreOutputs(uint8_t functionType, uint8_t functionNumber)
{
    if (!TypeSlots(functionType, Direction::Output).has(1))
        return false;
    const QebTypeIni ini;
    const std::vector<MultiParmRow> rows = Rows();
    for (const uint8_t block : {uint8_t(1), uint8_t(2)}) {
        const uint16_t status = ReplaceBlocks(functionNumber, BlockType::Output, block,
                                              CompressorOutputRecords(functionNumber, block, rows, ini));
        if (status != DbStatus::Success) {
            ReportDbError(table::Mcdef, status, __FILE__, __LINE__, this);
            return false;
        }
    }
    return true;
}

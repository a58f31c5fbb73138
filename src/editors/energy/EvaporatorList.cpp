#include "editors/energy/EvaporatorList.h"

#include "editors/energy/PoOptimizerSettings.h"
#include "model/McdefAccess.h"
#include "model/Messages.h"
#include "model/Texts.h"
#include "references/IOList.h"
#include "support/Db.h"

EvaporatorList::EvaporatorList(QWidget* parent, uint32_t hideMask)
    : MultiParmList(PoRole::Evaporator, InputBlock, parent)
{
    const KindColumn all[] = {
        {{QText(txt::PoColumnCaseNo), 20}, Position},
        {{QText(txt::PoColumnAddress), 37}, Address},
        {{QText(txt::PoColumnSection), 38}, Loop},
        {{QText(txt::PoColumnIdCode), 86}, IdCode},
        {{QText(txt::PoColumnDefrostDelay), 67}, DefrostDelay},
        {{QText(txt::PoColumnIdent), 87}, Ident},
        {{QText(txt::PoColumnMessage), 68}, Message},
        {{QText(txt::PoColumnRegCond), 65}, Input1},
        {{QText(txt::PoColumnThermAir), 70}, Input2},
        {{QText(txt::PoColumnThCutIn), 70}, Input3},
        {{QText(txt::PoColumnThCutOut), 70}, Input4},
    };
    std::vector<KindColumn> shown;
    for (size_t k = 0; k < std::size(all); ++k)
        if (!(hideMask & (1u << k)))
            shown.push_back(all[k]);
    setKindColumns(shown);
}

bool EvaporatorList::LoadEvaporators(const std::string& gatewayAddress, uint8_t functionNumber)
{
    const MultiRowsRead read = ReadEvaporatorRows(gatewayAddress, functionNumber, QebTypeIni());
    if (read.failure)
        ReportRowReadFailure(*read.failure, this);
    if (!read.complete())
        return false;
    const bool shown = ShowRows(read.rows);
    SetModified(false);
    return shown;
}

bool EvaporatorList::StoreDefrostDelays(uint8_t functionNumber)
{
    const uint16_t status =
        ReplaceBlocks(functionNumber, BlockType::Data, PoLayout::EvaporatorBlock, EvaporatorDelayRecords(functionNumber, Rows()));
    if (status != DbStatus::Success) {
        ReportDbError(table::Mcdef, status, __FILE__, __LINE__, this);
        return false;
    }
    return true;
}

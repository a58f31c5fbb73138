// IOList::FillCandidates: the rows the selection dialog offers for a group.

#include "model/Descriptions.h"
#include "references/IOList.h"

#include "model/Messages.h"
#include "model/Records.h"
#include "model/Texts.h"
#include "protocol/LittleEndian.h"
#include "references/ParameterDefinitions.h"
#include "support/Db.h"
#include "support/UiSeam.h"

#include <algorithm>
#include <cstdio>

namespace {

// Painting stays off while the list fills, whatever way the fill ends.
class PaintingOff {
public:
    explicit PaintingOff(CListCtrlEx& list) : m_list(list) { m_list.setRedraw(false); }
    ~PaintingOff() { m_list.setRedraw(true); }

private:
    CListCtrlEx& m_list;
};

enum class Outcome { Done, Failed };


} // namespace

bool IOList::FillCandidates(const std::string& networkPrefix, bool automaticAllowed, uint8_t minimumLevel,
                            bool parametersAllowed, uint8_t functionParameter, const std::vector<uint8_t>& classes,
                            const IOList& target, bool select)
{
    if (!CopyRows(target, select, false))
        return false;
    PaintingOff paintingOff(*this);
    const std::string automaticText = TextById(txt::Automatic);
    const std::string noDescriptionText = TextById(txt::NoQebDescription);
    const std::string corruptedText = TextById(txt::QebDescriptionCorrupted);
    const std::string notDefinedText = TextById(txt::NotDefined);

    const auto add = [this](const ReferenceRow& row) {
        if (AddRow(row) >= 0)
            return true;
        setRedraw(true);
        MessageById(txt::ListFull, MB::Ok | MB::IconStop, this);
        return false;
    };
    const auto failed = [this](const char* table, uint16_t status) {
        ReportDbError(table, status, __FILE__, __LINE__, this);
        return false;
    };

    ScopedTable netcnf(table::NetCnf, DbMode::ReadOnly);
    if (netcnf.status() != DbStatus::Success)
        return failed(table::NetCnf, netcnf.status());
    ScopedTable qebdes(table::QebDes, DbMode::ReadOnly);
    ScopedTable mcpardef(table::McParDef, DbMode::ReadOnly);

    char pattern[8] = {};
    std::snprintf(pattern, sizeof pattern, "%.3s:???", networkPrefix.c_str());
    uint8_t record[NetCnfRecord::Size];
    uint16_t scan = DbWildCardGet(table::NetCnf, 0, pattern, sizeof pattern, record, sizeof record, DbOp::GetFirst);
    for (; scan == DbStatus::Success;
         scan = DbWildCardGet(table::NetCnf, 0, pattern, sizeof pattern, record, sizeof record, DbOp::GetNext)) {
        const NetCnfRecord node = NetCnfRecord::read(record);
        if (node.nodeKind != NetCnfRecord::ControllerKind)
            continue;
        const std::string address = node.nodeKey.substr(4, 3);
        ReferenceRow base;
        base.address = address;
        base.idCode = node.idCode;
        base.ident = node.ident;
        base.descKey = node.descKey;

        bool offered = target.FindRow(address, 0, 0, 0, true) >= 0;

        if (automaticAllowed && node.supportLevel >= minimumLevel) {
            offered = true;
            if (target.FindRow(address, AutomaticParameter, AutomaticParameter, AutomaticParameter, false) < 0) {
                ReferenceRow row = base;
                row.defaultText = automaticText;
                row.customText = automaticText;
                row.par1 = row.par2 = row.par3 = AutomaticParameter;
                if (!add(row))
                    return false;
            }
        }

        if (parametersAllowed) {
            if (qebdes.status() != DbStatus::Success)
                return failed(table::QebDes, qebdes.status());
            bool described = false;
            const uint16_t probe = ProbeDescription(node.descKey, described);
            if (probe != DbStatus::Success && probe != DbStatus::EndOfFile)
                return failed(table::QebDes, probe);
            if (!described) {
                if (target.FindRow(address, 0, 0, 0, false) < 0) {
                    ReferenceRow row = base;
                    row.status = ReferenceStatus::Error;
                    row.message = noDescriptionText + " " + node.descKey;
                    row.flags = ReferenceFlag::NoDescription;
                    if (!add(row))
                        return false;
                }
                continue;
            }

            if (mcpardef.status() != DbStatus::Success)
                return failed(table::McParDef, mcpardef.status());
            std::vector<ParameterTriple> seen;
            for (const std::string& nodeText : {std::string(McParDefRecord::EveryNode), node.nodeKey}) {
                std::vector<ParameterTriple> triples;
                const uint16_t pass = ReadDefinedTriples({node.ident, nodeText, functionParameter}, triples);
                if (pass != DbStatus::Success)
                    return failed(table::McParDef, pass);
                for (const ParameterTriple& triple : triples) {
                    if (std::find(seen.begin(), seen.end(), triple) != seen.end())
                        continue;
                    seen.push_back(triple);
                    QebDesRecord description;
                    uint16_t status = DbStatus::Success;
                    const DescriptionLookup lookup =
                        DescribeParameter(node.descKey, triple.p1, triple.p2, triple.p3, description, status);
                    if (lookup == DescriptionLookup::Failed)
                        return failed(table::QebDes, status);
                    ReferenceRow row = base;
                    row.par1 = triple.p1;
                    row.par2 = triple.p2;
                    row.par3 = triple.p3;
                    if (lookup == DescriptionLookup::Missing) {
                        row.status = ReferenceStatus::Error;
                        row.defaultText = row.customText = "???";
                        row.message = corruptedText + " " + node.descKey;
                        row.flags = ReferenceFlag::NoParameter;
                        if (!add(row))
                            return false;
                        continue;
                    }
                    if (std::find(classes.begin(), classes.end(), description.parameterClass) == classes.end())
                        continue;
                    if (target.FindRow(address, triple.p1, triple.p2, triple.p3, false) < 0) {
                        row.defaultText = description.defaultText;
                        row.customText = description.customText.empty() ? description.defaultText
                                                                        : description.customText;
                        row.parameterClass = description.parameterClass;
                        row.nodeKind = uint8_t(node.nodeKind & 0xFF);
                        if (!add(row))
                            return false;
                    }
                    offered = true;
                }
            }
        }

        if (!offered) {
            ReferenceRow row = base;
            row.status = ReferenceStatus::Warning;
            row.message = notDefinedText;
            row.flags = ReferenceFlag::NotDefined;
            if (!add(row))
                return false;
        }
    }
    if (scan != DbStatus::EndOfFile)
        return failed(table::NetCnf, scan);
    sortRows(sortColumn(), sortAscending());
    return true;
}

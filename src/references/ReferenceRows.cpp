#include "references/ReferenceRows.h"

#include "model/Descriptions.h"
#include "model/McdefAccess.h"
#include "model/Records.h"
#include "model/Texts.h"
#include "protocol/LittleEndian.h"
#include "protocol/StrFormat.h"
#include "references/ParameterDefinitions.h"
#include "support/Db.h"

#include <algorithm>
#include <cstdio>

namespace {

RowReadFailure failedAt(const char* table, uint16_t status,
                        std::source_location where = std::source_location::current())
{
    return {table, status, where};
}

bool holds(const std::vector<ReferenceRow>& rows, const std::string& address, uint8_t p1, uint8_t p2, uint8_t p3,
           bool addressOnly)
{
    return std::any_of(rows.begin(), rows.end(),
                       [&](const ReferenceRow& row) { return row.refersTo(address, p1, p2, p3, addressOnly); });
}

} // namespace

void ApplyStatusFlags(uint8_t flagsA, uint8_t flagsB, std::string& message, uint32_t& status)
{
    if ((flagsA & ReferenceFlag::NoDescription) && status != ReferenceStatus::Error) {
        message = TextById(txt::NoQebDescription);
        status = ReferenceStatus::Error;
    }
    if (flagsA & ReferenceFlag::NoParameterInGateway) {
        message = TextById(txt::ParameterNotExistMcb);
        status = ReferenceStatus::Error;
    }
    if (flagsA & ReferenceFlag::NoParameter) {
        message = TextById(txt::ParameterNotExist);
        status = ReferenceStatus::Error;
    }
    bool checkB = status < ReferenceStatus::Error;
    if (flagsA & ReferenceFlag::NeedsApproval) {
        message = TextById(txt::ParameterNeedsApproval);
        status = ReferenceStatus::Warning;
        checkB = true;
    }
    if (!checkB)
        return;
    if (flagsB & (ReferenceFlag::CommunicationError >> 8)) {
        message = TextById(txt::CommunicationError);
        status = ReferenceStatus::Error;
    } else if (status < ReferenceStatus::Error && (flagsB & (ReferenceFlag::TypeConflict >> 8))) {
        message = TextById(txt::QebTypeConflict);
        status = ReferenceStatus::Error;
    }
}

uint16_t ReadControllerNode(const std::string& networkPrefix, int address, NetCnfRecord& node)
{
    uint8_t key[8] = {};
    le::putStr(key, sizeof key, NodeKey(networkPrefix, address));
    uint8_t bytes[NetCnfRecord::Size];
    const uint16_t status = DbGet(table::NetCnf, 0, key, sizeof key, bytes, sizeof bytes, DbOp::GetEqual);
    if (status == DbStatus::Success)
        node = NetCnfRecord::read(bytes);
    return status;
}

NodeRead ReadReferencedNode(uint16_t netcnfStatus, const std::string& networkPrefix, int address, NetCnfRecord& node,
                            std::optional<RowReadFailure>& failure)
{
    const uint16_t status =
        netcnfStatus == DbStatus::Success ? ReadControllerNode(networkPrefix, address, node) : netcnfStatus;
    if (status == DbStatus::Success)
        return NodeRead::Found;
    if (status == DbStatus::KeyNotFound)
        return NodeRead::Missing;
    failure = failedAt(table::NetCnf, status);
    return NodeRead::Failed;
}

RowKey RowKeyOf(const ReferenceRow& row)
{
    RowKey key{};
    le::putStr(key.data(), 4, row.address);
    key[4] = row.par1;
    key[5] = row.par2;
    key[6] = row.par3;
    return key;
}

ReferenceRowsRead ReadReferenceRows(const std::string& gatewayAddress, uint8_t functionNumber, uint8_t blockType,
                                    const std::array<uint8_t, 4>& blockNumbers)
{
    ReferenceRowsRead read;
    const std::string prefix = NetworkPrefix(gatewayAddress);
    const std::string automaticText = TextById(txt::Automatic);
    ScopedTable netcnf(table::NetCnf, DbMode::ReadOnly);
    for (uint8_t block : blockNumbers) {
        if (block == 0)
            break;
        std::vector<McdefRecord> records;
        const uint16_t scan = ReadBlocks(functionNumber, blockType, block, records);
        for (const McdefRecord& record : records) {
            const uint8_t flagsA = record[4];
            const uint8_t flagsB = record[5];
            ReferenceRow r;
            if (flagsA & ReferenceFlag::ControllerNotFound) {
                r.message = TextById(txt::QebNotFound);
                r.status = ReferenceStatus::Error;
            } else {
                NetCnfRecord controller;
                const NodeRead node = ReadReferencedNode(netcnf.status(), prefix, record.item(), controller, read.failure);
                read.controllerMissing = node == NodeRead::Missing;
                if (node != NodeRead::Found)
                    return read;
                r.idCode = controller.idCode;
                r.ident = controller.ident;
                r.descKey = controller.descKey;
                r.nodeKind = uint8_t(controller.nodeKind & 0xFF);
            }
            if (record[6] == AutomaticParameter) {
                r.defaultText = automaticText;
            } else if (!(flagsA & (ReferenceFlag::ControllerNotFound | ReferenceFlag::NoDescription
                                   | ReferenceFlag::NoParameter))) {
                uint16_t status = DbStatus::Success;
                QebDesRecord description;
                switch (DescribeParameter(r.descKey, record[6], record[7], record[8], description, status)) {
                case DescriptionLookup::Found:
                    r.defaultText = description.defaultText;
                    r.customText = description.customText;
                    break;
                case DescriptionLookup::Missing:
                    read.corruptedDescriptions.push_back(r.descKey);
                    r.defaultText = "???";
                    r.customText = "???";
                    break;
                case DescriptionLookup::Failed:
                    read.failure = failedAt(table::QebDes, status);
                    return read;
                }
            }
            ApplyStatusFlags(flagsA, flagsB, r.message, r.status);
            r.address = StrFormat("%03d", record.item());
            r.flags = uint16_t(flagsA + 256 * flagsB);
            r.par1 = record[6];
            r.par2 = record[7];
            r.par3 = record[8];
            r.parameterClass = record[9];
            read.rows.push_back(std::move(r));
        }
        if (scan != DbStatus::Success) {
            read.failure = failedAt(table::Mcdef, scan);
            return read;
        }
    }
    return read;
}

CandidateRowsRead ReadCandidateRows(const std::string& networkPrefix, const GroupLimits& limits,
                                    const std::vector<ReferenceRow>& groupRows)
{
    CandidateRowsRead read;
    for (const ReferenceRow& row : groupRows)
        read.rows.push_back({row, true});
    const std::string automaticText = TextById(txt::Automatic);
    const std::string noDescriptionText = TextById(txt::NoQebDescription);
    const std::string corruptedText = TextById(txt::QebDescriptionCorrupted);
    const std::string notDefinedText = TextById(txt::NotDefined);
    const auto offer = [&read](const ReferenceRow& row) { read.rows.push_back({row, false}); };
    const auto held = [&groupRows](const std::string& address, uint8_t p1, uint8_t p2, uint8_t p3) {
        return holds(groupRows, address, p1, p2, p3, false);
    };

    ScopedTable netcnf(table::NetCnf, DbMode::ReadOnly);
    if (netcnf.status() != DbStatus::Success) {
        read.failure = failedAt(table::NetCnf, netcnf.status());
        return read;
    }
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

        bool offered = holds(groupRows, address, 0, 0, 0, true);

        if (limits.automaticAllowed() && node.supportLevel >= limits.minimumLevel) {
            offered = true;
            if (!held(address, AutomaticParameter, AutomaticParameter, AutomaticParameter)) {
                ReferenceRow row = base;
                row.defaultText = automaticText;
                row.customText = automaticText;
                row.par1 = row.par2 = row.par3 = AutomaticParameter;
                offer(row);
            }
        }

        if (limits.parametersAllowed()) {
            if (qebdes.status() != DbStatus::Success) {
                read.failure = failedAt(table::QebDes, qebdes.status());
                return read;
            }
            bool described = false;
            const uint16_t probe = ProbeDescription(node.descKey, described);
            if (probe != DbStatus::Success && probe != DbStatus::EndOfFile) {
                read.failure = failedAt(table::QebDes, probe);
                return read;
            }
            if (!described) {
                if (!held(address, 0, 0, 0)) {
                    ReferenceRow row = base;
                    row.status = ReferenceStatus::Error;
                    row.message = noDescriptionText + " " + node.descKey;
                    row.flags = ReferenceFlag::NoDescription;
                    offer(row);
                }
                continue;
            }

            if (mcpardef.status() != DbStatus::Success) {
                read.failure = failedAt(table::McParDef, mcpardef.status());
                return read;
            }
            std::vector<ParameterTriple> seen;
            for (const std::string& nodeText : {std::string(McParDefRecord::EveryNode), node.nodeKey}) {
                std::vector<ParameterTriple> triples;
                const uint16_t pass = ReadDefinedTriples({node.ident, nodeText, limits.functionParameter}, triples);
                if (pass != DbStatus::Success) {
                    read.failure = failedAt(table::McParDef, pass);
                    return read;
                }
                for (const ParameterTriple& triple : triples) {
                    if (std::find(seen.begin(), seen.end(), triple) != seen.end())
                        continue;
                    seen.push_back(triple);
                    QebDesRecord description;
                    uint16_t status = DbStatus::Success;
                    const DescriptionLookup lookup =
                        DescribeParameter(node.descKey, triple.p1, triple.p2, triple.p3, description, status);
                    if (lookup == DescriptionLookup::Failed) {
                        read.failure = failedAt(table::QebDes, status);
                        return read;
                    }
                    ReferenceRow row = base;
                    row.par1 = triple.p1;
                    row.par2 = triple.p2;
                    row.par3 = triple.p3;
                    if (lookup == DescriptionLookup::Missing) {
                        row.status = ReferenceStatus::Error;
                        row.defaultText = row.customText = "???";
                        row.message = corruptedText + " " + node.descKey;
                        row.flags = ReferenceFlag::NoParameter;
                        offer(row);
                        continue;
                    }
                    const std::vector<uint8_t>& classes = limits.classes;
                    if (std::find(classes.begin(), classes.end(), description.parameterClass) == classes.end())
                        continue;
                    if (!held(address, triple.p1, triple.p2, triple.p3)) {
                        row.defaultText = description.defaultText;
                        row.customText = description.customText.empty() ? description.defaultText
                                                                        : description.customText;
                        row.parameterClass = description.parameterClass;
                        row.nodeKind = uint8_t(node.nodeKind & 0xFF);
                        offer(row);
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
            offer(row);
        }
    }
    if (scan != DbStatus::EndOfFile)
        read.failure = failedAt(table::NetCnf, scan);
    return read;
}

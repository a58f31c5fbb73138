#pragma once
// One record of each table with every field set, for the layout and dump
// tests. Multi-byte numbers have a different value in each byte, so that a
// swapped or shifted byte shows.

#include "model/Records.h"

inline NetCnfRecord SampleNode()
{
    NetCnfRecord node;
    node.nodeKey = "001:017";
    node.idCode = "GWY-900";
    node.ident = "EVA-100";
    node.descKey = "EVA100-V12";
    node.nodeKind = 0x0120;
    node.supportLevel = 2;
    node.netConfigStamp = 0xBEEF;
    return node;
}

inline QebDesRecord SampleParameter()
{
    QebDesRecord parameter;
    parameter.descKey = "EVA100-V12";
    parameter.p1 = 1;
    parameter.p2 = 0x0203;
    parameter.p3 = 3;
    parameter.function = 0x0405;
    parameter.parameterClass = 6;
    parameter.defaultText = "Cut-in";
    parameter.customText = "Cut in at";
    parameter.functionDefaultText = "Thermostat";
    parameter.functionCustomText = "Room thermostat";
    return parameter;
}

inline McParDefRecord SampleDefinition()
{
    McParDefRecord definition;
    definition.ident = "EVA-100";
    definition.nodeText = McParDefRecord::EveryNode;
    definition.functionParameter = 4;
    definition.p1 = 5;
    definition.p2 = 6;
    definition.p3 = 7;
    return definition;
}

inline OrpaTextRecord SampleControlText()
{
    OrpaTextRecord text;
    text.application = ApplicationName;
    text.kind = OrpaTextRecord::DialogControl;
    text.id = 0x0102;
    text.control = 0x0304;
    text.text = "Indoor Temp";
    return text;
}

inline EventLogRecord SampleEvent()
{
    EventLogRecord event;
    event.year = "2026";
    event.month = "12";
    event.day = "06";
    event.hour = "03";
    event.minute = "04";
    event.second = "05";
    event.text = "001:125 GW\nDay shift";
    event.user = "Anna Hansen";
    return event;
}

inline XrtApplRecord SampleApplication()
{
    XrtApplRecord application;
    application.application = ApplicationName;
    application.window = 0x0A0B;
    application.title = "Control functions";
    return application;
}

inline XrtBrugRecord SampleUser()
{
    XrtBrugRecord user;
    user.login = "AHANSEN";
    user.name = "Anna Hansen";
    user.accessLevels[0] = 3;
    user.accessLevels[XrtBrugRecord::ProgramEntry] = 0x0102;
    user.accessLevels[XrtBrugRecord::AccessLevels - 1] = 9;
    return user;
}

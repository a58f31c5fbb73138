#include "PlantBuilder.h"

#include "model/Records.h"
#include "references/QebTypeIni.h"
#include "support/Db.h"
#include "support/RecordStore.h"
#include "support/RegularFile.h"
#include "support/TableSchema.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QString>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <strings.h>
#include <system_error>

namespace fs = std::filesystem;

std::string PlantError::message() const
{
    std::string text = file;
    if (!place.empty())
        text += ":" + place;
    return text + ": " + reason;
}

std::string DemoFolder(const std::string& programFile)
{
    const fs::path installed = fs::path(programFile).parent_path().parent_path() / "share" / "velt";
    std::error_code ec;
    if (fs::is_regular_file(installed / "plant.json", ec))
        return installed.string();
    return VELT_DEMO_DIR;
}

std::string DefaultPlantDescription()
{
    std::error_code ec;
    const fs::path program = fs::read_symlink("/proc/self/exe", ec);
    return (ec ? std::string(VELT_DEMO_DIR) : DemoFolder(program.string())) + "/plant.json";
}

namespace {

// A plant description is some kilobytes of JSON; a file far larger is not one.
constexpr uint64_t MaxDescriptionSize = 16 * 1024 * 1024;

constexpr const char* HomeVariable = "${HOME}";
constexpr int DescriptionFormat = 1;

// ---------------------------------------------------------------------------
// Reading the description

// A content error: where in the description, and why.
struct Invalid {
    std::string place;
    std::string reason;
};

[[noreturn]] void invalid(std::string place, std::string reason)
{
    throw Invalid{std::move(place), std::move(reason)};
}

std::string inQuotes(const std::string& text) { return "\"" + text + "\""; }

std::string member(const std::string& path, const std::string& key) { return path.empty() ? key : path + "." + key; }

std::string element(const std::string& path, qsizetype i) { return path + "[" + std::to_string(i) + "]"; }

std::string typeName(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::Null: return "null";
    case QJsonValue::Bool: return "a boolean";
    case QJsonValue::Double: return "a number";
    case QJsonValue::String: return "a text";
    case QJsonValue::Array: return "an array";
    case QJsonValue::Object: return "an object";
    default: return "nothing";
    }
}

std::string tripleText(uint16_t p1, uint16_t p2, uint16_t p3)
{
    return std::to_string(p1) + "," + std::to_string(p2) + "," + std::to_string(p3);
}

bool sameName(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

bool endsWithNoCase(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && sameName(text.substr(text.size() - tail.size()), tail);
}

bool allDigits(const std::string& text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

long integerOf(const QJsonValue& value, const std::string& place, long min, long max)
{
    if (!value.isDouble())
        invalid(place, "expected a number, found " + typeName(value));
    const double d = value.toDouble();
    if (d != std::floor(d))
        invalid(place, "expected a whole number");
    if (d < double(min) || d > double(max))
        invalid(place, QString::number(d, 'g', 15).toStdString() + " is out of range " + std::to_string(min) + ".."
                           + std::to_string(max));
    return long(d);
}

std::string textOf(const QJsonValue& value, const std::string& place)
{
    if (!value.isString())
        invalid(place, "expected a text, found " + typeName(value));
    const std::string text = value.toString().toStdString();
    if (text.find_first_of(std::string("\n\r\0", 3)) != std::string::npos)
        invalid(place, "line breaks and NUL characters are not allowed in " + inQuotes(text));
    return text;
}

void checkLength(const std::string& text, size_t maxBytes, const std::string& place, const char* what)
{
    if (text.size() > maxBytes)
        invalid(place, inQuotes(text) + " has " + std::to_string(text.size()) + " characters; " + what + " holds at most "
                           + std::to_string(maxBytes));
}

using Triple = std::array<uint16_t, 3>;

Triple tripleOf(const QJsonValue& value, const std::string& place)
{
    if (!value.isArray() || value.toArray().size() != 3)
        invalid(place, "expected three parameter numbers [P1, P2, P3], found " + typeName(value));
    const QJsonArray numbers = value.toArray();
    Triple t{};
    for (qsizetype i = 0; i < 3; ++i) {
        const std::string at = element(place, i);
        const long n = integerOf(numbers[i], at, 0, 255);
        if (n == 255)
            invalid(at, "parameter number 255 marks an automatic reference; parameter numbers run from 0 to 254");
        t[size_t(i)] = uint16_t(n);
    }
    return t;
}

// One object of the description with its path, for reading fields with
// messages that say where. Fields other than the expected ones (and
// "comment", which every object may carry) are refused, so that a misspelt
// optional field does not go unnoticed.
class JsonObject {
public:
    JsonObject(const QJsonValue& value, std::string path, std::initializer_list<const char*> fields)
        : m_path(std::move(path))
    {
        if (!value.isObject())
            invalid(m_path, "expected an object, found " + typeName(value));
        m_object = value.toObject();
        for (auto it = m_object.begin(); it != m_object.end(); ++it) {
            const std::string name = it.key().toStdString();
            if (name == "comment")
                continue;
            if (std::none_of(fields.begin(), fields.end(), [&](const char* f) { return name == f; }))
                invalid(member(m_path, name), "unknown field " + inQuotes(name));
        }
    }

    const std::string& path() const { return m_path; }
    std::string place(const char* key) const { return member(m_path, key); }
    bool has(const char* key) const { return m_object.contains(QLatin1String(key)); }

    QJsonValue required(const char* key) const
    {
        if (!has(key))
            invalid(place(key), "required field is missing");
        return m_object.value(QLatin1String(key));
    }

    std::string text(const char* key, size_t maxBytes, const char* what) const
    {
        const std::string value = textOf(required(key), place(key));
        checkLength(value, maxBytes, place(key), what);
        return value;
    }

    std::string optionalText(const char* key, size_t maxBytes, const char* what, const std::string& fallback = {}) const
    {
        return has(key) ? text(key, maxBytes, what) : fallback;
    }

    long number(const char* key, long min, long max) const { return integerOf(required(key), place(key), min, max); }

    long optionalNumber(const char* key, long min, long max, long fallback) const
    {
        return has(key) ? number(key, min, max) : fallback;
    }

    QJsonArray array(const char* key) const
    {
        const QJsonValue value = required(key);
        if (!value.isArray())
            invalid(place(key), "expected an array, found " + typeName(value));
        return value.toArray();
    }

    QJsonValue value(const char* key) const { return m_object.value(QLatin1String(key)); }

private:
    QJsonObject m_object;
    std::string m_path;
};

// ---------------------------------------------------------------------------
// The plant as read from the description

struct IniEntry {
    std::string key;
    std::string value;
    std::string place;
};

struct IniSection {
    std::string name;
    std::string place;
    std::vector<IniEntry> entries;
};

struct IniFile {
    std::string name;
    std::string place;
    std::vector<IniSection> sections;

    const IniEntry* find(const std::string& section, const std::string& key) const
    {
        for (const IniSection& s : sections)
            if (sameName(s.name, section))
                for (const IniEntry& e : s.entries)
                    if (sameName(e.key, key))
                        return &e;
        return nullptr;
    }
};

struct GatewayImage {
    std::string network;
    std::string file;
};

struct Plant {
    std::vector<IniFile> iniFiles;
    std::vector<NetCnfRecord> nodes;
    std::set<std::string> networks;
    std::vector<QebDesRecord> descriptions;
    // Every declared description key with the parameters described under it.
    std::map<std::string, std::set<Triple>> parameters;
    std::vector<McParDefRecord> definitions;
    std::vector<OrpaTextRecord> texts;
    std::vector<XrtBrugRecord> users;
    std::string imageFolder; // as written, with ${HOME}
    std::vector<GatewayImage> images;

    const NetCnfRecord* node(const std::string& key) const
    {
        for (const NetCnfRecord& n : nodes)
            if (n.nodeKey == key)
                return &n;
        return nullptr;
    }

    // The description keys (with parameters) of the controllers with an identification.
    std::set<std::string> describedKeysOf(const std::string& ident) const
    {
        std::set<std::string> keys;
        for (const NetCnfRecord& n : nodes)
            if (n.ident == ident && !n.descKey.empty() && !parameters.at(n.descKey).empty())
                keys.insert(n.descKey);
        return keys;
    }

    bool hasIdent(const std::string& ident) const
    {
        return std::any_of(nodes.begin(), nodes.end(), [&](const NetCnfRecord& n) { return n.ident == ident; });
    }

    const IniFile* iniFile(const std::string& name) const
    {
        for (const IniFile& f : iniFiles)
            if (sameName(f.name, name))
                return &f;
        return nullptr;
    }
};

void readDescriptions(const JsonObject& top, Plant& plant)
{
    const QJsonArray descriptions = top.array("descriptions");
    for (qsizetype i = 0; i < descriptions.size(); ++i) {
        const JsonObject d(descriptions[i], element("descriptions", i), {"key", "extends", "functions"});
        const std::string key = d.text("key", 13, "a description key");
        if (key.empty())
            invalid(d.place("key"), "the description key is empty");
        if (plant.parameters.count(key))
            invalid(d.place("key"), "description key " + inQuotes(key) + " is declared twice");

        std::vector<QebDesRecord> records;
        if (d.has("extends")) {
            const std::string base = d.text("extends", 13, "a description key");
            if (!plant.parameters.count(base))
                invalid(d.place("extends"), "description key " + inQuotes(base) + " is not declared before this one");
            for (const QebDesRecord& r : plant.descriptions)
                if (r.descKey == base) {
                    records.push_back(r);
                    records.back().descKey = key;
                }
        }

        const QJsonArray functions = d.array("functions");
        std::set<long> ownFunctions;
        for (qsizetype j = 0; j < functions.size(); ++j) {
            const JsonObject f(functions[j], element(d.place("functions"), j),
                               {"number", "text", "customText", "parameters"});
            const long number = f.number("number", 0, 65535);
            if (!ownFunctions.insert(number).second)
                invalid(f.place("number"), "function " + std::to_string(number) + " is listed twice");
            const std::string text = f.text("text", 31, "a function text");
            const std::string customText = f.optionalText("customText", 31, "a function text");
            // A function the extended description has takes the new texts.
            for (QebDesRecord& r : records)
                if (r.function == number) {
                    r.functionDefaultText = text;
                    r.functionCustomText = customText;
                }
            const QJsonArray parameters = f.array("parameters");
            if (parameters.isEmpty())
                invalid(f.place("parameters"), "a function needs at least one parameter");
            for (qsizetype k = 0; k < parameters.size(); ++k) {
                const JsonObject p(parameters[k], element(f.place("parameters"), k),
                                   {"p", "class", "text", "customText"});
                const Triple t = tripleOf(p.required("p"), p.place("p"));
                for (const QebDesRecord& r : records)
                    if (r.p1 == t[0] && r.p2 == t[1] && r.p3 == t[2])
                        invalid(p.place("p"), "parameter " + tripleText(t[0], t[1], t[2]) + " is described twice under "
                                                  + inQuotes(key));
                QebDesRecord r;
                r.descKey = key;
                r.p1 = t[0];
                r.p2 = t[1];
                r.p3 = t[2];
                r.function = uint16_t(number);
                r.parameterClass = uint8_t(p.number("class", 0, 255));
                r.defaultText = p.text("text", 31, "a parameter text");
                if (r.defaultText.empty())
                    invalid(p.place("text"), "the parameter text is empty");
                r.customText = p.optionalText("customText", 31, "a parameter text");
                r.functionDefaultText = text;
                r.functionCustomText = customText;
                records.push_back(r);
            }
        }

        std::set<Triple>& described = plant.parameters[key];
        for (const QebDesRecord& r : records) {
            described.insert({r.p1, r.p2, r.p3});
            plant.descriptions.push_back(r);
        }
    }
}

void readNetworks(const JsonObject& top, Plant& plant)
{
    const QJsonArray networks = top.array("networks");
    if (networks.isEmpty())
        invalid("networks", "the plant has no network");
    for (qsizetype i = 0; i < networks.size(); ++i) {
        const JsonObject n(networks[i], element("networks", i), {"number", "nodes"});
        const std::string number = textOf(n.required("number"), n.place("number"));
        if (number.size() != 3 || !allDigits(number))
            invalid(n.place("number"), "network number " + inQuotes(number) + " is not three digits");
        if (!plant.networks.insert(number).second)
            invalid(n.place("number"), "network " + number + " is declared twice");

        const QJsonArray nodes = n.array("nodes");
        bool gateway = false;
        for (qsizetype j = 0; j < nodes.size(); ++j) {
            const JsonObject d(nodes[j], element(n.place("nodes"), j),
                               {"key", "idCode", "ident", "descKey", "kind", "level", "stamp"});
            const std::string key = textOf(d.required("key"), d.place("key"));
            const bool wellFormed = key.size() == 7 && key[3] == ':' && allDigits(key.substr(0, 3))
                && allDigits(key.substr(4));
            if (!wellFormed)
                invalid(d.place("key"), "node key " + inQuotes(key) + " is not of the form NNN:AAA");
            const int address = std::stoi(key.substr(4));
            if (address > 255)
                invalid(d.place("key"), "node address " + std::to_string(address) + " is out of range 0..255");
            if (key.substr(0, 3) != number)
                invalid(d.place("key"), "node " + key + " is not in network " + number);
            if (plant.node(key))
                invalid(d.place("key"), "node " + key + " is declared twice");

            NetCnfRecord r;
            r.nodeKey = key;
            r.idCode = d.text("idCode", 16, "an ID code");
            r.ident = d.text("ident", 13, "a controller identification");
            r.descKey = d.optionalText("descKey", 13, "a description key");
            if (!r.descKey.empty() && !plant.parameters.count(r.descKey))
                invalid(d.place("descKey"), "description key " + inQuotes(r.descKey) + " is not declared in descriptions");
            r.nodeKind = uint16_t(d.number("kind", 0, 65535));
            r.supportLevel = uint8_t(d.number("level", 0, 255));
            if (address == GatewayNode) {
                gateway = true;
                r.netConfigStamp = uint16_t(d.number("stamp", 0, 65535));
            } else {
                r.netConfigStamp = uint16_t(d.optionalNumber("stamp", 0, 65535, 0));
            }
            plant.nodes.push_back(r);
        }
        if (!gateway)
            invalid(n.place("nodes"), "network " + number + " has no gateway node " + GatewayAddress(number));
    }
}

void readDefinitions(const JsonObject& top, Plant& plant)
{
    if (!top.has("parameterDefinitions"))
        return;
    const QJsonArray definitions = top.array("parameterDefinitions");
    std::set<std::string> seen;
    for (qsizetype i = 0; i < definitions.size(); ++i) {
        const JsonObject d(definitions[i], element("parameterDefinitions", i),
                           {"ident", "node", "functionParameter", "parameters"});
        McParDefRecord r;
        r.ident = d.text("ident", 13, "a controller identification");
        if (!plant.hasIdent(r.ident))
            invalid(d.place("ident"), "no node has the identification " + inQuotes(r.ident));
        r.nodeText = d.text("node", 7, "a node text");
        std::set<std::string> keys;
        if (r.nodeText == McParDefRecord::EveryNode) {
            keys = plant.describedKeysOf(r.ident);
        } else {
            const NetCnfRecord* node = plant.node(r.nodeText);
            if (!node)
                invalid(d.place("node"), "node " + inQuotes(r.nodeText) + " is neither \"255:255\" nor a declared node");
            if (node->ident != r.ident)
                invalid(d.place("node"), "node " + r.nodeText + " has the identification " + inQuotes(node->ident)
                                             + ", not " + inQuotes(r.ident));
            if (!node->descKey.empty())
                keys.insert(node->descKey);
        }
        r.functionParameter = uint8_t(d.number("functionParameter", 0, 255));
        const QJsonArray parameters = d.array("parameters");
        if (parameters.isEmpty())
            invalid(d.place("parameters"), "no parameters are defined");
        for (qsizetype k = 0; k < parameters.size(); ++k) {
            const std::string at = element(d.place("parameters"), k);
            const Triple t = tripleOf(parameters[k], at);
            const bool described = std::any_of(keys.begin(), keys.end(),
                                               [&](const std::string& key) { return plant.parameters[key].count(t); });
            if (!described)
                invalid(at, "parameter " + tripleText(t[0], t[1], t[2]) + " is not described for " + inQuotes(r.ident)
                                + (r.nodeText == McParDefRecord::EveryNode ? "" : " at " + r.nodeText));
            McParDefRecord record = r;
            record.p1 = uint8_t(t[0]);
            record.p2 = uint8_t(t[1]);
            record.p3 = uint8_t(t[2]);
            const auto bytes = record.bytes();
            if (!seen.insert(std::string(reinterpret_cast<const char*>(bytes.data()), 26)).second)
                invalid(at, "parameter " + tripleText(t[0], t[1], t[2]) + " is defined twice for " + inQuotes(r.ident)
                                + " at " + r.nodeText + ", function parameter " + std::to_string(r.functionParameter));
            plant.definitions.push_back(record);
        }
    }
}

void readUsers(const JsonObject& top, Plant& plant)
{
    if (!top.has("users"))
        return;
    const QJsonArray users = top.array("users");
    for (qsizetype i = 0; i < users.size(); ++i) {
        const JsonObject u(users[i], element("users", i), {"login", "name", "accessLevels"});
        XrtBrugRecord r;
        r.login = u.text("login", 20, "a login");
        if (r.login.empty())
            invalid(u.place("login"), "the login is empty");
        for (const XrtBrugRecord& other : plant.users)
            if (other.login == r.login)
                invalid(u.place("login"), "user " + inQuotes(r.login) + " is declared twice");
        r.name = u.text("name", 28, "a user name");
        if (u.has("accessLevels")) {
            const QJsonValue levels = u.value("accessLevels");
            if (!levels.isObject())
                invalid(u.place("accessLevels"), "expected an object of entry: level, found " + typeName(levels));
            const QJsonObject object = levels.toObject();
            for (auto it = object.begin(); it != object.end(); ++it) {
                const std::string entry = it.key().toStdString();
                const std::string at = member(u.place("accessLevels"), entry);
                if (!allDigits(entry) || entry.size() > 3 || std::stoi(entry) >= XrtBrugRecord::AccessLevels)
                    invalid(at, "access level entries run from 0 to " + std::to_string(XrtBrugRecord::AccessLevels - 1));
                r.accessLevels[size_t(std::stoi(entry))] = uint16_t(integerOf(it.value(), at, 0, 65535));
            }
        }
        plant.users.push_back(r);
    }
}

void readTexts(const JsonObject& top, Plant& plant)
{
    if (!top.has("texts"))
        return;
    const QJsonArray texts = top.array("texts");
    std::set<std::string> seen;
    for (qsizetype i = 0; i < texts.size(); ++i) {
        const JsonObject t(texts[i], element("texts", i), {"application", "kind", "id", "dialog", "control", "text"});
        OrpaTextRecord r;
        r.application = t.optionalText("application", 8, "an application name", ApplicationName);
        if (std::any_of(r.application.begin(), r.application.end(), [](char c) { return c >= 'a' && c <= 'z'; }))
            invalid(t.place("application"), "the application name " + inQuotes(r.application) + " is not upper case");
        r.kind = uint8_t(t.number("kind", 0, 255));
        if (r.kind == OrpaTextRecord::TextById) {
            if (t.has("dialog") || t.has("control"))
                invalid(t.path(), "a text by id (kind 3) has an \"id\", not a dialog and control");
            r.id = uint16_t(t.number("id", 0, 65535));
        } else if (r.kind == OrpaTextRecord::DialogControl) {
            if (t.has("id"))
                invalid(t.place("id"), "a dialog control text (kind 1) has a \"dialog\" and a \"control\", not an id");
            r.id = uint16_t(t.number("dialog", 0, 65535));
            r.control = uint16_t(t.number("control", 0, 65535));
        } else {
            invalid(t.place("kind"), "kind " + std::to_string(r.kind) + " is neither 3 (text by id) nor 1 (dialog control)");
        }
        r.text = t.text("text", 82, "a custom text");
        const auto bytes = r.bytes();
        if (!seen.insert(std::string(reinterpret_cast<const char*>(bytes.data()), 15)).second)
            invalid(t.path(), "this text is given twice");
        plant.texts.push_back(r);
    }
}

void readIniFiles(const JsonObject& top, Plant& plant)
{
    const QJsonArray files = top.array("iniFiles");
    for (qsizetype i = 0; i < files.size(); ++i) {
        const JsonObject f(files[i], element("iniFiles", i), {"file", "sections"});
        IniFile file;
        file.place = f.path();
        file.name = f.text("file", 255, "a file name");
        if (file.name.empty() || file.name.find('/') != std::string::npos || file.name == "." || file.name == "..")
            invalid(f.place("file"), inQuotes(file.name) + " is not a plain file name");
        if (plant.iniFile(file.name))
            invalid(f.place("file"), inQuotes(file.name) + " is given twice");
        const QJsonArray sections = f.array("sections");
        for (qsizetype j = 0; j < sections.size(); ++j) {
            const JsonObject s(sections[j], element(f.place("sections"), j), {"name", "entries"});
            IniSection section;
            section.place = s.path();
            section.name = s.text("name", 255, "a section name");
            if (section.name.empty() || section.name.find(']') != std::string::npos)
                invalid(s.place("name"), inQuotes(section.name) + " cannot be a section name");
            const QJsonArray entries = s.array("entries");
            for (qsizetype k = 0; k < entries.size(); ++k) {
                const std::string at = element(s.place("entries"), k);
                if (!entries[k].isArray() || entries[k].toArray().size() != 2)
                    invalid(at, "expected [key, value], found " + typeName(entries[k]));
                const QJsonArray pair = entries[k].toArray();
                IniEntry entry{textOf(pair[0], element(at, 0)), textOf(pair[1], element(at, 1)), at};
                if (entry.key.empty() || entry.key.find('=') != std::string::npos || entry.key.front() == ';'
                    || entry.key.front() == '[' || entry.key.front() == ' ')
                    invalid(element(at, 0), inQuotes(entry.key) + " cannot be a key name");
                section.entries.push_back(entry);
            }
            file.sections.push_back(section);
        }
        plant.iniFiles.push_back(file);
    }
}

void readImages(const JsonObject& top, Plant& plant)
{
    if (!top.has("gatewayImages"))
        return;
    const JsonObject g(top.value("gatewayImages"), "gatewayImages", {"folder", "images"});
    plant.imageFolder = g.text("folder", 4096, "a folder");
    const QJsonArray images = g.array("images");
    for (qsizetype i = 0; i < images.size(); ++i) {
        const JsonObject m(images[i], element(g.place("images"), i), {"network", "file"});
        GatewayImage image;
        image.network = m.text("network", 3, "a network number");
        if (!plant.networks.count(image.network))
            invalid(m.place("network"), "network " + inQuotes(image.network) + " is not declared");
        image.file = m.text("file", 255, "a file name");
        if (image.file.empty() || image.file.find('/') != std::string::npos || image.file == "." || image.file == "..")
            invalid(m.place("file"), inQuotes(image.file) + " is not a plain file name");
        plant.images.push_back(image);
    }
}

// The part of a folder value behind ${HOME}; the folder must lie in the home.
std::string homeRelativeFolder(const std::string& value, const std::string& place)
{
    const std::string prefix = HomeVariable;
    if (value.compare(0, prefix.size(), prefix) != 0)
        invalid(place, "folder " + inQuotes(value) + " does not start with ${HOME}");
    if (value.back() != '/')
        invalid(place, "folder " + inQuotes(value) + " does not end with '/'");
    const std::string relative = value.substr(prefix.size());
    for (const fs::path& part : fs::path(relative))
        if (part == "..")
            invalid(place, "folder " + inQuotes(value) + " leaves the home folder");
    return relative;
}

// ORPA.INI must say where the tables, backups and exports go, inside the home.
void checkOrpaIni(const Plant& plant)
{
    const IniFile* orpa = plant.iniFile("ORPA.INI");
    if (!orpa)
        invalid("iniFiles", "ORPA.INI is missing");
    const IniEntry* data = orpa->find("Install", "DATADir");
    if (!data)
        invalid(orpa->place + ".sections", "ORPA.INI has no [Install] DATADir");
    homeRelativeFolder(data->value, element(data->place, 1));
    for (const char* key : {"ZULDir", "EXPDir"})
        if (const IniEntry* e = orpa->find("Install", key); e && !e->value.empty())
            homeRelativeFolder(e->value, element(e->place, 1));
    if (!plant.imageFolder.empty())
        homeRelativeFolder(plant.imageFolder, "gatewayImages.folder");
}

// Checks one "Input<n><loop>" / "Output<n><loop>" key of a Funct 8 section.
bool isReferenceKey(const std::string& key, const std::string& loops)
{
    for (const auto& [word, lastSlot] : {std::pair<std::string, char>{"Input", '8'}, {"Output", '2'}}) {
        if (key.size() == word.size() + 2 && sameName(key.substr(0, word.size()), word)) {
            const char slot = key[word.size()];
            const char loop = key[word.size() + 1];
            const bool knownLoop = loops.empty() ? (loop >= 'A' && loop <= 'Z') || loop == '?'
                                                 : loops.find(loop) != std::string::npos;
            return slot >= '1' && slot <= lastSlot && knownLoop;
        }
    }
    return false;
}

// The reference texts of every "<identification> Funct 8" section of
// QebType.ini must name parameters that the controllers' descriptions hold.
void checkQebTypeIni(const Plant& plant)
{
    const IniFile* file = plant.iniFile("QebType.ini");
    if (!file)
        return;
    const std::string suffix = " Funct 8";
    for (const IniSection& section : file->sections) {
        if (!endsWithNoCase(section.name, suffix))
            continue;
        const std::string ident = section.name.substr(0, section.name.size() - suffix.size());
        if (!plant.hasIdent(ident))
            invalid(section.place + ".name", "no node has the identification " + inQuotes(ident));
        const std::set<std::string> keys = plant.describedKeysOf(ident);
        // Without LoopId the controller has one loop whose letter is not known.
        std::string loops;
        for (const IniEntry& e : section.entries)
            if (sameName(e.key, "LoopId")) {
                if (e.value.size() > 7)
                    invalid(element(e.place, 1), "LoopId holds at most 7 loop letters");
                loops = e.value;
            }
        for (const IniEntry& e : section.entries) {
            if (sameName(e.key, "LoopId"))
                continue;
            if (!isReferenceKey(e.key, loops))
                invalid(element(e.place, 0), inQuotes(e.key) + " is not Input1..8 or Output1..2 followed by a loop letter"
                                                + (loops.empty() ? std::string() : " of " + inQuotes(loops)));
            if (e.value.empty())
                continue;
            const std::optional<ParameterNumbers> numbers = ParseParameterReference(e.value);
            const bool ok = numbers.has_value();
            const Triple t = ok ? Triple{numbers->p1, numbers->p2, numbers->p3} : Triple{};
            if (!ok)
                invalid(element(e.place, 1), inQuotes(e.value) + " does not end in three parameter numbers P1,P2,P3");
            for (const std::string& key : keys)
                if (!plant.parameters.at(key).count(t))
                    invalid(element(e.place, 1), "parameter " + tripleText(t[0], t[1], t[2]) + " is not in description "
                                                     + inQuotes(key));
        }
    }
}

Plant readPlant(const QJsonDocument& document)
{
    const JsonObject top(document.isObject() ? QJsonValue(document.object()) : QJsonValue(document.array()), "",
                         {"format", "networks", "descriptions", "parameterDefinitions", "users", "texts", "iniFiles",
                          "gatewayImages"});
    if (top.number("format", 0, 1000) != DescriptionFormat)
        invalid("format", "this tool reads descriptions of format " + std::to_string(DescriptionFormat));
    Plant plant;
    readDescriptions(top, plant);
    readNetworks(top, plant);
    readDefinitions(top, plant);
    readUsers(top, plant);
    readTexts(top, plant);
    readIniFiles(top, plant);
    readImages(top, plant);
    checkOrpaIni(plant);
    checkQebTypeIni(plant);
    return plant;
}

// "line:column" of a byte offset in the text.
std::string lineColumn(const QByteArray& text, qsizetype offset)
{
    offset = std::clamp<qsizetype>(offset, 0, text.size());
    int line = 1;
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < offset; ++i)
        if (text[i] == '\n') {
            ++line;
            lineStart = i + 1;
        }
    return std::to_string(line) + ":" + std::to_string(offset - lineStart + 1);
}

std::optional<PlantError> parsePlant(const std::string& content, const std::string& descriptionFile, Plant& plant)
{
    const QByteArray text(content.data(), qsizetype(content.size()));
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(text, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return PlantError{descriptionFile, lineColumn(text, parseError.offset),
                          "bad JSON: " + parseError.errorString().toStdString()};
    try {
        plant = readPlant(document);
    } catch (const Invalid& e) {
        return PlantError{descriptionFile, e.place, e.reason};
    }
    return std::nullopt;
}

// ---------------------------------------------------------------------------
// Writing the home

// A failure while writing: which file, and why.
struct WriteFailure {
    std::string file;
    std::string reason;
};

[[noreturn]] void writeFailed(const fs::path& file, std::string reason)
{
    throw WriteFailure{file.string(), std::move(reason)};
}

std::string expandHome(const std::string& text, const std::string& home)
{
    std::string result;
    const std::string variable = HomeVariable;
    size_t start = 0;
    for (size_t at; (at = text.find(variable, start)) != std::string::npos; start = at + variable.size())
        result += text.substr(start, at - start) + home;
    return result + text.substr(start);
}

void writeTextFile(const fs::path& path, const std::string& content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    out.close();
    if (!out)
        writeFailed(path, std::strerror(errno));
}

void makeFolder(const fs::path& path)
{
    std::error_code ec;
    fs::create_directories(path, ec);
    if (ec)
        writeFailed(path, ec.message());
}

std::string iniText(const IniFile& file, const std::string& home)
{
    std::string text;
    for (const IniSection& section : file.sections) {
        if (!text.empty())
            text += "\n";
        text += "[" + section.name + "]\n";
        for (const IniEntry& e : section.entries)
            text += e.key + "=" + expandHome(e.value, home) + "\n";
    }
    return text;
}

using RecordBytes = std::vector<uint8_t>;

template <typename Record>
RecordBytes bytesOf(const Record& record)
{
    const auto bytes = record.bytes();
    return RecordBytes(bytes.begin(), bytes.end());
}

// Fills one table through the database calls, in one transaction.
void fillTable(const char* table, const std::vector<RecordBytes>& records, const fs::path& file)
{
    uint16_t status = DbOpen(table, DbMode::Normal);
    if (status != DbStatus::Success)
        writeFailed(file, "cannot open table " + std::string(table) + ": " + DbStatusText(status));
    size_t failedRecord = 0;
    {
        DbBatch batch(table);
        status = batch.beginStatus();
        for (size_t i = 0; status == DbStatus::Success && i < records.size(); ++i) {
            status = DbInsert(table, 0, records[i].data(), uint16_t(records[i].size()));
            if (status != DbStatus::Success)
                failedRecord = i + 1;
        }
        if (status == DbStatus::Success)
            status = batch.commit();
    }
    DbClose(table);
    if (failedRecord != 0)
        writeFailed(file, "inserting record " + std::to_string(failedRecord) + " into " + table + " failed: "
                              + DbStatusText(status));
    if (status != DbStatus::Success)
        writeFailed(file, "writing table " + std::string(table) + " failed: " + DbStatusText(status));
}

// Points the record store at the staging data folder for as long as it lives.
class StoreRedirect {
public:
    explicit StoreRedirect(const std::string& dataFolder) { RecordStore::instance().setDataDirectory(dataFolder); }
    ~StoreRedirect()
    {
        for (const TableSchema& schema : AllTableSchemas())
            if (RecordStore::instance().isOpen(schema.name))
                RecordStore::instance().close(schema.name);
        RecordStore::instance().setDataDirectory("");
    }
    StoreRedirect(const StoreRedirect&) = delete;
    StoreRedirect& operator=(const StoreRedirect&) = delete;
};

void writeTables(const Plant& plant, const fs::path& dataFolder)
{
    std::map<std::string, std::vector<RecordBytes>> records;
    for (const NetCnfRecord& r : plant.nodes)
        records[table::NetCnf].push_back(bytesOf(r));
    for (const QebDesRecord& r : plant.descriptions)
        records[table::QebDes].push_back(bytesOf(r));
    for (const McParDefRecord& r : plant.definitions)
        records[table::McParDef].push_back(bytesOf(r));
    for (const OrpaTextRecord& r : plant.texts)
        records[table::OrpaText].push_back(bytesOf(r));
    for (const XrtBrugRecord& r : plant.users)
        records[table::XrtBrug].push_back(bytesOf(r));

    for (const TableSchema& schema : AllTableSchemas()) {
        const fs::path file = dataFolder / (schema.name + ".DAT");
        const uint16_t status = RecordStore::createTableFile(file.string(), schema);
        if (status != DbStatus::Success)
            writeFailed(file, "cannot create the table file: " + DbStatusText(status));
    }
    // The empty template that the upload copies over MCDEF.DAT.
    const fs::path mcdefTemplate = dataFolder / "MCDEF.NEW";
    if (const uint16_t status = RecordStore::createTableFile(mcdefTemplate.string(), *FindTableSchema(table::Mcdef));
        status != DbStatus::Success)
        writeFailed(mcdefTemplate, "cannot create the table file: " + DbStatusText(status));

    const StoreRedirect redirect(dataFolder.string() + "/");
    for (const auto& [name, rows] : records)
        fillTable(name.c_str(), rows, dataFolder / (name + ".DAT"));
}

void writeHome(const Plant& plant, const fs::path& staging, const std::string& homeText, const fs::path& sourceFolder)
{
    for (const IniFile& file : plant.iniFiles)
        writeTextFile(staging / file.name, iniText(file, homeText));

    const IniFile* orpa = plant.iniFile("ORPA.INI");
    for (const char* key : {"ZULDir", "EXPDir"})
        if (const IniEntry* e = orpa->find("Install", key); e && !e->value.empty())
            makeFolder(staging / homeRelativeFolder(e->value, e->place));
    const fs::path dataFolder = (staging / homeRelativeFolder(orpa->find("Install", "DATADir")->value, "")).parent_path();
    makeFolder(dataFolder);
    writeTables(plant, dataFolder);

    if (!plant.imageFolder.empty()) {
        const fs::path imageFolder = staging / homeRelativeFolder(plant.imageFolder, "");
        makeFolder(imageFolder);
        for (const GatewayImage& image : plant.images) {
            const fs::path source = sourceFolder / image.file;
            std::error_code ec;
            if (!fs::is_regular_file(source, ec))
                continue; // made later by whoever builds the gateway images
            fs::copy_file(source, imageFolder / image.file, fs::copy_options::overwrite_existing, ec);
            if (ec)
                writeFailed(imageFolder / image.file, ec.message());
        }
    }
}

// A new, empty folder beside `home` with a unique name.
std::optional<fs::path> makeSibling(const fs::path& home, const char* purpose)
{
    std::string pattern = (home.parent_path() / ("." + home.filename().string() + "." + purpose + "-XXXXXX")).string();
    if (!mkdtemp(pattern.data()))
        return std::nullopt;
    return fs::path(pattern);
}

} // namespace

std::optional<PlantError> CheckPlantDescription(const std::string& content, const std::string& descriptionFile)
{
    Plant plant;
    return parsePlant(content, descriptionFile, plant);
}

std::optional<PlantError> BuildPlantHome(const std::string& home, const std::string& descriptionFile, bool replace)
{
    // Read and check everything first.
    FileProblem problem = FileProblem::None;
    const std::optional<std::string> content = ReadRegularFile(descriptionFile, MaxDescriptionSize, &problem);
    if (!content)
        return PlantError{descriptionFile, "", DescribeFileProblem(descriptionFile, problem, MaxDescriptionSize)};
    Plant plant;
    if (auto error = parsePlant(*content, descriptionFile, plant))
        return error;

    if (home.empty())
        return PlantError{home, "", "no home folder given"};
    std::error_code ec;
    fs::path homePath = fs::absolute(home, ec).lexically_normal();
    if (!homePath.has_filename())
        homePath = homePath.parent_path();
    if (ec || homePath == homePath.root_path())
        return PlantError{home, "", "cannot be used as a home folder"};
    const std::string homeText = homePath.string() + "/";

    const fs::file_status status = fs::status(homePath, ec);
    const bool exists = fs::exists(status);
    if (exists && !fs::is_directory(status))
        return PlantError{homePath.string(), "", "exists and is not a folder"};
    const bool emptyFolder = exists && fs::is_empty(homePath, ec);
    if (exists && !emptyFolder && !replace)
        return PlantError{homePath.string(), "", "the folder exists and is not empty"};
    if (!fs::is_directory(homePath.parent_path(), ec))
        return PlantError{homePath.parent_path().string(), "", "the parent folder does not exist"};
    for (const TableSchema& schema : AllTableSchemas())
        if (RecordStore::instance().isOpen(schema.name))
            return PlantError{homePath.string(), "",
                              "table " + schema.name + " is open in this process; close it before building a home"};

    // Assemble the home in a staging folder beside it.
    const std::optional<fs::path> staging = makeSibling(homePath, "staging");
    if (!staging)
        return PlantError{homePath.parent_path().string(), "", std::string("cannot create a folder: ") + std::strerror(errno)};
    // mkdtemp leaves the folder to its owner alone; a home is readable by all.
    fs::permissions(*staging,
                    fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read
                        | fs::perms::others_exec,
                    ec);
    try {
        writeHome(plant, *staging, homeText, fs::path(descriptionFile).parent_path());
    } catch (const WriteFailure& failure) {
        fs::remove_all(*staging, ec);
        // Name the file as it would have been in the home, not in the staging folder that is gone.
        std::string file = failure.file;
        if (file.rfind(staging->string(), 0) == 0)
            file = homePath.string() + file.substr(staging->string().size());
        return PlantError{file, "", failure.reason};
    }

    // Move it into place: over a missing or empty folder by one rename, over
    // a full one (replace) by swapping the old one out first.
    std::optional<fs::path> old;
    if (exists && !emptyFolder) {
        old = makeSibling(homePath, "old");
        if (old)
            fs::rename(homePath, *old, ec);
        if (!old || ec) {
            const std::string reason = ec ? ec.message() : std::strerror(errno);
            if (old)
                fs::remove(*old, ec);
            fs::remove_all(*staging, ec);
            return PlantError{homePath.string(), "", "cannot move the old home aside: " + reason};
        }
    }
    fs::rename(*staging, homePath, ec);
    if (ec) {
        const std::string reason = ec.message();
        if (old)
            fs::rename(*old, homePath, ec);
        fs::remove_all(*staging, ec);
        return PlantError{homePath.string(), "", "cannot move the new home into place: " + reason};
    }
    if (old)
        fs::remove_all(*old, ec);
    return std::nullopt;
}

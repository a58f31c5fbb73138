#pragma once
// QebType.ini: per controller identification, the loops a Po optimizer can
// use and the parameters it reads and writes in each loop, and the default
// individual defrost delay. The file is read once when the object is made;
// a missing file or section simply yields no references.

#include <cstdint>
#include <optional>
#include <string>

// P1, P2, P3 of a controller description.
struct ParameterNumbers {
    uint8_t p1 = 0, p2 = 0, p3 = 0;
    bool operator==(const ParameterNumbers&) const = default;
};

// The last three comma-separated fields of a reference text ("RegCond,3,14,2"
// gives 3, 14, 2; any text in front is ignored). Nothing when the text does
// not end in three numbers of 0..255.
std::optional<ParameterNumbers> ParseParameterReference(const std::string& text);

// "Input1A", "Output2B": the word, the slot number and the loop letter.
std::string SlotKey(const std::string& word, int slot, char loop);

// The section of an identification: "EVA-100 Funct 8".
std::string PoSectionOf(const std::string& ident);

namespace PoRole {
enum : int { Evaporator = 1, Compressor = 2 };
}

// What the role test says of an identification.
namespace RoleFit {
enum : int { Unknown = -1, No = 0, Yes = 1 };
}

class QebTypeIni {
public:
    static constexpr size_t MaxLoops = 7;
    static constexpr size_t MaxValueLength = 100;
    static constexpr int DefaultDefrostDelayMinutes = 20;
    // A controller without LoopId has one loop with this letter.
    static constexpr char UnknownLoop = '?';

    // Reads the program's QebType.ini.
    QebTypeIni();
    // Reads the given file (a test's or a tool's own).
    explicit QebTypeIni(const std::string& file);
    static QebTypeIni fromText(std::string content);

    // The loop letters of an identification, at most seven; `withoutLoopId`
    // ("?" unless given) when its section has no LoopId.
    std::string loopLetters(const std::string& ident, const std::string& withoutLoopId = std::string(1, UnknownLoop)) const;
    // The reference text of "<word><slot><loop>", empty when it has none.
    std::string referenceText(const std::string& ident, const std::string& word, int slot, char loop) const;
    // Unknown when the identification has no "Input1A"; for an evaporator Yes
    // when it has no "Output1A", for a compressor Yes when it has one.
    int fitsRole(const std::string& ident, int role) const;
    // P0Optimizer/DefaultDefrostDelay in seconds (the file gives minutes).
    uint16_t defaultDefrostDelaySeconds() const;

private:
    QebTypeIni(std::string content, bool);
    std::string value(const std::string& section, const std::string& key, size_t maxLength) const;

    std::string m_content;
};

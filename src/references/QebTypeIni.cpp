#include "references/QebTypeIni.h"

#include "support/OrpaPaths.h"
#include "support/Profile.h"
#include "support/RegularFile.h"

#include <QtGlobal>

#include <cctype>
#include <vector>

namespace {

std::string readIni(const std::string& file)
{
    FileProblem problem = FileProblem::None;
    std::optional<std::string> content = ReadRegularFile(file, MaxProfileSize, &problem);
    if (problem != FileProblem::None && problem != FileProblem::Missing)
        qWarning("%s", DescribeFileProblem(file, problem, MaxProfileSize).c_str());
    return content.value_or(std::string());
}

std::optional<uint8_t> parameterNumber(const std::string& field)
{
    size_t first = field.find_first_not_of(" \t");
    size_t last = field.find_last_not_of(" \t");
    if (first == std::string::npos || last - first + 1 > 3)
        return std::nullopt;
    int number = 0;
    for (size_t i = first; i <= last; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(field[i])))
            return std::nullopt;
        number = number * 10 + (field[i] - '0');
    }
    if (number > 255)
        return std::nullopt;
    return uint8_t(number);
}

} // namespace

std::optional<ParameterNumbers> ParseParameterReference(const std::string& text)
{
    std::vector<std::string> lastFields;
    size_t end = text.size();
    while (lastFields.size() < 3) {
        const size_t comma = end == 0 ? std::string::npos : text.rfind(',', end - 1);
        const size_t begin = comma == std::string::npos ? 0 : comma + 1;
        lastFields.insert(lastFields.begin(), text.substr(begin, end - begin));
        if (comma == std::string::npos)
            break;
        end = comma;
    }
    if (lastFields.size() < 3)
        return std::nullopt;
    const auto p1 = parameterNumber(lastFields[0]);
    const auto p2 = parameterNumber(lastFields[1]);
    const auto p3 = parameterNumber(lastFields[2]);
    if (!p1 || !p2 || !p3)
        return std::nullopt;
    return ParameterNumbers{*p1, *p2, *p3};
}

std::string SlotKey(const std::string& word, int slot, char loop) { return word + std::to_string(slot) + loop; }

std::string PoSectionOf(const std::string& ident) { return ident + " Funct 8"; }

QebTypeIni::QebTypeIni()
    : QebTypeIni(QebTypeIniFile())
{
}

QebTypeIni::QebTypeIni(const std::string& file)
    : m_content(readIni(file))
{
}

QebTypeIni::QebTypeIni(std::string content, bool)
    : m_content(std::move(content))
{
}

QebTypeIni QebTypeIni::fromText(std::string content) { return QebTypeIni(std::move(content), true); }

std::string QebTypeIni::value(const std::string& section, const std::string& key, size_t maxLength) const
{
    std::string found = ProfileValue(m_content, section, key).value_or(std::string());
    if (found.size() > maxLength)
        found.resize(maxLength);
    return found;
}

std::string QebTypeIni::loopLetters(const std::string& ident, const std::string& withoutLoopId) const
{
    const std::string letters = value(PoSectionOf(ident), "LoopId", MaxLoops);
    return letters.empty() ? withoutLoopId : letters;
}

std::string QebTypeIni::referenceText(const std::string& ident, const std::string& word, int slot, char loop) const
{
    return value(PoSectionOf(ident), SlotKey(word, slot, loop), MaxValueLength);
}

int QebTypeIni::fitsRole(const std::string& ident, int role) const
{
    if (referenceText(ident, "Input", 1, 'A').empty())
        return RoleFit::Unknown;
    const bool hasOutput = !referenceText(ident, "Output", 1, 'A').empty();
    const bool fits = role == PoRole::Evaporator ? !hasOutput : role == PoRole::Compressor && hasOutput;
    return fits ? RoleFit::Yes : RoleFit::No;
}

uint16_t QebTypeIni::defaultDefrostDelaySeconds() const
{
    const std::string text = ProfileValue(m_content, "P0Optimizer", "DefaultDefrostDelay").value_or(std::string());
    return uint16_t(ProfileInt(text, DefaultDefrostDelayMinutes) * 60);
}

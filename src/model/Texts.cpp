#include "model/Texts.h"

#include "model/Records.h"
#include "model/StringTable.h"
#include "support/Db.h"
#include "support/SupportTexts.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>

namespace {

constexpr size_t StringFormLength = 200;

void copyText(const std::string& text, char* buffer, size_t length)
{
    if (!buffer || length == 0)
        return;
    const size_t n = std::min(text.size(), length - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

// The custom text of a key, with the status of the lookup.
std::optional<std::string> customText(uint8_t kind, uint16_t id, uint16_t control, uint16_t& status)
{
    ScopedTable open(table::OrpaText, DbMode::ReadOnly);
    status = open.status();
    if (status != DbStatus::Success)
        return std::nullopt;
    auto key = OrpaTextRecord::key(kind, id, control);
    uint8_t record[OrpaTextRecord::Size];
    status = DbGet(table::OrpaText, 0, key.data(), uint16_t(key.size()), record, sizeof record, DbOp::GetEqual);
    if (status != DbStatus::Success)
        return std::nullopt;
    return OrpaTextRecord::read(record).text;
}

void applyText(QWidget* widget, const QString& text)
{
    if (auto* box = qobject_cast<QGroupBox*>(widget))
        box->setTitle(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(text);
}

std::map<uint16_t, std::vector<QWidget*>> controlsById(QWidget* window)
{
    std::map<uint16_t, std::vector<QWidget*>> controls;
    for (QWidget* child : window->findChildren<QWidget*>()) {
        const QVariant id = child->property("controlId");
        if (id.isValid())
            controls[uint16_t(id.toUInt())].push_back(child);
    }
    return controls;
}

std::string lookupForSupport(uint16_t id) { return TextById(id); }

} // namespace

uint16_t TextById(uint16_t id, char* buffer, size_t length)
{
    uint16_t status = DbStatus::Success;
    if (auto text = customText(OrpaTextRecord::TextById, id, 0, status)) {
        copyText(*text, buffer, length);
        return status;
    }
    const char* builtin = BuiltinTextById(id);
    copyText(builtin ? builtin : "", buffer, length);
    return status;
}

std::string TextById(uint16_t id)
{
    char buffer[StringFormLength + 1];
    TextById(id, buffer, sizeof buffer);
    return buffer;
}

QString QText(uint16_t id) { return QString::fromStdString(TextById(id)); }

void DialogTexts(uint16_t dialogId, QWidget* window)
{
    if (!window)
        return;
    auto controls = controlsById(window);
    const auto apply = [&](uint16_t control, const QString& text) {
        if (control == 0) {
            window->setWindowTitle(text);
            return;
        }
        const auto it = controls.find(control);
        if (it != controls.end())
            for (QWidget* widget : it->second)
                applyText(widget, text);
    };
    for (const BuiltinControlText& entry : BuiltinControlTexts())
        if (entry.dialogId == dialogId)
            apply(entry.controlId, QString::fromUtf8(entry.text));

    ScopedTable open(table::OrpaText, DbMode::ReadOnly);
    if (open.status() != DbStatus::Success)
        return;
    auto key = OrpaTextRecord::key(OrpaTextRecord::DialogControl, dialogId, 0);
    uint8_t record[OrpaTextRecord::Size];
    uint16_t status = DbGet(table::OrpaText, 0, key.data(), uint16_t(key.size()), record, sizeof record,
                            DbOp::GetGreaterOrEqual);
    while (status == DbStatus::Success) {
        const OrpaTextRecord text = OrpaTextRecord::read(record);
        if (text.application != ApplicationName || text.kind != OrpaTextRecord::DialogControl || text.id != dialogId)
            break;
        apply(text.control, QString::fromStdString(text.text));
        status = DbRelGet(table::OrpaText, 0, record, sizeof record, DbOp::GetNext);
    }
}

void DialogTexts(QWidget* window)
{
    if (window)
        DialogTexts(uint16_t(window->property("dialogId").toUInt()), window);
}

uint16_t ControlText(uint16_t dialogId, uint16_t controlId, char* buffer, size_t length)
{
    uint16_t status = DbStatus::Success;
    if (auto text = customText(OrpaTextRecord::DialogControl, dialogId, controlId, status)) {
        copyText(*text, buffer, length);
        return status;
    }
    const char* builtin = BuiltinControlTextOf(dialogId, controlId);
    if (!builtin)
        builtin = BuiltinTextById(controlId);
    copyText(builtin ? builtin : "", buffer, length);
    return status;
}

std::string ControlText(uint16_t dialogId, uint16_t controlId)
{
    char buffer[StringFormLength + 1];
    ControlText(dialogId, controlId, buffer, sizeof buffer);
    return buffer;
}

QString QControlText(uint16_t dialogId, uint16_t controlId)
{
    return QString::fromStdString(ControlText(dialogId, controlId));
}

std::string PrintedCaption(const std::string& caption)
{
    std::string printed;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size())
            ++i;
        printed += caption[i];
    }
    return printed;
}

void InstallTextService() { SetSupportTextLookup(&lookupForSupport); }

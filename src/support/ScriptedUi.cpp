#include "support/ScriptedUi.h"

#include <QDialog>
#include <QPrinter>

namespace {

const char* kindName(ScriptedUi::Kind kind)
{
    switch (kind) {
    case ScriptedUi::Kind::Message:
        return "message";
    case ScriptedUi::Kind::Modal:
        return "dialog";
    case ScriptedUi::Kind::SaveFile:
        return "save file dialog";
    case ScriptedUi::Kind::OpenFile:
        return "open file dialog";
    case ScriptedUi::Kind::Password:
        return "password prompt";
    case ScriptedUi::Kind::Print:
        return "print dialog";
    }
    return "prompt";
}

} // namespace

ScriptedUi::ScriptedUi()
    : m_previous(&ui())
{
    setUi(this);
}

ScriptedUi::~ScriptedUi() { setUi(m_previous == this ? nullptr : m_previous); }

ScriptedUi& ScriptedUi::expectMessage(const QString& text, int answer)
{
    m_expected.push_back({Kind::Message, text, true, answer, {}, {}});
    return *this;
}

ScriptedUi& ScriptedUi::expectMessageContaining(const QString& part, int answer)
{
    m_expected.push_back({Kind::Message, part, false, answer, {}, {}});
    return *this;
}

ScriptedUi& ScriptedUi::expectDialog(const QString& objectName, DialogDriver driver)
{
    m_expected.push_back({Kind::Modal, objectName, true, IDCANCEL, std::move(driver), {}});
    return *this;
}

ScriptedUi& ScriptedUi::expectSaveFile(std::optional<QString> answer)
{
    m_expected.push_back({Kind::SaveFile, {}, false, IDOK, {}, std::move(answer)});
    return *this;
}

ScriptedUi& ScriptedUi::expectOpenFile(std::optional<QString> answer)
{
    m_expected.push_back({Kind::OpenFile, {}, false, IDOK, {}, std::move(answer)});
    return *this;
}

ScriptedUi& ScriptedUi::expectPassword(std::optional<QString> answer)
{
    m_expected.push_back({Kind::Password, {}, false, IDOK, {}, std::move(answer)});
    return *this;
}

ScriptedUi& ScriptedUi::expectPrint(bool accept, const QString& pdfFile)
{
    m_expected.push_back({Kind::Print, {}, false, accept ? IDOK : IDCANCEL, {}, pdfFile});
    return *this;
}

QStringList ScriptedUi::messages() const
{
    QStringList texts;
    for (const Prompt& p : m_prompts)
        if (p.kind == Kind::Message)
            texts << p.text;
    return texts;
}

std::optional<ScriptedUi::Expectation> ScriptedUi::take(Kind kind, const QString& text)
{
    if (m_expected.empty()) {
        m_failures << QStringLiteral("unexpected %1: %2").arg(kindName(kind), text);
        return std::nullopt;
    }
    const Expectation& next = m_expected.front();
    const bool textMatches = next.text.isEmpty() || (next.exact ? text == next.text : text.contains(next.text));
    if (next.kind != kind || !textMatches) {
        m_failures << QStringLiteral("expected %1 \"%2\", got %3 \"%4\"")
                          .arg(kindName(next.kind), next.text, kindName(kind), text);
        return std::nullopt;
    }
    Expectation taken = next;
    m_expected.pop_front();
    return taken;
}

int ScriptedUi::messageBox(QWidget*, const QString& text, unsigned style)
{
    m_prompts.push_back({Kind::Message, text, style});
    if (auto e = take(Kind::Message, text))
        return e->answer;
    switch (style & MB::ButtonMask) {
    case MB::YesNo:
        return IDNO;
    case MB::OkCancel:
    case MB::YesNoCancel:
        return IDCANCEL;
    default:
        return IDOK;
    }
}

void ScriptedUi::beep() { ++m_beeps; }

void ScriptedUi::setWaitCursor(bool on) { m_waitDepth += on ? 1 : -1; }

int ScriptedUi::runModal(QDialog& dialog)
{
    m_prompts.push_back({Kind::Modal, dialog.objectName(), 0});
    if (auto e = take(Kind::Modal, dialog.objectName()))
        return e->driver(dialog);
    return IDCANCEL;
}

std::optional<QString> ScriptedUi::saveFileName(QWidget*, const SaveFileRequest& request)
{
    m_prompts.push_back({Kind::SaveFile, request.fileName, 0});
    if (auto e = take(Kind::SaveFile, request.fileName))
        return e->textAnswer;
    return std::nullopt;
}

std::optional<QString> ScriptedUi::openFileName(QWidget*, const OpenFileRequest& request)
{
    m_prompts.push_back({Kind::OpenFile, request.title, 0});
    if (auto e = take(Kind::OpenFile, request.title))
        return e->textAnswer;
    return std::nullopt;
}

std::optional<QString> ScriptedUi::password(QWidget*, const PasswordPrompt& prompt)
{
    m_prompts.push_back({Kind::Password, prompt.title, 0});
    if (auto e = take(Kind::Password, prompt.title))
        return e->textAnswer;
    return std::nullopt;
}

bool ScriptedUi::printDialog(QWidget*, QPrinter& printer)
{
    m_prompts.push_back({Kind::Print, {}, 0});
    auto e = take(Kind::Print, {});
    if (!e || e->answer != IDOK)
        return false;
    if (e->textAnswer && !e->textAnswer->isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(*e->textAnswer);
    }
    return true;
}

#pragma once
// "Import ZUL control functions": what a document of functions would change in
// MCDEF, function by function and field by field, before anything is written.
// OK writes it; Cancel, Escape and the close box write nothing.

#include <QDialog>

#include <memory>
#include <string>
#include <vector>

namespace Ui {
class ImportFunctionsDlg;
}

class ImportFunctionsDlg : public QDialog {
    Q_OBJECT

public:
    // The document's file and the review lines of its plan; `sharedOutputs`: the import would make
    // functions write the same controller parameter, which the heading says.
    ImportFunctionsDlg(const QString& file, const std::vector<std::string>& lines, bool sharedOutputs,
                       QWidget* parent = nullptr);
    ~ImportFunctionsDlg() override;

private:
    std::unique_ptr<Ui::ImportFunctionsDlg> m_ui;
};
